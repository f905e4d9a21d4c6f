#include "platform/common/literal_path.h"

#include <vector>

namespace plat {

static bool LiteralStartsWith(const std::wstring& path, const wchar_t* prefix) {
    return path.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

static bool LiteralIsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Splits an absolute path ("C:\...", "\\server\share\...") into the root of
// its literal form and the rest; false for anything relative.
static bool LiteralSplitAbsolute(const std::wstring& path, std::wstring& root, std::wstring& rest) {
    if (path.size() >= 3 && LiteralIsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
        root = L"\\\\?\\" + path.substr(0, 3);
        rest = path.substr(3);
        return true;
    }
    if (!LiteralStartsWith(path, L"\\\\")) return false;
    // The server and the share are the root: ".." never climbs above them.
    const size_t serverEnd = path.find(L'\\', 2);
    const size_t shareEnd = serverEnd == std::wstring::npos ? serverEnd : path.find(L'\\', serverEnd + 1);
    if (shareEnd == std::wstring::npos) {
        root = L"\\\\?\\UNC\\" + path.substr(2) + L"\\";
        rest.clear();
    } else {
        root = L"\\\\?\\UNC\\" + path.substr(2, shareEnd - 1);
        rest = path.substr(shareEnd + 1);
    }
    return true;
}

// The rest's names, with empty, "." and ".." components resolved.
static std::wstring LiteralNormalRest(const std::wstring& rest, bool dropTrailingSlash) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos) end = rest.size();
        std::wstring name = rest.substr(start, end - start);
        if (name == L"..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != L".") {
            names.push_back(std::move(name));
        }
        start = end + 1;
    }
    std::wstring out;
    for (const std::wstring& name : names) {
        if (!out.empty()) out += L'\\';
        out += name;
    }
    if (!out.empty() && !dropTrailingSlash && rest.back() == L'\\') out += L'\\';
    return out;
}

std::wstring LiteralPath(const std::wstring& given, const PathBaseResolver& resolve, bool dropTrailingSlash) {
    std::wstring path = given;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.empty() || LiteralStartsWith(path, L"\\\\?\\") || LiteralStartsWith(path, L"\\\\.\\")) return path;
    std::wstring root, rest;
    if (!LiteralSplitAbsolute(path, root, rest)) {
        // "C:x" stands on drive C's current directory, "\x" on the current
        // drive's root, "x" on the current directory.
        std::wstring anchor;
        if (path.size() >= 2 && LiteralIsDriveLetter(path[0]) && path[1] == L':') {
            anchor = path.substr(0, 2);
            path.erase(0, 2);
        } else if (path[0] == L'\\') {
            anchor = L"\\";
            path.erase(0, 1);
        }
        std::wstring base = resolve ? resolve(anchor) : L"";
        for (wchar_t& c : base)
            if (c == L'/') c = L'\\';
        // A base given literally is put back into the plain spelling, so the
        // joined path is normalised like any other.
        if (LiteralStartsWith(base, L"\\\\?\\UNC\\"))
            base = L"\\\\" + base.substr(8);
        else if (LiteralStartsWith(base, L"\\\\?\\"))
            base.erase(0, 4);
        if (!LiteralSplitAbsolute(base + L'\\' + path, root, rest)) return given;
    }
    return root + LiteralNormalRest(rest, dropTrailingSlash);
}

}  // namespace plat
