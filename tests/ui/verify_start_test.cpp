// "Tresoro.exe /VERIFY": the selected jobs run once, due or not, comparing
// by content, with the window as a run shows it; the program then ends by
// itself, without the end countdown of "/S" or the shutdown of "/P", and
// its exit code says whether anything differed.
#include <gtest/gtest.h>

#include "engine/countdown.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/text.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/widgets.h"

namespace {

using ui_testing::IniText;
using ui_testing::UiFixture;

int g_shutdowns = 0;
int CountShutdown(uint32_t) { return ++g_shutdowns, plat::kShutdownAccepted; }

struct VerifyStart : UiFixture {
    // A job that is not due (a week's interval, run a moment ago) over a
    // source and a mirror copy of the same size and date.
    int RunVerify(const std::string& mirror) {
        tree.Write(L"src\\a.txt", "neu");
        tree.Write(L"dst\\a.txt", mirror);
        for (const wchar_t* file : {L"src\\a.txt", L"dst\\a.txt"})
            EXPECT_TRUE(plat::SetModified(tree.Path(file), 1600000000));
        const std::string job = "1 = 7|" + plat::WideToUtf8(tree.Path(L"src\\")) + "|" +
                                plat::WideToUtf8(tree.Path(L"dst\\")) + "|1|0|0|3|7|" + std::to_string(plat::Now()) +
                                "\n";
        WriteIni(IniText("", "", job));
        g_shutdowns = 0;
        plat::SetShutdownHookForTest(&CountShutdown);
        StartOk({L"/S60", L"/verify", L"/P"});
        EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabMessages);
        EXPECT_FALSE(plat::GetGadgetEnabled(ui::StartButton));
        ui::EventLoop();  // returns once the run asks to quit
        EXPECT_EQ(g_shutdowns, 0);
        EXPECT_EQ(engine::Countdown().EndDelay, 0);
        return ui::EndProgram();
    }
    bool Logged(const std::wstring& line) {
        for (const std::wstring& logged : logs::ChannelLines(logs::kChannelMessages))
            if (logged == line) return true;
        return false;
    }
};

TEST_F(VerifyStart, ADamagedMirrorCopyIsRepairedAndTheExitCodeIsOne) {
    EXPECT_EQ(RunVerify("alt"), 1);
    EXPECT_EQ(tree.Read(L"dst\\a.txt"), "neu");
    EXPECT_EQ(tree.Read(L"dst\\@\\a.txt"), "alt");
    EXPECT_TRUE(Logged(L"Geprüft: 1 Dateien (0 MB), abweichend: 1"));
}

TEST_F(VerifyStart, AnEqualMirrorArchivesNothingAndTheExitCodeIsZero) {
    EXPECT_EQ(RunVerify("neu"), 0);
    EXPECT_EQ(tree.Names(L"dst\\@"), std::vector<std::wstring>{L"Tresoro.ini"});
    EXPECT_TRUE(Logged(L"Geprüft: 1 Dateien (0 MB), abweichend: 0"));
}

// Handed over to a Tresoro that runs already, nothing was compared.
TEST_F(VerifyStart, HandedOverToARunningTresoroTheExitCodeIsOne) {
    WriteIni(IniText());
    plat::SetForeignMutexForTest(L"Tresoro");
    const ui::StartResult result = Start({L"/VERIFY"});
    EXPECT_FALSE(result.enterLoop);
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
