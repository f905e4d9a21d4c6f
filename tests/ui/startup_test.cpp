// Start-up as a user sees it: the files of a first start, the command line,
// the second instance handing over, and a configuration of a newer version.
#include <gtest/gtest.h>

#include "core/state.h"
#include "dialogs/standard_setup.h"
#include "engine/countdown.h"
#include "engine/run_state.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/menu.h"
#include "ui/startup.h"
#include "ui/widgets.h"

namespace {

using ui_testing::IniText;
using ui_testing::UiFixture;

using StartUp = UiFixture;

TEST_F(StartUp, StartWritesTheControlFilesAndShowsTheWindowWithItsTrayIcon) {
    // GStdAuto = 0 keeps the standard set-up's window away.
    WriteIni(IniText());
    const ui::StartResult result = Start();
    ASSERT_TRUE(result.enterLoop);
    EXPECT_TRUE(plat::DirExists(configDir));
    EXPECT_TRUE(plat::FileExists(configDir + L"WinFolderList.txt"));
    EXPECT_TRUE(plat::FileExists(configDir + L"ExcludePaths.txt"));
    EXPECT_EQ(core::S().paths.ConfigDir, configDir);
    EXPECT_EQ(plat::GetWindowTitle(ui::MainWindow), L"Tresoro 1.09");
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
    int window = 0, icon = 0;
    std::wstring tip;
    ASSERT_TRUE(plat::TrayIconForTest(ui::TrayIcon, window, icon, tip));
    EXPECT_EQ(window, ui::MainWindow);
    EXPECT_EQ(tip, L"Tresoro 1.09");
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");  // emptied after the logs loaded
    EXPECT_EQ(plat::GetGadgetFont(ui::ExclusionLabel), (plat::Font{L"Arial", 12, false}));
    EXPECT_EQ(plat::GetGadgetFont(ui::StartButton), (plat::Font{L"Arial", 9, false}));
    EXPECT_TRUE(plat::ErrorBoxesSuppressed());
}

// An autostart at logon ("/M", straight into the tray) while Explorer still
// refuses icons: the icon comes as soon as Explorer takes it, and brings
// the window back.
TEST_F(StartUp, AtLogonTheRefusedTrayIconComesLaterAndBringsTheWindowBack) {
    WriteIni(IniText());
    plat::FailTrayAddsForTest(4);
    StartOk({L"/M"});
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
    int passes = 0;
    for (; passes < 30 && !plat::TrayIconShownForTest(ui::TrayIcon); ++passes) ui::EventLoopPass();
    ASSERT_TRUE(plat::TrayIconShownForTest(ui::TrayIcon));
    EXPECT_GE(passes, 4 * int(plat::kTrayRetryMillis / 1000));
    plat::UserClickTray(ui::TrayIcon);
    ui::EventLoopPass();
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
}

// "Std.Jobs autom. dazu" ticked and a destination stored: the standard jobs
// come without a window or a question, and only once.
TEST_F(StartUp, StandardJobsAreAddedSilentlyToTheStoredDestination) {
    tree.Write(L"Users\\Nutzer\\NTUSER.DAT", "n");
    tree.Write(L"Users\\Public\\Musik\\lied.mp3", "m");
    tree.Mkdir(L"backup");
    plat::SetEnvForTest(L"USERNAME", L"Nutzer");
    plat::SetEnvForTest(L"PUBLIC", tree.Path(L"Users\\Public"));
    plat::SetSpecialFolderForTest(40, tree.Path(L"Users\\Nutzer"));
    plat::SetSpecialFolderForTest(5, tree.Path(L"Users\\Nutzer\\Documents"));
    const std::string backup = plat::WideToUtf8(tree.Path(L"backup\\"));
    std::string ini = IniText("GStdBupPath = " + backup + "\n");
    ini.replace(ini.find("GStdAuto = 0"), 12, "GStdAuto = 1");
    WriteIni(ini);
    ASSERT_TRUE(Start().enterLoop);
    EXPECT_TRUE(plat::ShownDialogsForTest().empty());
    EXPECT_FALSE(plat::WindowExists(dialogs::StdSetupWindow));
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 2u);  // the documents lie inside the profile
    EXPECT_EQ(jobs[0].Src, tree.Path(L"Users\\Nutzer\\"));
    EXPECT_EQ(jobs[0].Dest, tree.Path(L"backup\\Nutzer\\"));
    EXPECT_EQ(jobs[1].Src, tree.Path(L"Users\\Public\\"));
    EXPECT_EQ(jobs[1].Dest, tree.Path(L"backup\\Public\\"));
    EXPECT_EQ(jobs[1].Flags, core::kFlagSelected);
    EXPECT_TRUE(tree.Exists(L"backup\\Nutzer"));
    EXPECT_TRUE(tree.Exists(L"backup\\Public"));
    // The job list shows them; the menu keeps its tick.
    EXPECT_EQ(plat::GetListRowCount(ui::JobListView), 2);
    EXPECT_TRUE(plat::GetListRowChecked(ui::JobListView, 1));
    EXPECT_TRUE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
}

