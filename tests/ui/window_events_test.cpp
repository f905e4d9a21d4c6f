// The window-level handler: tray toggling, hiding on minimise, the
// remembered geometry, "Abbrechen" and the close box during work, and the
// second instance's wake-up call.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/countdown.h"
#include "engine/run_state.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/startup.h"
#include "ui/widgets.h"
#include "ui/window_events.h"

namespace {

using ui_testing::UiFixture;

// Hands every pending event to the handler, as the run's drain does.
void Drain() {
    while (plat::PendingUserActions() > 0 || plat::QueuedEvents() > 0) ui::DrainWindowEvents();
}

struct WindowEvents : UiFixture {
    void SetUp() override {
        UiFixture::SetUp();
        WriteIni(ui_testing::IniText("", "GMainWinX = 40\nGMainWinY = 30\nGMainWinXD = 800\nGMainWinYD = 600\n"));
        StartOk();
    }
};

TEST_F(WindowEvents, TrayClicksToggleBetweenTrayAndTheSavedGeometry) {
    ASSERT_TRUE(plat::GetWindowShown(ui::MainWindow));
    plat::UserClickTray(ui::TrayIcon);
    Drain();
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Minimized);
    plat::UserClickTray(ui::TrayIcon, plat::EventType::RightClick);
    Drain();
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Normal);
    const plat::Box box = plat::GetWindowBox(ui::MainWindow);
    EXPECT_EQ(box.x, 40);
    EXPECT_EQ(box.y, 30);
    EXPECT_EQ(box.w, 800);
    EXPECT_EQ(box.h, 600);
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
    // A double click is two presses: hidden and back.
    plat::UserClickTray(ui::TrayIcon, plat::EventType::LeftDoubleClick);
    Drain();
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
    plat::UserClickTray(ui::TrayIcon);
    Drain();
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
}

TEST_F(WindowEvents, MinimisingHidesTheWindow) {
    plat::UserMinimize(ui::MainWindow);
    Drain();
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
    plat::UserClickTray(ui::TrayIcon);
    Drain();
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
}

TEST_F(WindowEvents, GeometryIsRememberedOnlyInTheNormalStateAndNeverLeftOfTheScreen) {
    plat::UserResizeWindow(ui::MainWindow, 900, 650);
    plat::UserMoveWindow(ui::MainWindow, 120, 80);
    Drain();
    core::Settings& s = core::S().settings;
    EXPECT_EQ(s.GMainWinX, 120);
    EXPECT_EQ(s.GMainWinY, 80);
    EXPECT_EQ(s.GMainWinXD, 900);
    EXPECT_EQ(s.GMainWinYD, 650);
    plat::UserMoveWindow(ui::MainWindow, -20, 80);
    plat::UserResizeWindow(ui::MainWindow, 910, 660);
    Drain();
    EXPECT_EQ(s.GMainWinX, 120);
    EXPECT_EQ(s.GMainWinXD, 910);
    // Maximised and back through the tray: the size before maximising.
    plat::UserMaximize(ui::MainWindow);
    Drain();
    EXPECT_EQ(s.GMainWinXD, 910);
    plat::UserClickTray(ui::TrayIcon);
    Drain();
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Normal);
    EXPECT_EQ(plat::GetWindowBox(ui::MainWindow).w, 910);
    EXPECT_EQ(plat::GetWindowBox(ui::MainWindow).h, 660);
}

// The right and bottom edges of the widgets that follow the window, which
// must lie the design's margins inside the window's inner size.
void ExpectLayoutFills(const plat::Box& inner) {
    const plat::Box status = plat::GetGadgetBox(ui::StatusLine), tabs = plat::GetGadgetBox(ui::MainTabs);
    EXPECT_EQ(status.x + status.w, inner.w - 5);
    EXPECT_EQ(tabs.x + tabs.w, inner.w - 5);
    EXPECT_EQ(tabs.y + tabs.h, inner.h - 25);
    const plat::Box path = plat::GetGadgetBox(ui::PathField), area = plat::GetGadgetBox(ui::ExclusionArea);
    EXPECT_EQ(path.x + path.w, area.w - 10);  // the area is the splitter's 725 units wide
}

TEST_F(WindowEvents, MaximisedTheLayoutFillsTheScreenAndTheNormalGeometryIsKept) {
    core::Settings& s = core::S().settings;
    ExpectLayoutFills({0, 0, 800, 600});
    plat::UserMaximize(ui::MainWindow);
    Drain();
    const plat::Box maximised = plat::GetWindowScreenBox(ui::MainWindow);
    ASSERT_GT(maximised.w, 800);
    ExpectLayoutFills(maximised);
    EXPECT_EQ(s.GMainWinXD, 800);
    EXPECT_EQ(s.GMainWinYD, 600);

    // Resized while maximised (another resolution): the layout follows,
    // the remembered geometry stays.
    plat::ChangeScreenSize(1280, 1024);
    Drain();
    ASSERT_EQ(plat::GetWindowScreenBox(ui::MainWindow).w, 1280);
    ExpectLayoutFills(plat::GetWindowScreenBox(ui::MainWindow));
    EXPECT_EQ(s.GMainWinXD, 800);
    EXPECT_EQ(s.GMainWinX, 40);

    // Restored from the restore box: the normal size and its layout.
    plat::UserRestore(ui::MainWindow);
    Drain();
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Normal);
    ExpectLayoutFills({0, 0, 800, 600});
    EXPECT_EQ(s.GMainWinXD, 800);

    // Maximised again and brought back through the tray.
    plat::UserMaximize(ui::MainWindow);
    Drain();
    ExpectLayoutFills(plat::GetWindowScreenBox(ui::MainWindow));
    plat::UserClickTray(ui::TrayIcon);
    Drain();
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Normal);
    ExpectLayoutFills({0, 0, 800, 600});
}

TEST_F(WindowEvents, CancelAndCloseDuringWorkOnlySetCancelRequested) {
    plat::UserClick(ui::CancelButton);
    Drain();
    EXPECT_EQ(engine::R().CancelRequested, 1);
    EXPECT_EQ(plat::GetGadgetState(ui::CancelButton), 0);  // released again
    engine::R().CancelRequested = 0;
    plat::UserCloseWindow(ui::MainWindow);
    Drain();
    EXPECT_EQ(engine::R().CancelRequested, 1);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    EXPECT_TRUE(plat::WindowExists(ui::MainWindow));
}

TEST_F(WindowEvents, TheRegisteredMessageBringsTheWindowBack) {
    plat::UserMinimize(ui::MainWindow);
    Drain();
    ASSERT_NE(ui::BringToFrontMessage(), 0u);
    plat::ArriveRegisteredMessage(ui::MainWindow, ui::BringToFrontMessage() + 1);  // someone else's
    Drain();
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
    plat::ArriveRegisteredMessage(ui::MainWindow, ui::BringToFrontMessage());
    Drain();
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
}

}  // namespace
