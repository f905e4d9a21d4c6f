// The process itself: the single-instance guard and waiting.
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

// Test hooks (portable layer only; the real system answers on Windows):
// a mutex name that "another process" holds, and a reset that forgets
// every mutex.
void SetForeignMutexForTest(const std::wstring& name);
void ResetMutexesForTest();

}  // namespace plat