TEST_F(StartUp, OlderFilesMoveIntoTheDataFolder) {
    tree.Write(L"AppData\\Tresoro.ini", "\xEF\xBB\xBF" + IniText("GBupBeiStartVerz = 7\n"));
    tree.Write(L"AppData\\Tresoro5.log", "x");
    tree.Write(L"AppData\\Other.txt", "y");
    ASSERT_TRUE(Start().enterLoop);
    EXPECT_TRUE(plat::FileExists(configDir + L"Tresoro.ini"));
    EXPECT_TRUE(plat::FileExists(configDir + L"Tresoro5.log"));
    EXPECT_TRUE(tree.Exists(L"AppData\\Other.txt"));
    EXPECT_EQ(core::S().settings.GBupBeiStartVerz, 7);
}

TEST_F(StartUp, TimedStartArmsTheCountdownAndLocksTheControls) {
    WriteIni(IniText("GBupBeiStartVerz = 25\n"));
    StartOk({L"/x", L"/s15", L"/p"});
    const engine::CountdownState& countdown = engine::Countdown();
    EXPECT_EQ(countdown.EndDelay, 15);
    EXPECT_EQ(countdown.StartCountdown, 25);
    EXPECT_EQ(plat::GetGadgetState(ui::ShutdownCheck), 1);
    EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabMessages);
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");  // the logs' load empties it once
    EXPECT_FALSE(plat::GetGadgetEnabled(ui::StartButton));
    EXPECT_FALSE(plat::GetGadgetEnabled(ui::JobListView));
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::CancelButton));
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::ShutdownCheck));
}

TEST_F(StartUp, CommandLineParameters) {
    EXPECT_EQ(ui::EndDelayOf(L"/S"), 0);
    EXPECT_EQ(ui::EndDelayOf(L"/S15"), 15);
    EXPECT_EQ(ui::EndDelayOf(L"/S/S30"), 30);
    EXPECT_EQ(ui::EndDelayOf(L"/SX"), 0);
    EXPECT_EQ(ui::EndDelayOf(L"/S99999999999"), INT32_MAX);
    StartOk({L"/S", L"15", L"/M", L"", L"/P"});
    EXPECT_EQ(engine::Countdown().EndDelay, 0);  // the number must be attached
    EXPECT_EQ(engine::Countdown().StartCountdown, 20);
    EXPECT_EQ(plat::GetGadgetState(ui::ShutdownCheck), 0);  // after the empty parameter
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));     // "/M": tray only
    EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Minimized);
}

TEST_F(StartUp, SecondInstanceWakesTheFirstAndWritesNothing) {
    WriteIni(IniText());
    const std::string before = tree.Read(L"AppData\\TresoroData\\Tresoro.ini");
    // The first instance's window, seen from here.
    ASSERT_TRUE(plat::OpenWindow(900, L"Tresoro 1.09", {0, 0, 400, 300}, plat::kWinHidden));
    plat::SetForeignMutexForTest(L"Tresoro");
    const ui::StartResult result = Start();
    EXPECT_FALSE(result.enterLoop);
    EXPECT_EQ(result.exitCode, ui::kExitHandedOver);
    EXPECT_FALSE(plat::WindowExists(ui::MainWindow));
    plat::GuiEvent event;
    ASSERT_TRUE(plat::PollEvent(event));
    EXPECT_EQ(event.kind, plat::EventKind::Registered);
    EXPECT_EQ(event.window, 900);
    EXPECT_EQ(event.message, ui::BringToFrontMessage());
    EXPECT_EQ(tree.Read(L"AppData\\TresoroData\\Tresoro.ini"), before);
    EXPECT_TRUE(plat::FileExists(configDir + L"WinFolderList.txt"));  // steps before the guard ran
}

TEST_F(StartUp, NewerConfigurationEndsWithItsMessage) {
    WriteIni("[GENERAL]\r\nINIVersion = 999999\r\n");
    const std::string before = tree.Read(L"AppData\\TresoroData\\Tresoro.ini");
    const ui::StartResult result = Start();
    EXPECT_FALSE(result.enterLoop);
    EXPECT_EQ(result.exitCode, ui::kExitStartFailed);
    EXPECT_FALSE(plat::WindowExists(ui::MainWindow));
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, L"Tresoro Meldung");
    EXPECT_EQ(tree.Read(L"AppData\\TresoroData\\Tresoro.ini"), before);
}

}  // namespace
