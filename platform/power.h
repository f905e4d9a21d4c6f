// Keeping Windows awake while a run lasts, and powering the computer off
// after an unattended run. The request enables
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

// ExitWindowsEx flags. EWX_FORCE (4) is never asked for: it closes every
// other program without asking, and a document a user left unsaved is lost.
// EWX_FORCEIFHUNG lets each program answer WM_QUERYENDSESSION (and object)
// and ends only those that do not answer in time.
constexpr uint32_t kExitPowerOff = 0x8;      // EWX_POWEROFF
constexpr uint32_t kExitForceIfHung = 0x10;  // EWX_FORCEIFHUNG

// ExitWindowsEx reasons (reason.h). Without SHTDN_REASON_FLAG_PLANNED
// Windows logs an unplanned shutdown and may collect a system state file
// first, which delays it.
constexpr uint32_t kReasonPlanned = 0x80000000u;        // SHTDN_REASON_FLAG_PLANNED
constexpr uint32_t kReasonMajorApplication = 0x40000u;  // SHTDN_REASON_MAJOR_APPLICATION
constexpr uint32_t kReasonMinorMaintenance = 0x1u;      // SHTDN_REASON_MINOR_MAINTENANCE

// SetThreadExecutionState flags.
constexpr uint32_t kAwakeContinuous = 0x80000000u;  // ES_CONTINUOUS: until the next call with it
constexpr uint32_t kAwakeSystemRequired = 0x1u;     // ES_SYSTEM_REQUIRED: no sleep on idle

// Keeps Windows from sleeping on idle while `hold` (ES_CONTINUOUS |
// ES_SYSTEM_REQUIRED), or lets it sleep again (ES_CONTINUOUS alone). File
// activity does not count as use, so without it a laptop sleeps in the
// middle of a run and the USB disk goes away. The state belongs to the
// calling thread (the portable layer keeps one for the process). Answers
// the state before the call, 0 when the call failed.
uint32_t HoldSystemAwake(bool hold);

// The step at which a request failed; 0 when Windows accepted it.
constexpr int kShutdownAccepted = 0;
constexpr int kShutdownNoToken = 1;      // OpenProcessToken failed
constexpr int kShutdownNoPrivilege = 2;  // LookupPrivilegeValueW failed
constexpr int kShutdownNotAdjusted = 3;  // AdjustTokenPrivileges returned false
constexpr int kShutdownRefused = 4;      // ExitWindowsEx returned false

// Asks Windows to end the session with `flags` and `reason` (ExitWindowsEx). On the NT
// platform (GetVersionExW, dwPlatformId 2) it first opens the process token
// (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), looks up "SeShutdownPrivilege" on
// the local system and enables it. Answers one of the codes above. With the
// request accepted, Windows ends this program soon; the caller should not
// start anything more.
int RequestShutdown(uint32_t flags, uint32_t reason);

// Test intercept: while set, RequestShutdown hands the flags to `hook` and
// answers its result (the failing step, or 0) without calling anything real;
// the reason of that request is kept for LastShutdownReasonForTest.
// Setting or resetting the intercept also refuses every real request of
// this process from then on (the answer is then kShutdownRefused).
using ShutdownHook = int (*)(uint32_t flags);
void SetShutdownHookForTest(ShutdownHook hook);
// The reason of the last request the intercept answered; 0 before one.
uint32_t LastShutdownReasonForTest();
// Clears the intercept; real requests stay refused. Called by
// ResetTestTables.
void ResetShutdownForTest();

}  // namespace plat
