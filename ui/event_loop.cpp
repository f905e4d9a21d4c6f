#include "ui/event_loop.h"

#include "core/config.h"
#include "dialogs/modal_loop.h"
#include "engine/countdown.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/fatal_report.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/process.h"
#include "ui/job_list.h"
#include "ui/log_views.h"
#include "ui/main_window.h"
#include "ui/menu.h"
#include "ui/widgets.h"
#include "ui/window_events.h"

namespace ui {

static void LoopWidgetEvent(const plat::GuiEvent& event) {
    switch (event.id) {
        case CancelButton:
            engine::R().CancelRequested = 1;
            engine::Countdown().EndDelay = 0;
            plat::SetGadgetState(CancelButton, 0);
            break;
        case ExclusionEditor:
            OnExclusionEditorEvent();
            break;
        case PathField:
            OnPathFieldEvent();
            break;
        case StartButton:
            engine::EndRun(engine::RunBackup({}));
            break;
        case ClearLogsButton:
            logs::ClearLogs();
            break;
        case JobListView:
            OnJobListEvent(event.type);
            break;
        case FileList:
            OnFileListEvent(event.type);
            break;
        case JobSplitter:
            LayoutExclusionArea();
            break;
        default:
            if (event.type == plat::EventType::Change) TakeLogViewEdit(event.id);
            break;
    }
}

void DispatchEvent(const plat::GuiEvent& event) {
    TRESORO_MARK(logs::kUnitMain);
    engine::RunState& run = engine::R();
    engine::CountdownState& countdown = engine::Countdown();
    const bool mainWindow = event.window == MainWindow;
    if (event.kind == plat::EventKind::Gadget && mainWindow) {
        LoopWidgetEvent(event);
    } else if (event.kind == plat::EventKind::Menu && mainWindow) {
        OnMenuCommand(event.id);
    } else if (event.kind == plat::EventKind::CloseWindow && mainWindow) {
        countdown.EndDelay = 0;
        if (countdown.StartCountdown > 0)
            run.CancelRequested = 1;
        else
            countdown.QuitRequested = 1;
    } else {
        HandleWindowEvent(event);
        engine::StartCountdownTick();
        run.CancelRequested = 0;
    }
}

void EventLoopPass() {
    FlushLogViews(true);
    plat::GuiEvent event;
    // What reached the main window while a dialog closed comes first.
    if (!dialogs::TakeKeptEvent(event)) plat::WaitEvent(1000, event);
    DispatchEvent(event);
}

void EventLoop() {
    do {
        EventLoopPass();
    } while (engine::Countdown().QuitRequested == 0);
}

int EndProgram() {
    TRESORO_MARK(logs::kUnitMain);
    logs::SaveLogs();
    core::WriteConfig();
    // Otherwise the icon lingers in the notification area until the mouse
    // passes over it.
    plat::RemoveTrayIcon(TrayIcon);
    plat::SleepMilliseconds(100);
    return engine::Countdown().ExitCode;
}

}  // namespace ui
