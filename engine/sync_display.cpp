// Texts of the progress widgets during a synchronisation.
#include <cstdint>

#include "core/text_helpers.h"
#include "engine/sync.h"

namespace engine {

std::wstring ProgressText(int32_t entriesDone, int32_t entriesExpected, int32_t& lastPercent) {
    const std::wstring count = core::FormatThousands(entriesDone);
    // More entries than expected show beyond 100 %; a total far off the mark
    // stops the percentage at 999 for the rest of the directory.
    if (entriesExpected == 0 || lastPercent >= 999) return count;
    int64_t percent = static_cast<int64_t>(entriesDone) * 100 / entriesExpected;
    lastPercent = percent > INT32_MAX ? INT32_MAX : static_cast<int32_t>(percent);
    return count + L" - " + std::to_wstring(lastPercent) + L"%";
}

std::wstring FormatSpeed(int64_t bytes, uint32_t millis) {
    if (millis == 0) return L"0.000";
    double mbPerSecond = static_cast<double>(bytes) / 1048576.0 * 1000.0 / static_cast<double>(millis);
    // Thousandths in integers: "." as decimal point whatever the C locale says.
    int64_t thousandths = static_cast<int64_t>(mbPerSecond * 1000.0 + 0.5);
    std::wstring fraction = std::to_wstring(thousandths % 1000);
    while (fraction.size() < 3) fraction.insert(0, 1, L'0');
    return std::to_wstring(thousandths / 1000) + L"." + fraction;
}

}  // namespace engine
