// What follows an unattended run: the program-end countdown of "/S<n>",
// the shutdown countdown of "Herunterfahren wenn fertig", five more minutes
// after errors, and the power-off request through the test intercept.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "core/state.h"
#include "engine/countdown.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui_testing.h"
#include "platform/power.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace {

using testing_support::Recorded;

const std::wstring kEndPrefix = L"Programm wird beendet (stoppen mit 'Abbrechen'): ";
const std::wstring kShutdownPrefix = L"Windows herunterfahren (stoppen mit 'Abbrechen'): ";

// What the intercept saw of the shutdown request.
struct PowerCalls {
    std::vector<uint32_t> flags;
    bool configWrittenBefore = false;
    int programEndsBefore = 0;
    int answer = 0;
};
PowerCalls g_power;

int RecordPowerOff(uint32_t flags) {
    g_power.flags.push_back(flags);
    g_power.configWrittenBefore = plat::FileExists(core::S().paths.IniFile);
    g_power.programEndsBefore = Recorded().programEnds;
    return g_power.answer;
}

struct EndSequence : testing::Test {
    testing_support::TempTree tree;

    void SetUp() override {
        testing_support::InstallRecorder();
        logs::InstallCoreSinks(nullptr);
        tree.Mkdir(L"cfg");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
        core::S().paths.IniDir = tree.Path(L"cfg\\");
        core::S().paths.IniFile = tree.Path(L"cfg\\Tresoro.ini");
        plat::SetFakeClock(testing_support::kTestNow, 3600000);
        g_power = PowerCalls{};
        plat::SetShutdownHookForTest(RecordPowerOff);
    }

    // The first number of each countdown: the lines that follow an empty
    // start (a new countdown shows its full length first).
    static std::vector<std::wstring> CountdownStarts() {
        std::vector<std::wstring> starts;
        std::wstring previousPrefix;
        int previous = -1;
        for (const std::wstring& line : Recorded().statusLines) {
            const size_t colon = line.rfind(L": ");
            if (colon == std::wstring::npos) {
                previous = -1;
                continue;
            }
            const int number = static_cast<int>(std::wcstol(line.c_str() + colon + 2, nullptr, 10));
            if (previous == -1 || number > previous) starts.push_back(line);
            previous = number;
        }
        return starts;
    }
};

TEST_F(EndSequence, EndDelayWithoutErrorsCountsItsSecondsAndRequestsTheEnd) {
    engine::Countdown().EndDelay = 60;
    engine::RunEndSequence(false);
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kEndPrefix + L"60"}));
    EXPECT_EQ(Recorded().statusLines.back(), kEndPrefix + L"0");
    EXPECT_EQ(Recorded().windowWaits, 61);
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
    EXPECT_EQ(engine::Countdown().EndDelay, 0);
    EXPECT_TRUE(g_power.flags.empty());
    EXPECT_EQ(Recorded().programEnds, 0);
}

TEST_F(EndSequence, ErrorsGiveFiveMoreMinutes) {
    engine::Countdown().EndDelay = 60;
    engine::RunEndSequence(true);
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kEndPrefix + L"360"}));
    EXPECT_EQ(Recorded().windowWaits, 361);
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
}

TEST_F(EndSequence, NothingToDoWithoutDelayOrShutdown) {
    engine::RunEndSequence(false);
    EXPECT_TRUE(Recorded().statusLines.empty());
    EXPECT_EQ(Recorded().windowWaits, 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    EXPECT_TRUE(g_power.flags.empty());
}

TEST_F(EndSequence, ShutdownAfterFifteenSecondsWritesTheConfigurationAndPowersOffAskingThePrograms) {
    Recorded().shutdownChecked = true;
    engine::RunEndSequence(false);
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kShutdownPrefix + L"15"}));
    EXPECT_EQ(Recorded().windowWaits, 16);
    // EWX_POWEROFF | EWX_FORCEIFHUNG, planned (application, maintenance).
    ASSERT_EQ(g_power.flags, (std::vector<uint32_t>{0x18}));
    EXPECT_EQ(plat::LastShutdownReasonForTest(), 0x80040001u);
    EXPECT_TRUE(g_power.configWrittenBefore);
    EXPECT_EQ(g_power.programEndsBefore, 0);
    EXPECT_EQ(Recorded().programEnds, 1);
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
}

