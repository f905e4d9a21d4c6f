#include "platform/path_text.h"

namespace plat {

static bool PathIsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring AddBackslash(const std::wstring& text) {
    if (!text.empty() && text.back() == L'\\') return text;
    return text + L'\\';
}

static size_t PathNameStart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? 0 : slash + 1;
}

std::wstring PathName(const std::wstring& path) { return path.substr(PathNameStart(path)); }

std::wstring PathFolder(const std::wstring& path) { return path.substr(0, PathNameStart(path)); }

std::wstring WithoutTrailingSeparator(const std::wstring& path) {
    size_t end = path.size();
    while (end > 1 && PathIsSeparator(path[end - 1])) --end;
    return path.substr(0, end);
}

// Counting backslashes instead of looking for the last one keeps network
// roots intact: "\\server\share\" steps up to "\\server\", and the two
// leading backslashes alone are no directory, so above them is the drive
// list (the empty text). A path without its trailing "\" loses its last two
// components, as the count says.
std::wstring ParentDir(const std::wstring& path) {
    long fieldsWanted = -1;
    for (wchar_t c : path)
        if (c == L'\\') ++fieldsWanted;
    std::wstring result;
    size_t start = 0;
    for (long field = 0; field < fieldsWanted; ++field) {
        const size_t cut = path.find(L'\\', start);
        result.append(path, start, cut - start);
        result += L'\\';
        start = cut + 1;
    }
    if (result == L"\\\\") result.clear();
    return result;
}

}  // namespace plat
