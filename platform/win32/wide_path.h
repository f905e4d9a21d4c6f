// Private helpers of the Win32 layer: the path spelling Windows gets, and
// file times.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/common/literal_path.h"

namespace plat::win32 {

// The absolute directory a relative path stands on ("" the current
// directory, "C:" drive C's current one, "\" the current drive's root), as
// Windows itself resolves it.
inline std::wstring FullPathOfBase(const std::wstring& base) {
    const std::wstring query = base.empty() ? L"." : base;
    DWORD need = GetFullPathNameW(query.c_str(), 0, nullptr, nullptr);
    // Another thread may change the current directory between the calls.
    for (int attempt = 0; need != 0 && attempt < 4; ++attempt) {
        std::wstring full(need, L'\0');
        DWORD got = GetFullPathNameW(query.c_str(), need, full.data(), nullptr);
        if (got == 0) break;
        if (got < need) return full.substr(0, got);
        need = got;
    }
    return L"";
}

// What the file calls get: the literal "\\?\" form, which Windows takes as
// it stands, without the length limit and without trimming a trailing dot
// or blank from a name. Only Windows ever sees it; the program, its logs
// and its files keep their own spelling.
inline std::wstring Literal(const std::wstring& path) { return LiteralPath(path, FullPathOfBase); }

// The same for a file or directory named as an entry: a directory's
// trailing "\" goes (CreateDirectoryW, MoveFileW and GetFileAttributesW
// want "C:\dir"), a root keeps it ("\\?\C:" is the volume, not its root).
inline std::wstring LiteralEntry(const std::wstring& path) { return LiteralPath(path, FullPathOfBase, true); }

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

// A file or token handle closed on every path out of a function; the close
// keeps the error code of the failure that made the function give up.
struct OwnedHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    explicit OwnedHandle(HANDLE h) : handle(h) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (!Valid()) return;
        KeepError keep;
        ::CloseHandle(handle);
    }
    bool Valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    // Closes now, for a writer that must know its last data was taken.
    bool Close() {
        const HANDLE closing = handle;
        handle = INVALID_HANDLE_VALUE;
        return ::CloseHandle(closing) != 0;
    }
};

}  // namespace plat::win32
