#include "ui/connect.h"

#include <cstdlib>

#include "engine/countdown.h"
#include "engine/display.h"
#include "log/fatal_report.h"
#include "log/log_viewer.h"
#include "log/sinks.h"
#include "platform/gui.h"
#include "resources/resource_ids.h"
#include "ui/blink.h"
#include "ui/job_list.h"
#include "ui/log_views.h"
#include "ui/message.h"
#include "ui/run_start.h"
#include "ui/view_state.h"
#include "ui/widgets.h"
#include "ui/window_events.h"

namespace ui {

int IconResource(int engineIcon) {
    switch (static_cast<engine::Icon>(engineIcon)) {
        case engine::Icon::Busy:
            return IDI_ICON_BUSY;
        case engine::Icon::Error:
            return IDI_ICON_ERROR;
        case engine::Icon::Ok:
            return IDI_ICON_OK;
        case engine::Icon::Idle:
            break;
    }
    return IDI_ICON_IDLE;
}

namespace {

void ConnectMessage(const std::wstring& title, const std::wstring& text) { ShowMessage(text, 0, title); }

void ConnectText(int widget, const std::wstring& text) { plat::SetGadgetText(widget, text); }

// The loading of the logs takes the window's events itself and only wants
// to know whether the user closed the window meanwhile.
bool ConnectDrainUntilClose() {
    plat::GuiEvent event;
    while (plat::PollEvent(event))
        if (event.kind == plat::EventKind::CloseWindow && event.window == MainWindow) return true;
    return false;
}

// While the run's icon animation winds down the window must stay alive, but
// a click must not start anything: events are taken and dropped.
void ConnectWaitEvents(uint32_t milliseconds) {
    plat::GuiEvent event;
    plat::WaitEvent(milliseconds, event);
}

engine::Display ConnectDisplay() {
    engine::Display d;
    d.statusLine = [](const std::wstring& t) { ConnectText(StatusLine, t); };
    d.progressCount = [](const std::wstring& t) { ConnectText(ProgressCount, t); };
    d.copiedMB = [](const std::wstring& t) { ConnectText(CopiedMB, t); };
    d.fileSizeMB = [](const std::wstring& t) { ConnectText(FileSizeMB, t); };
    d.speedMBs = [](const std::wstring& t) { ConnectText(SpeedMBs, t); };
    d.fileProgress = [](int percent) { plat::SetGadgetState(FileProgress, percent); };
    d.statusImage = [](engine::Icon icon) { plat::SetGadgetImage(StatusImage, IconResource(int(icon))); };
    d.trayIcon = [](engine::Icon icon) { plat::SetTrayIcon(TrayIcon, IconResource(int(icon))); };
    d.showMessagesTab = [] { plat::SetGadgetState(MainTabs, kTabMessages); };
    d.runControlsLocked = [](bool locked) { RunControlsLocked(locked); };
    d.releaseCancelButton = [] { plat::SetGadgetState(CancelButton, 0); };
    d.drainEvents = [] { DrainWindowEvents(); };
    d.waitEvents = ConnectWaitEvents;
    d.shutdownChecked = [] { return plat::GetGadgetState(ShutdownCheck) == 1; };
    d.blinkCancelButton = [] { StartBlinkThreads({CancelButton}); };
    d.blinkStatusAndCancel = [] { StartBlinkThreads({StatusLine, CancelButton}); };
    d.blinkStopped = JoinBlinkThreads;
    d.waitWindowEvent = WaitWindowEvent;
    // After the shutdown request the configuration is written and nothing
    // else may wait: Windows is already closing the session.
    d.endProgramNow = [] { std::exit(engine::Countdown().ExitCode); };
    d.startTimedRun = [](const engine::RunOptions& options) { StartRun(options); };
    d.askYesNo = [](const std::wstring& text) { return ShowMessage(text, 1, L"Meldung") == 1; };
    d.trayBalloon = [](const std::wstring& title, const std::wstring& text, engine::BalloonTopic topic) {
        V().BalloonTab = topic == engine::BalloonTopic::Errors ? kTabErrors : kTabHints;
        (void)plat::ShowTrayBalloon(TrayIcon, title, text);
    };
    // The boxes keep their English texts and their own caption: they are
    // the only ones that do not go through the program's "Tresoro Meldung".
    d.shutdownFailed = [](const wchar_t* text) { plat::ShowMessageBox(L"ShutDown", text, plat::MsgButtons::Ok); };
    return d;
}

}  // namespace

void ConnectWindow() {
    engine::SetDisplay(ConnectDisplay());
    logs::LogViewerWindow viewer;
    viewer.statusLine = [](const std::wstring& t) { ConnectText(StatusLine, t); };
    viewer.progressCount = [](const std::wstring& t) { ConnectText(ProgressCount, t); };
    viewer.drainUntilClose = ConnectDrainUntilClose;
    logs::SetLogViewerWindow(viewer);
    logs::InstallCoreSinks(ConnectMessage);
    logs::SetFatalMessageSink(ConnectMessage);
    BindLogViews();
}

}  // namespace ui
