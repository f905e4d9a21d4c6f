// Private helpers of the Win32 layer: path spelling and file times.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace plat::win32 {

// Drops one trailing "\" except from a root ("C:\", "\\server\share\"):
// CreateFileW and MoveFileW want "C:\dir", while the program spells
// directories "C:\dir\"; a root without its "\" means something else.
inline std::wstring NoTrailingSlash(const std::wstring& path) {
    if (path.size() <= 1 || path.back() != L'\\') return path;
    if (path.size() == 3 && path[1] == L':') return path;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || path.find(L'\\', server + 1) == path.size() - 1)
            return path;
    }
    return path.substr(0, path.size() - 1);
}

// `dir` + "\" + `name`, whether or not `dir` already ends in "\".
inline std::wstring JoinPath(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && dir.back() == L'\\') return dir + name;
    return dir + L'\\' + name;
}

inline bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// 100 ns ticks between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr int64_t kEpochDelta = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

inline int64_t FileTimeTicks(const FILETIME& ft) {
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

inline FILETIME TicksFileTime(int64_t ticks) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return ft;
}

// Seconds since 1970 of a FILETIME already in local time, rounded down so
// that a date and the second it falls in agree before 1970 as after.
inline int64_t LocalFileTimeSeconds(const FILETIME& local) {
    int64_t ticks = FileTimeTicks(local) - kEpochDelta;
    int64_t seconds = ticks / kTicksPerSecond;
    if (ticks % kTicksPerSecond < 0) seconds -= 1;
    return seconds;
}

// A UTC file time (as the file system keeps it) in the program's date unit.
// FileTimeToLocalFileTime applies today's bias, not the one of the file's
// date; Explorer of that era did the same, and SetModified uses the same
// bias back, so a date written is the date read.
inline int64_t UtcFileTimeToLocalSeconds(const FILETIME& utc) {
    FILETIME local;
    if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
    return LocalFileTimeSeconds(local);
}

inline bool LocalSecondsToUtcFileTime(int64_t seconds, FILETIME& utc) {
    FILETIME local = TicksFileTime(seconds * kTicksPerSecond + kEpochDelta);
    return LocalFileTimeToFileTime(&local, &utc) != 0;
}

// Keeps the error code of a failure across clean-up calls that may reset it.
struct KeepError {
    DWORD code = ::GetLastError();
    ~KeepError() { ::SetLastError(code); }
};

}  // namespace plat::win32
