#include "log/error_text.h"

#include <cstdint>

#include "platform/errors.h"

namespace logs {

std::wstring WindowsErrorText(uint32_t code) {
    std::wstring text = plat::SystemErrorText(code);
    // The system closes its messages with CR LF. Only line-break characters
    // are cut, so a text that happens to lack them loses no letters.
    for (int i = 0; i < 2 && !text.empty() && (text.back() == L'\n' || text.back() == L'\r'); ++i) text.pop_back();
    if (!text.empty()) return text;
    return L"Errorcode: " + std::to_wstring(static_cast<int32_t>(code));
}

}  // namespace logs
