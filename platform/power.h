// Powering the computer off after an unattended run. The request enables
// the shutdown privilege of our process token first, because Windows
// refuses ExitWindowsEx to a process that lacks it.
//
// No test may ever power a machine off, under Wine included: tests set an
// intercept that answers instead of the system, and a process that has
// reset the test tables (the test runner does before every case) never
// reaches the real calls even without one. The portable layer never touches
// the system at all.
#pragma once

#include <cstdint>

namespace plat {

// ExitWindowsEx flags.
constexpr uint32_t kExitPowerOff = 0x8;  // EWX_POWEROFF
constexpr uint32_t kExitForce = 0x4;     // EWX_FORCE: do not wait for other programs

// The step at which a request failed; 0 when Windows accepted it.
constexpr int kShutdownAccepted = 0;
constexpr int kShutdownNoToken = 1;      // OpenProcessToken failed
constexpr int kShutdownNoPrivilege = 2;  // LookupPrivilegeValueW failed
constexpr int kShutdownNotAdjusted = 3;  // AdjustTokenPrivileges returned false
constexpr int kShutdownRefused = 4;      // ExitWindowsEx returned false

// Asks Windows to end the session with `flags` (ExitWindowsEx). On the NT
// platform (GetVersionExW, dwPlatformId 2) it first opens the process token
// (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), looks up "SeShutdownPrivilege" on
// the local system and enables it. Answers one of the codes above. With the
// request accepted, Windows ends this program soon; the caller should not
// start anything more.
int RequestShutdown(uint32_t flags);

// Test intercept: while set, RequestShutdown hands the flags to `hook` and
// answers its result (the failing step, or 0) without calling anything real.
// Setting or resetting the intercept also refuses every real request of
// this process from then on (the answer is then kShutdownRefused).
using ShutdownHook = int (*)(uint32_t flags);
void SetShutdownHookForTest(ShutdownHook hook);
// Clears the intercept; real requests stay refused. Called by
// ResetTestTables.
void ResetShutdownForTest();

}  // namespace plat
