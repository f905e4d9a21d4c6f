#include "engine/shutdown.h"

#include "platform/gui.h"
#include "platform/power.h"

namespace engine {

uint32_t ShutdownFlags() { return plat::kExitPowerOff | plat::kExitForceIfHung; }

uint32_t ShutdownReason() {
    return plat::kReasonPlanned | plat::kReasonMajorApplication | plat::kReasonMinorMaintenance;
}

int ExitWindowsRequest(uint32_t flags) { return plat::RequestShutdown(flags, ShutdownReason()); }

// The boxes keep their English texts and their own caption: they are the
// only ones that do not go through the program's "Tresoro Meldung" box.
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
    if (text != nullptr) plat::ShowMessageBox(L"ShutDown", text, plat::MsgButtons::Ok);
}

}  // namespace engine
