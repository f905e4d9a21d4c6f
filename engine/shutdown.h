// Powering Windows off after an unattended run, with the four boxes that
// say which step failed.
#pragma once

#include <cstdint>

namespace engine {

// The ExitWindowsEx flags: power off (8), and end only the programs that
// hang (16). Programs that answer are asked first and may object, so a
// user's unsaved document stops the shutdown instead of being lost.
uint32_t ShutdownFlags();
// The reason Windows logs: planned, application, maintenance.
uint32_t ShutdownReason();

// Asks Windows to end the session with `flags` and the reason above, after
// enabling the shutdown privilege. 0 on success, else the failed step:
// 1 OpenProcessToken, 2 LookupPrivilegeValueW, 3 AdjustTokenPrivileges,
// 4 ExitWindowsEx.
int ExitWindowsRequest(uint32_t flags);

// The power-off request; a failure goes to the display (a box titled
// "ShutDown").
void ShutDown();

// The text of the "ShutDown" box for a failure code, or nullptr for 0 (and
// for codes that do not exist).
const wchar_t* ShutdownFailureText(int code);

}  // namespace engine
