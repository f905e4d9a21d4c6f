// The one directory enumeration of the Win32 layer, shared by the listings
// and the tree removal.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/wide_path.h"

namespace plat::win32 {

// How a search ended. The two failures keep their code for GetLastError;
// they differ in whether entries may already have been handed over.
enum class FindEnd {
    Listed,     // every entry was handed over
    NotOpened,  // FindFirstFileExW refused; nothing was handed over
    Broken,     // FindNextFileW failed in the middle, after some entries
};

// Calls take(fd) for each entry matching `query` (a path in the literal form
// whose last piece is the pattern), "." and ".." left out. The handle is
// closed before the result is returned, whatever the result.
template <typename Take>
FindEnd FindEach(const std::wstring& query, Take take) {
    WIN32_FIND_DATAW fd;
    // FindExInfoBasic skips the 8.3 names nobody here reads; the large fetch
    // saves round trips on network shares.
    HANDLE find = FindFirstFileExW(query.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return FindEnd::NotOpened;
    do {
        if (!IsDotEntry(fd.cFileName)) take(fd);
    } while (FindNextFileW(find, &fd));
    // FindNextFileW ends with NO_MORE_FILES; any other code is a failure
    // that must not pass for the end of the listing.
    DWORD err = ::GetLastError();
    FindClose(find);
    if (err != ERROR_NO_MORE_FILES) {
        ::SetLastError(err);
        return FindEnd::Broken;
    }
    return FindEnd::Listed;
}

}  // namespace plat::win32
