// The shutdown request. Without SE_SHUTDOWN_NAME enabled in the process
// token, ExitWindowsEx fails with ERROR_PRIVILEGE_NOT_HELD on the NT family;
// the privilege is held by interactive users but disabled by default.
#include <windows.h>

#include "platform/common/power_hook.h"
#include "platform/power.h"
#include "platform/win32/wide_path.h"

namespace plat {

// GetVersionExW is deprecated but still answers the platform id, which is
// all it is asked here; the 9x family had no token to adjust.
static bool PowerOnNtPlatform() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 276 bytes: the Unicode form
    // Every system that can still run us is of the NT family, so a failed
    // query is taken as one.
    if (!GetVersionExW(&info)) return true;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

static int PowerEnablePrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return kShutdownNoToken;
    const win32::OwnedHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        return kShutdownNoPrivilege;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // A true result with ERROR_NOT_ALL_ASSIGNED is left to ExitWindowsEx,
    // which then reports the missing privilege itself.
    const BOOL adjusted = AdjustTokenPrivileges(token.handle, FALSE, &privileges, 0, nullptr, nullptr);
    return adjusted ? kShutdownAccepted : kShutdownNotAdjusted;
}

uint32_t HoldSystemAwake(bool hold) { return SetThreadExecutionState(ES_CONTINUOUS | (hold ? ES_SYSTEM_REQUIRED : 0)); }

int RequestShutdown(uint32_t flags, uint32_t reason) {
    int code = kShutdownRefused;
    if (ShutdownIntercepted(flags, reason, code)) return code;
    if (PowerOnNtPlatform()) {
        code = PowerEnablePrivilege();
        if (code != kShutdownAccepted) return code;
    }
    return ExitWindowsEx(flags, reason) ? kShutdownAccepted : kShutdownRefused;
}

}  // namespace plat
