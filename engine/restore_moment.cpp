// The moments of a restore as the user types and reads them.
#include <cstdio>

#include "engine/restore.h"
#include "platform/clock.h"

namespace engine {

// Days from 1970-01-01 to a civil date, proleptic Gregorian (the inverse
// of plat::SplitDate).
static int64_t MomentDays(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static bool MomentDigits(const std::wstring& text, size_t at, size_t count, int& out) {
    if (at + count > text.size()) return false;
    out = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        out = out * 10 + (text[i] - L'0');
    }
    return true;
}

bool ParseRestoreMoment(const std::wstring& text, int64_t& out) {
    if (text.size() != 16 && text.size() != 19) return false;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!MomentDigits(text, 0, 4, y) || text[4] != L'-' || !MomentDigits(text, 5, 2, mo) || text[7] != L'-' ||
        !MomentDigits(text, 8, 2, d) || text[10] != L' ' || !MomentDigits(text, 11, 2, h) || text[13] != L':' ||
        !MomentDigits(text, 14, 2, mi))
        return false;
    if (text.size() == 19 && (text[16] != L':' || !MomentDigits(text, 17, 2, s))) return false;
    if (y < 1970 || mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59) return false;
    const int64_t seconds = MomentDays(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    // 31 February comes out as another day: no such date.
    const plat::LocalDate back = plat::SplitDate(seconds);
    if (back.year != y || back.month != mo || back.day != d) return false;
    out = seconds;
    return true;
}

std::wstring FormatStandName(int64_t seconds) {
    const plat::LocalDate d = plat::SplitDate(seconds);
    wchar_t text[32];
    std::swprintf(text, 32, L"%02d.%02d.%04d %02d.%02d", d.day, d.month, d.year, d.hour, d.minute);
    return text;
}

std::wstring FormatMoment(int64_t seconds) {
    const plat::LocalDate d = plat::SplitDate(seconds);
    wchar_t text[32];
    std::swprintf(text, 32, L"%02d.%02d.%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute, d.second);
    return text;
}

}  // namespace engine
