// The main loop's dispatch and closing rules, the heartbeat of the timed
// start, and the orderly end.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/widgets.h"

namespace {

using ui_testing::IniText;
using ui_testing::UiFixture;

using EventLoop = UiFixture;

TEST_F(EventLoop, CloseBoxWhenIdleEndsTheProgramWithLogsAndConfiguration) {
    StartOk();
    logs::AddLog(L"eine Meldung", 0);
    core::S().settings.GMainWinXD = 777;
    plat::UserCloseWindow(ui::MainWindow);
    ui::EventLoop();  // returns once QuitRequested is set
    EXPECT_EQ(ui::EndProgram(), 0);
    int window = 0, icon = 0;
    std::wstring tip;
    EXPECT_FALSE(plat::TrayIconForTest(ui::TrayIcon, window, icon, tip));
    const std::string ini = tree.Read(L"AppData\\TresoroData\\Tresoro.ini");
    EXPECT_NE(ini.find("GMainWinXD = 777"), std::string::npos);
    const std::wstring log = configDir + logs::LogFileName(0, logs::CurrentMonth());
    ASSERT_TRUE(plat::FileExists(log));
}

TEST_F(EventLoop, CloseDuringTheTimedStartStopsItAndASecondCloseEnds) {
    WriteIni(IniText("GBupBeiStartVerz = 20\n"));
    StartOk({L"/S30"});
    ui::EventLoopPass();  // the heartbeat's first step shows 19 at once
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"Backup wird in 19 Sekunden gestartet!");
    plat::UserCloseWindow(ui::MainWindow);
    ui::EventLoopPass();
    EXPECT_EQ(engine::Countdown().EndDelay, 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    ui::EventLoopPass();  // the tick drops the countdown
    ui::EventLoopPass();  // and clears its display
    EXPECT_EQ(engine::Countdown().StartCountdown, 0);
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
    plat::UserCloseWindow(ui::MainWindow);
    ui::EventLoopPass();
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
}

// Before the countdown has taken its first step: the click is a widget
// event, so the first tick the countdown sees already carries the cancel.
struct CancelBeforeFirstStep : UiFixture {
    void Check(bool closeBox) {
        WriteIni(IniText("GBupBeiStartVerz = 20\n"));
        StartOk({L"/S30"});
        ASSERT_FALSE(plat::GetGadgetEnabled(ui::StartButton));
        if (closeBox)
            plat::UserCloseWindow(ui::MainWindow);
        else
            plat::UserClick(ui::CancelButton);
        for (int i = 0; i < 3; ++i) ui::EventLoopPass();
        EXPECT_EQ(engine::Countdown().StartCountdown, 0);
        EXPECT_EQ(engine::Countdown().QuitRequested, 0);
        EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");
        EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
        EXPECT_TRUE(plat::GetGadgetEnabled(ui::JobListView));
        EXPECT_EQ(engine::Blinking.load(), 0);
    }
};

TEST_F(CancelBeforeFirstStep, AbbrechenUnlocksTheWindow) { Check(false); }
TEST_F(CancelBeforeFirstStep, TheCloseBoxUnlocksTheWindow) { Check(true); }

TEST_F(EventLoop, CancelWhileIdleIsForgottenAtTheNextTimeOut) {
    StartOk();
    plat::UserClick(ui::CancelButton);
    ui::EventLoopPass();
    EXPECT_EQ(engine::R().CancelRequested, 1);
    EXPECT_EQ(plat::GetGadgetState(ui::CancelButton), 0);
    ui::EventLoopPass();  // time-out
    EXPECT_EQ(engine::R().CancelRequested, 0);
}

// One file in "src\", and a configuration with one job that copies it to
// "dst\", starting `delay` seconds after "/S".
void WriteTimedStartJob(UiFixture& ui, int delay) {
    ui.tree.Write(L"src\\a.txt", "hello");
    ui.tree.Mkdir(L"dst");
    const std::string job = "1 = 77|" + plat::WideToUtf8(ui.tree.Path(L"src\\")) + "|" +
                            plat::WideToUtf8(ui.tree.Path(L"dst\\")) + "|1|0|0|0|0|0\n";
    ui.WriteIni(IniText("GBupBeiStartVerz = " + std::to_string(delay) + "\n", "", job));
}

TEST_F(EventLoop, TimedStartRunsTheTickedJobsAfterTheDelay) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    WriteTimedStartJob(*this, 3);
    StartOk({L"/S"});
    for (int i = 0; i < 5 && !tree.Exists(L"dst\\a.txt"); ++i) ui::EventLoopPass();
    EXPECT_EQ(tree.Read(L"dst\\a.txt"), "hello");
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);  // "/S" without a number stays open
    EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabMessages);
}

// A delay of 0 or less means "no delay": the run starts at the loop's first
// heartbeat, and "/S2" still ends the program after it.
struct TimedStartWithoutDelay : UiFixture, testing::WithParamInterface<int> {};

TEST_P(TimedStartWithoutDelay, RunsAtTheFirstHeartbeatAndEnds) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    WriteTimedStartJob(*this, GetParam());
    StartOk({L"/S2"});
    EXPECT_FALSE(plat::GetGadgetEnabled(ui::StartButton));
    ui_testing::RunPendingEvents();  // what start-up left queued, the job list's selection
    ui::EventLoopPass();             // the first heartbeat
    EXPECT_EQ(tree.Read(L"dst\\a.txt"), "hello");
    EXPECT_EQ(engine::Countdown().StartCountdown, 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);             // the end countdown ran out
    EXPECT_EQ(core::S().settings.GBupBeiStartVerz, GetParam());  // the setting stays as stored
}

INSTANTIATE_TEST_SUITE_P(EventLoop, TimedStartWithoutDelay, testing::Values(0, -5));

TEST_F(EventLoop, StartButtonRunsOnlyTheTickedJobs) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    tree.Write(L"one\\a.txt", "1");
    tree.Write(L"two\\b.txt", "2");
    auto line = [&](int n, const wchar_t* src, const wchar_t* dst) {
        return std::to_string(n) + " = " + std::to_string(100 + n) + "|" + plat::WideToUtf8(tree.Path(src)) + "|" +
               plat::WideToUtf8(tree.Path(dst)) + "|1|0|0|0|0|0\n";
    };
    WriteIni(IniText("GCreateDest = 1\n", "", line(1, L"one\\", L"d1\\") + line(2, L"two\\", L"d2\\")));
    StartOk();
    plat::UserTickRow(ui::JobListView, 1);  // untick the second job
    plat::UserClick(ui::StartButton);
    for (int i = 0; i < 4; ++i) ui::EventLoopPass();
    EXPECT_TRUE(tree.Exists(L"d1\\a.txt"));
    EXPECT_FALSE(tree.Exists(L"d2\\b.txt"));
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::JobListView));  // unlocked after the run
}

// The window shows a failed shutdown request in a box of its own.
TEST_F(EventLoop, AFailedShutdownRequestIsShownInABoxOfItsOwn) {
    StartOk();
    engine::ShowShutdownFailure(L"Error: ExitWindowsEx call failed");
    const auto boxes = plat::ShownDialogsForTest();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"ShutDown");
    EXPECT_EQ(boxes[0].text, L"Error: ExitWindowsEx call failed");
}

}  // namespace
