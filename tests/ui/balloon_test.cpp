// The tray's balloon in the in-memory window system: at the end of an
// unattended run that went wrong (the window stays where it is; a click on
// the balloon brings it up on the error log), and at start-up for a job
// whose last good backup lies too far back. The exit code follows the last
// unattended run.
#include <gtest/gtest.h>

#include "core/report.h"
#include "log/channels.h"
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

struct Balloon : UiFixture {
    // One job from "src\" to "dst\"; its source missing when `broken`.
    void WriteJob(bool broken, const std::string& lastBup = "0") {
        if (!broken) tree.Write(L"src\\a.txt", "hello");
        tree.Mkdir(L"dst");
        const std::string job = "1 = 77|" + plat::WideToUtf8(tree.Path(L"src\\")) + "|" +
                                plat::WideToUtf8(tree.Path(L"dst\\")) + "|1|0|0|0|0|" + lastBup + "\n";
        WriteIni(IniText("GBupBeiStartVerz = 1\n", "", job));
    }
    int Balloons(std::wstring& text) const {
        std::wstring title;
        const int shown = plat::TrayBalloonsForTest(ui::TrayIcon, title, text);
        if (shown > 0) {
            EXPECT_EQ(title, L"Tresoro");
        }
        return shown;
    }
};

struct UnattendedBalloon : Balloon, testing::WithParamInterface<bool> {};

TEST_P(UnattendedBalloon, AnUnattendedRunThatWentWrongSaysSoAndEndsWithOne) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    const bool broken = GetParam();
    WriteJob(broken);
    StartOk({L"/S", L"/M"});
    for (int i = 0; i < 4; ++i) ui::EventLoopPass();
    std::wstring text;
    ASSERT_EQ(Balloons(text), broken ? 1 : 0);
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));  // still in the tray
    if (broken) {
        EXPECT_EQ(text, L"Backup mit Fehlern beendet - 1 Fehler");
        plat::UserClickTrayBalloon(ui::TrayIcon);
        ui_testing::RunPendingEvents();
        EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
        EXPECT_EQ(plat::GetWindowState(ui::MainWindow), plat::WindowState::Normal);
        EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabErrors);
    } else {
        plat::UserClickTray(ui::TrayIcon);  // a hidden window has no close box
    }
    plat::UserCloseWindow(ui::MainWindow);
    ui::EventLoop();
    EXPECT_EQ(ui::EndProgram(), broken ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Balloon, UnattendedBalloon, testing::Bool());

TEST_F(Balloon, StartUpTellsOfAJobLongWithoutAGoodBackup) {
    // 20 days before the fake clock's now (1700000000), no interval.
    WriteJob(false, std::to_string(1700000000 - 20 * 86400));
    StartOk();
    const std::wstring line = L"Letztes erfolgreiches Backup von " + tree.Path(L"src\\") + L" vor 20 Tagen";
    std::wstring text;
    ASSERT_EQ(Balloons(text), 1);
    EXPECT_EQ(text, line);
    EXPECT_NE(logs::ChannelText(core::kLogHint).find(line), std::wstring::npos);
    plat::SetGadgetState(ui::MainTabs, ui::kTabSelection);
    plat::UserClickTrayBalloon(ui::TrayIcon);
    ui_testing::RunPendingEvents();
    EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabHints);
    EXPECT_EQ(ui::EndProgram(), 0);  // no unattended run
}

}  // namespace