TEST_F(EndSequence, ShutdownAfterErrorsWaitsFiveMinutes) {
    Recorded().shutdownChecked = true;
    engine::RunEndSequence(true);
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kShutdownPrefix + L"300"}));
    EXPECT_EQ(g_power.flags.size(), 1u);
    EXPECT_EQ(Recorded().programEnds, 1);
}

TEST_F(EndSequence, ProgramEndCountdownThenShutdownCountdown) {
    Recorded().shutdownChecked = true;
    engine::Countdown().EndDelay = 30;
    engine::RunEndSequence(false);
    // Both count with the shutdown text, the second from 15 once EndDelay is spent.
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kShutdownPrefix + L"30", kShutdownPrefix + L"15"}));
    EXPECT_EQ(Recorded().windowWaits, 31 + 16);
    EXPECT_EQ(g_power.flags.size(), 1u);
    EXPECT_EQ(Recorded().statusBlinkStarts, 2);
}

TEST_F(EndSequence, CancelledFirstCountdownStopsTheSecondAfterItsFirstWait) {
    Recorded().shutdownChecked = true;
    engine::Countdown().EndDelay = 10;
    Recorded().cancelAtWindowWait = 2;
    engine::RunEndSequence(false);
    const std::vector<std::wstring> lines = {kShutdownPrefix + L"10", kShutdownPrefix + L"9", L"",
                                             kShutdownPrefix + L"15", L""};
    EXPECT_EQ(Recorded().statusLines, lines);
    EXPECT_EQ(Recorded().windowWaits, 3);
    EXPECT_EQ(Recorded().cancelReleases, 2);
    EXPECT_TRUE(g_power.flags.empty());
    EXPECT_EQ(Recorded().programEnds, 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    EXPECT_FALSE(plat::FileExists(core::S().paths.IniFile));
}

TEST_F(EndSequence, AFailedRequestIsShownAndTheProgramEndsAnyway) {
    Recorded().shutdownChecked = true;
    g_power.answer = plat::kShutdownRefused;
    engine::RunEndSequence(false);
    EXPECT_EQ(Recorded().shutdownFailures, std::vector<std::wstring>{L"Error: ExitWindowsEx call failed"});
    EXPECT_EQ(Recorded().programEnds, 1);
}

// The run hands over to the end sequence: errors delay the end and say so.
TEST_F(EndSequence, RunWithErrorsAndEndDelayAnnouncesTheDelayAndCountsFrom360) {
    testing_support::AddJob(tree.Path(L"gone\\"), tree.Path(L"cfg\\"));
    engine::Countdown().EndDelay = 60;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(testing_support::LogHas(
        core::kLogNormal, L"ES SIND FEHLER AUFGETRETEN: 1 (aut. Programm-Beendigung wird deshalb verzögert)"));
    EXPECT_EQ(CountdownStarts(), (std::vector<std::wstring>{kEndPrefix + L"360"}));
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
    // The run puts the window back after the countdown.
    EXPECT_FALSE(Recorded().controlsLocked.back());
    EXPECT_EQ(Recorded().cancelReleases, 1);
}

TEST_F(EndSequence, CancelledRunSkipsEveryCountdown) {
    testing_support::JobTree job;
    testing_support::WriteDated(job.src + L"a.txt", "a", testing_support::kTestNow - 100);
    Recorded().cancelAtDrain = 1;
    Recorded().shutdownChecked = true;
    engine::Countdown().EndDelay = 60;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_EQ(engine::R().CancelRequested, 1);
    EXPECT_TRUE(CountdownStarts().empty());
    EXPECT_EQ(Recorded().windowWaits, 0);
    EXPECT_EQ(Recorded().statusBlinkStarts, 0);
    EXPECT_TRUE(g_power.flags.empty());
    EXPECT_EQ(Recorded().programEnds, 0);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
}

}  // namespace
