// Powering Windows off after an unattended run, with the four boxes that
// say which step failed.
#pragma once

#include <cstdint>

namespace engine {

// The ExitWindowsEx flags: power off (8), forced (+4) when `force`, so
// that other programs cannot hold the shutdown up.
uint32_t ShutdownFlags(bool force);

// Asks Windows to end the session with `flags`, after enabling the shutdown
// privilege. 0 on success, else the failed step: 1 OpenProcessToken,
// 2 LookupPrivilegeValueW, 3 AdjustTokenPrivileges, 4 ExitWindowsEx.
int ExitWindowsRequest(uint32_t flags);

// A forced power-off request; a failure shows a box titled "ShutDown".
void ShutDown();

// The text of the "ShutDown" box for a failure code, or nullptr for 0 (and
// for codes that do not exist).
const wchar_t* ShutdownFailureText(int code);

}  // namespace engine
