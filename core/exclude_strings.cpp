#include "core/exclude_strings.h"

#include <algorithm>

#include "core/folder_vars.h"
#include "core/state.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace core {

// Caches, temporary folders and system files that no backup wants; used
// when the program directory's "Tresoro.ini" brings no patterns of its own.
const wchar_t* const kBuiltinExcludeStrings[] = {
    L"LOKALE EINSTELLUNGEN\\TEMP",
    L"Microsoft\\Windows\\UsrClass.",
    L"APPDATA\\LOCALLOW",
    L"APPDATA\\LOCAL\\ELEVATEDDIAGNOSTICS",
    L"APPDATA\\LOCAL\\MICROSOFT\\FEEDS",
    L"APPDATA\\LOCAL\\MICROSOFT\\INTERNET EXPLORER",
    L"APPDATA\\LOCAL\\MICROSOFT\\MEDIA PLAYER",
    L"APPDATA\\LOCAL\\MICROSOFT\\WINDOWS",
    L"APPDATA\\LOCAL\\MOZILLA",
    L"APPDATA\\LOCAL\\OPERA",
    L"APPDATA\\LOCAL\\TEMP",
    L"APPDATA\\LOCAL\\THUNDERBIRD",
    L"APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\COOKIES",
    L"APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\IE",
    L"APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\PRIVACIE",
    L"APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\RECENT",
    L"APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\THEMES",
    L"APPDATA\\ROAMING\\SECUROM",
    L":\\RECYCLER",
    L":\\RECYCLED",
    L":\\SYSTEM VOLUME INFORMATION",
    L"\\NTUSER.",
    L"OPERA|TEMPORARY_DOWNLOADS",
    L"OPERA|VPS",
    L"OPERA|CACHE",
    L"MOZILLA|CACHE",
    L"FIREFOX|CACHE",
    L"THUNDERBIRD|CACHE",
    L"\\PARENT.LOCK",
    L"%MyTempInet",
    L"%MyTemp",
    L"Avira|TEMP",
    kExcludeStringsEnd,
};

void AddBuiltinExcludeStrings() {
    for (const wchar_t* const* entry = kBuiltinExcludeStrings;; ++entry) {
        std::wstring text = *entry;
        if (text.empty() || text == kExcludeStringsEnd) break;
        S().ExcludeStrings.Append(plat::ToUpper(text));
    }
}

// By character code, not by the file system's collation: the list is upper
// case already, and the order must not depend on the machine.
void SortExcludeStrings() {
    std::vector<std::wstring>& items = S().ExcludeStrings.items;
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
}

// The short form "%MyTemp" has no closing "%": the name then runs to the end
// and the rest is empty. A name no variable carries resolves to "".
std::wstring ResolveExcludeString(const std::wstring& pattern) {
    if (pattern.empty() || pattern[0] != L'%') return plat::ToUpper(pattern);
    size_t close = pattern.find(L'%', 1);
    std::wstring name = pattern.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    std::wstring rest = close == std::wstring::npos ? L"" : pattern.substr(close + 1);
    return plat::ToUpper(ResolveFolderVar(name) + rest);
}

void BuildExcludePaths() {
    List<std::wstring>& paths = S().ExcludePaths;
    paths.Clear();
    for (const std::wstring& pattern : S().ExcludeStrings.items) {
        paths.Append(ResolveExcludeString(pattern));
    }
}

std::string ExcludePathsFileBytes() {
    std::wstring text =
        L"Kontrolldatei für ExcludeStrings - hier können die resultierenden Pfade "
        L"kontrolliert werden\r\n\r\n";
    for (const std::wstring& path : S().ExcludePaths.items) text += path + L"\r\n";
    return plat::WideToUtf8(text);
}

bool WriteExcludePathsFile() {
    return plat::WriteFileReplacing(S().paths.ConfigDir + L"ExcludePaths.txt", ExcludePathsFileBytes());
}

}  // namespace core
