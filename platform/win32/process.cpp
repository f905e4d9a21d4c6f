#include "platform/process.h"

#include <windows.h>

namespace plat {

bool CreateInstanceMutex(const std::wstring& name, bool& alreadyExists) {
    // The handle is never closed: the mutex marks this instance until the
    // process ends, and Windows releases it then.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
    alreadyExists = GetLastError() == ERROR_ALREADY_EXISTS;
    return mutex != nullptr;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

static constexpr UINT kProcessQuietErrors = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// SetErrorMode replaces the whole mode; GetErrorMode first keeps what the
// parent handed down (a child inherits its parent's mode).
void SuppressErrorBoxes() { SetErrorMode(GetErrorMode() | kProcessQuietErrors); }

bool ErrorBoxesSuppressed() { return (GetErrorMode() & kProcessQuietErrors) == kProcessQuietErrors; }

}  // namespace plat
