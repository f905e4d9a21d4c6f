#include "ui/startup.h"

#include <algorithm>

#include "core/config.h"
#include "core/folder_vars.h"
#include "core/startup_paths.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/standard_setup.h"
#include "engine/countdown.h"
#include "engine/notice.h"
#include "log/fatal_report.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/clock.h"
#include "platform/gui.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "ui/connect.h"
#include "ui/job_list.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/message.h"
#include "ui/restore_command.h"
#include "ui/widgets.h"

namespace ui {

static uint32_t g_bringToFront = 0;

uint32_t BringToFrontMessage() { return g_bringToFront; }
void ResetStartup() { g_bringToFront = 0; }

int32_t EndDelayOf(const std::wstring& upperParameter) {
    std::wstring rest;
    for (size_t i = 0; i < upperParameter.size(); ++i) {
        if (upperParameter.compare(i, 2, L"/S") == 0) {
            ++i;
            continue;
        }
        rest += upperParameter[i];
    }
    return core::ParseLeadingInt(rest, core::kNumberDigitsOnly);
}

static bool StartAsksForVerify(const std::vector<std::wstring>& args) {
    for (const std::wstring& arg : args) {
        if (arg.empty()) break;
        if (plat::ToUpper(arg) == L"/VERIFY") return true;
    }
    return false;
}

void ApplyCommandLine(const std::vector<std::wstring>& args) {
    TRESORO_MARK(logs::kUnitMain);
    engine::CountdownState& countdown = engine::Countdown();
    for (const std::wstring& arg : args) {
        if (arg.empty()) break;
        const std::wstring upper = plat::ToUpper(arg);
        if (upper == L"/P") {
            plat::SetGadgetState(ShutdownCheck, 1);
        } else if (upper.starts_with(L"/S")) {
            countdown.EndDelay = EndDelayOf(upper);
            // A delay of 0 or less means "no delay": the countdown acts only
            // on a second left, and its first step, at the loop's first
            // turn, starts the run. Left at 0 the run would never come and
            // the controls would stay locked.
            countdown.StartCountdown = std::max(core::S().settings.GBupBeiStartVerz, 1);
            plat::SetGadgetState(MainTabs, kTabMessages);
            RunControlsLocked(true);
            plat::SetGadgetText(
                StatusLine, L"Backup wird in " + std::to_wstring(countdown.StartCountdown) + L" Sekunden gestartet!");
        } else if (upper == L"/M") {
            plat::SetWindowState(MainWindow, plat::WindowState::Minimized);
        }
    }
    // "/VERIFY" starts at the event loop's first turn, whatever "/S" said,
    // and ends the program without a countdown.
    if (StartAsksForVerify(args)) {
        countdown.VerifyAndQuit = true;
        countdown.StartCountdown = 1;
        countdown.EndDelay = 0;
        plat::SetGadgetState(MainTabs, kTabMessages);
        RunControlsLocked(true);
    }
}

// Paths, old logs, folder variables, configuration: what a second instance
// also does before it hands over. False when a newer configuration ends
// the process.
static bool StartReadSetup() {
    TRESORO_MARK(logs::kUnitMain);
    core::State& s = core::S();
    s.paths.ProgramDir = core::DetermineProgramDir();
    std::wstring failed;
    s.paths.ConfigDir = core::DetermineConfigDir(failed);
    if (!failed.empty()) ShowMessage(failed, 0, L"Meldung");
    logs::DeleteOldLogs(s.paths.ConfigDir);
    core::BuildFolderVars();
    const core::ConfigOutcome config = core::ReadConfig();
    if (config.result == core::ConfigLoad::NewerVersion) {
        ShowMessage(config.message, 0, L"Meldung");
        return false;
    }
    return true;
}

static bool StartWindow(const std::vector<std::wstring>& args) {
    TRESORO_MARK(logs::kUnitMain);
    if (!OpenMainWindow()) {
        ShowMessage(L"Konnte Fenster nicht erstellen", 0, L"Meldung");
        return false;
    }
    plat::SetGadgetFont(ExclusionLabel, plat::Font{L"Arial", 12, false});
    if (!BuildMainMenu()) {
        ShowMessage(L"Konnte Menue nicht erstellen", 0, L"Meldung");
        return false;
    }
    plat::AddTrayIcon(TrayIcon, MainWindow, IDI_ICON_IDLE, L"Tresoro 1.09");
    FinishMainWindow();
    // On a primary monitor whose scaling changed since the logon, the
    // window's DPI is not the system's that DialogScale was made for.
    if (plat::GetWindowDpi(MainWindow) != plat::ScreenDpiX()) FollowMainWindowDpi();
    ApplyCommandLine(args);
    PlaceMainWindow();
    if (plat::GetWindowState(MainWindow) == plat::WindowState::Minimized) {
        plat::SetWindowShown(MainWindow, false);
    } else {
        plat::SetWindowShown(MainWindow, true);
        plat::SetForeground(MainWindow);
    }
    logs::LoadLogs();
    RefreshJobList();
    return true;
}

StartResult StartProgram(const std::vector<std::wstring>& args) {
    TRESORO_MARK(logs::kUnitMain);
    // Before the first look at a drive: the configuration folder, the
    // folder variables and the drive lists may meet an empty card reader.
    plat::SuppressErrorBoxes();
    core::S().DialogScale = 1.0;
    ConnectWindow();
    if (!StartReadSetup()) return StartResult{false, kExitStartFailed};
    // A restore from the command line needs the jobs and nothing of the
    // rest: no window, no set-up, and a running Tresoro does not stop it.
    if (IsRestoreCommand(args)) return StartResult{false, RunRestoreCommand(args)};
    plat::SetDefaultFont(plat::Font{L"Arial", 9, false});
    g_bringToFront = plat::RegisterAppMessage(L"TresoroBring2Front");
    bool another = false;
    plat::CreateInstanceMutex(L"Tresoro", another);
    if (another) {
        plat::PostToWindowsTitled(L"Tresoro", g_bringToFront);
        // A verification handed over has verified nothing.
        return StartResult{false, StartAsksForVerify(args) ? kExitVerifyHandedOver : kExitHandedOver};
    }
    if (!StartWindow(args)) return StartResult{false, kExitStartFailed};
    engine::NoticeStaleJobs(plat::Now());
    if (core::S().settings.GStdAuto == 1) dialogs::StandardSetup(false);
    return StartResult{true, 0};
}

}  // namespace ui
