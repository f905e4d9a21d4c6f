#include "engine/shutdown.h"

#include "engine/display.h"

#include "platform/power.h"

namespace engine {

uint32_t ShutdownFlags() { return plat::kExitPowerOff | plat::kExitForceIfHung; }

uint32_t ShutdownReason() {
    return plat::kReasonPlanned | plat::kReasonMajorApplication | plat::kReasonMinorMaintenance;
}

int ExitWindowsRequest(uint32_t flags) { return plat::RequestShutdown(flags, ShutdownReason()); }

// The English texts of the "ShutDown" boxes (ui/connect.cpp shows them).
const wchar_t* ShutdownFailureText(int code) {
    switch (code) {
        case plat::kShutdownNoToken:
            return L"Error: Failed To get access token For current process";
        case plat::kShutdownNoPrivilege:
            return L"Error: Failed To get required security privilege";
        case plat::kShutdownNotAdjusted:
            return L"Error: Failed To adjust required security privilege";
        case plat::kShutdownRefused:
            return L"Error: ExitWindowsEx call failed";
        default:
            return nullptr;
    }
}

void ShutDown() {
    const wchar_t* text = ShutdownFailureText(ExitWindowsRequest(ShutdownFlags()));
    if (text != nullptr) ShowShutdownFailure(text);
}

}  // namespace engine
