// The process itself: the single-instance guard, the system's error boxes
// and waiting.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// CreateMutexW(no security attributes, initial ownership, name) in the
// session's local namespace. True when the mutex could be created or
// opened; `alreadyExists` then tells whether another instance made it first
// (ERROR_ALREADY_EXISTS). The handle is kept for the life of the process.
bool CreateInstanceMutex(const std::wstring& name, bool& alreadyExists);

void SleepMilliseconds(uint32_t milliseconds);

// Turns the system's error boxes off for the whole process, once at
// start-up (SetErrorMode with SEM_FAILCRITICALERRORS |
// SEM_NOOPENFILEERRORBOX): a drive list, a volume query or a drive icon on
// an empty card reader or optical drive then fails with ERROR_NOT_READY
// instead of raising "no disk in drive", which would hold an unattended
// run until someone clicks. Modes set before are kept.
void SuppressErrorBoxes();
// Both flags are in the process's error mode (GetErrorMode). The portable
// layer has no such boxes and answers whether SuppressErrorBoxes was called
// since the last ResetTestTables.
bool ErrorBoxesSuppressed();

// Test hooks (portable layer only; the real system answers on Windows):
// a mutex name that "another process" holds, and a reset that forgets
// every mutex.
void SetForeignMutexForTest(const std::wstring& name);
void ResetMutexesForTest();

}  // namespace plat
