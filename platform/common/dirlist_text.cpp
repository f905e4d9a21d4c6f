#include "platform/common/dirlist_text.h"

#include <cwchar>

#include "platform/clock.h"
#include "platform/text.h"

namespace plat {

std::wstring DirListSizeText(uint64_t size) { return std::to_wstring((size + 1023) / 1024) + L" KB"; }

std::wstring DirListTypeText(const std::wstring& name, bool drive, bool folder) {
    if (drive) return L"Drive";
    if (folder) return L"Folder";
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 == name.size()) return L"File";
    return ToUpper(name.substr(dot + 1)) + L" File";
}

std::wstring DirListDateText(int64_t seconds) {
    const LocalDate d = SplitDate(seconds);
    wchar_t buf[40];
    swprintf(buf, 40, L"%02d.%02d.%04d %02d:%02d", d.day, d.month, d.year, d.hour, d.minute);
    return buf;
}

}  // namespace plat
