#include "ui/window_events.h"

#include "core/state.h"
#include "dialogs/design_units.h"
#include "engine/run_state.h"
#include "log/fatal_report.h"
#include "ui/anchors.h"
#include "ui/log_views.h"
#include "ui/main_window.h"
#include "ui/startup.h"
#include "ui/widgets.h"

namespace ui {

static void WindowTrayToggle() {
    if (plat::GetWindowState(MainWindow) == plat::WindowState::Normal && plat::GetWindowShown(MainWindow)) {
        plat::SetWindowState(MainWindow, plat::WindowState::Minimized);
        plat::SetWindowShown(MainWindow, false);
    } else {
        RestoreMainWindow();
    }
}

// Maximising and restoring change the inner size as much as dragging the
// frame does, so all three lay the window out again.
static bool WindowSized(plat::EventKind kind) {
    return kind == plat::EventKind::SizeWindow || kind == plat::EventKind::MaximizeWindow ||
           kind == plat::EventKind::RestoreWindow;
}

static void WindowRememberGeometry() {
    const plat::Box box = plat::GetWindowBox(MainWindow);
    core::Settings& s = core::S().settings;
    // A frame left of or above the primary screen is not remembered: the
    // next start could place the window out of reach.
    if (box.x >= 0 && box.y >= 0) {
        s.GMainWinX = box.x;
        s.GMainWinY = box.y;
    }
    s.GMainWinXD = dialogs::Unscaled(box.w);
    s.GMainWinYD = dialogs::Unscaled(box.h);
}

void HandleWindowEvent(const plat::GuiEvent& event) {
    TRESORO_MARK(logs::kUnitMain);
    engine::RunState& run = engine::R();
    const bool mainWindow = event.window == MainWindow;
    if (event.kind == plat::EventKind::Tray && event.id == TrayIcon) WindowTrayToggle();
    if (event.kind == plat::EventKind::MinimizeWindow && mainWindow) plat::SetWindowShown(MainWindow, false);
    if (event.kind == plat::EventKind::Gadget && event.id == CancelButton) run.CancelRequested = 1;
    if (event.kind == plat::EventKind::CloseWindow && mainWindow) run.CancelRequested = 1;
    if (plat::GetGadgetState(CancelButton) != 0) {
        run.CancelRequested = 1;
        plat::SetGadgetState(CancelButton, 0);
    }
    if (WindowSized(event.kind) && mainWindow) {
        ApplyAnchors(MainWindow);
        LayoutExclusionArea();
    }
    if (event.kind == plat::EventKind::DpiChanged && mainWindow) FollowMainWindowDpi();
    if ((WindowSized(event.kind) || event.kind == plat::EventKind::MoveWindow ||
         event.kind == plat::EventKind::DpiChanged) &&
        mainWindow && plat::GetWindowState(MainWindow) == plat::WindowState::Normal)
        WindowRememberGeometry();
    if (event.kind == plat::EventKind::Registered && event.message != 0 && event.message == BringToFrontMessage())
        RestoreMainWindow();
    // Typing into a log view while work runs still belongs to that log.
    if (event.kind == plat::EventKind::Gadget && event.type == plat::EventType::Change) TakeLogViewEdit(event.id);
}

void RestoreMainWindow() {
    TRESORO_MARK(logs::kUnitMain);
    plat::SetWindowState(MainWindow, plat::WindowState::Normal);
    PlaceMainWindow();
    plat::SetWindowShown(MainWindow, true);
    plat::SetForeground(MainWindow);
}

void DrainWindowEvents() {
    plat::GuiEvent event;
    while (plat::PollEvent(event)) HandleWindowEvent(event);
    FlushLogViews(false);
}

void WaitWindowEvent(uint32_t milliseconds) {
    FlushLogViews(true);
    plat::GuiEvent event;
    if (plat::WaitEvent(milliseconds, event)) HandleWindowEvent(event);
}

}  // namespace ui
