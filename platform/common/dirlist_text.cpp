#include "platform/common/dirlist_text.h"

#include <cwchar>

#include "platform/clock.h"
#include "platform/text.h"

namespace plat {

std::wstring DirListSizeText(uint64_t size) { return std::to_wstring((size + 1023) / 1024) + L" KB"; }

std::wstring DirListColumnTitle(ShellColumn column) {
    std::wstring title = ShellColumnTitle(column);
    if (!title.empty()) return title;
    switch (column) {
        case ShellColumn::Name:
            return L"Name";
        case ShellColumn::Size:
            return L"Größe";
        case ShellColumn::Type:
            return L"Typ";
        case ShellColumn::Modified:
            return L"Änderungsdatum";
    }
    return title;
}

// Without the shell's answer: what a German Windows shows for a type no
// program has registered ("TXT-Datei").
std::wstring DirListTypeText(const std::wstring& name, bool drive, bool folder) {
    std::wstring type = ShellTypeName(name, folder, drive);
    if (!type.empty()) return type;
    if (drive) return L"Lokaler Datenträger";
    if (folder) return L"Dateiordner";
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 == name.size()) return L"Datei";
    return ToUpper(name.substr(dot + 1)) + L"-Datei";
}

std::wstring DirListDateText(int64_t seconds) {
    const LocalDate d = SplitDate(seconds);
    wchar_t buf[40];
    swprintf(buf, 40, L"%02d.%02d.%04d %02d:%02d", d.day, d.month, d.year, d.hour, d.minute);
    return buf;
}

}  // namespace plat
