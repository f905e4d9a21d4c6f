// The timed start as the main loop drives it, and the end countdown as the
// window shows it: each second once, the bar running down, "Abbrechen".
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/text_helpers.h"
#include "engine/countdown.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/clock.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace {

using testing_support::Recorded;

const std::wstring kEndPrefix = L"Programm wird beendet (stoppen mit 'Abbrechen'): ";

std::wstring StartText(int seconds) { return L"Backup wird in " + std::to_wstring(seconds) + L" Sekunden gestartet!"; }

struct Countdown : testing::Test {
    testing_support::TempTree tree;

    void SetUp() override {
        testing_support::InstallRecorder();
        logs::InstallCoreSinks(nullptr);
        tree.Mkdir(L"cfg");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
        core::S().paths.IniDir = tree.Path(L"cfg\\");
        core::S().paths.IniFile = tree.Path(L"cfg\\Tresoro.ini");
        // A tick far from 0, as GetTickCount is on a machine that has run a while.
        plat::SetFakeClock(testing_support::kTestNow, 3600000);
    }

    // What start-up does for "/S": the countdown armed, the controls locked
    // and the first number shown.
    static void ArmTimedStart(int32_t seconds) {
        engine::Countdown().StartCountdown = seconds;
        Recorded().controlsLocked.push_back(true);
        Recorded().statusLines.push_back(StartText(seconds));
    }

    // What the turn after a dropped countdown leaves: nothing counts, nothing
    // blinks, the controls take input again.
    static void ExpectDisplayCleared() {
        EXPECT_EQ(Recorded().statusLines.back(), L"");
        EXPECT_FALSE(Recorded().controlsLocked.back());
        EXPECT_EQ(engine::Blinking.load(), 0);
        EXPECT_FALSE(engine::Countdown().CountdownShown);
    }

    static bool RunStarted() {
        for (const std::wstring& line : Recorded().statusLines)
            if (line == L"Kopieren gestartet") return true;
        return false;
    }
};

TEST_F(Countdown, TimedStartCountsOnceASecondAndRunsRespectingIntervals) {
    // A job that ran a moment ago is not due: only an interval-respecting run
    // passes it over.
    core::Job& job = testing_support::AddJob(tree.Path(L"src\\"), tree.Path(L"dst\\"));
    job.BupInterval = 1;
    job.LastBup = static_cast<int32_t>(testing_support::kTestNow);
    ArmTimedStart(20);

    engine::StartCountdownTick();  // the loop's first turn steps at once
    ASSERT_EQ(Recorded().statusLines.size(), 2u);
    EXPECT_EQ(Recorded().statusLines[1], StartText(19));
    // Events within the same second take no step.
    plat::AdvanceFakeClock(999);
    engine::StartCountdownTick();
    engine::StartCountdownTick();
    EXPECT_EQ(Recorded().statusLines.size(), 2u);
    EXPECT_EQ(engine::Countdown().StartCountdown, 19);

    plat::AdvanceFakeClock(1);
    int beats = 0;
    while (!RunStarted() && beats < 100) {
        engine::StartCountdownTick();
        plat::AdvanceFakeClock(1000);
        ++beats;
    }
    // 19 seconds after the first step: 18 ... 1 shown, then the run.
    EXPECT_EQ(beats, 19);
    std::vector<std::wstring> expected;
    for (int s = 20; s >= 1; --s) expected.push_back(StartText(s));
    expected.push_back(L"Kopieren gestartet");
    const std::vector<std::wstring> shown(Recorded().statusLines.begin(),
                                          Recorded().statusLines.begin() + expected.size());
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(testing_support::LogHas(
        core::kLogNormal, L"Backup noch nicht fällig - nächstes frühestens am " +
                              core::FormatLogDate(engine::NextDue(job, core::S().settings.GFirstNext)) + L"   "));
    // The countdown blinked the status line once; the run its button.
    EXPECT_EQ(Recorded().statusBlinkStarts, 1);
    EXPECT_EQ(Recorded().blinkStarts, 1);
    EXPECT_EQ(engine::Blinking.load(), 0);
    EXPECT_EQ(engine::Countdown().StartCountdown, 0);
}

TEST_F(Countdown, TheRunResultStaysAfterTheTimedRun) {
    ArmTimedStart(1);
    engine::StartCountdownTick();
    ASSERT_TRUE(RunStarted());
    EXPECT_EQ(Recorded().statusLines.back(), L"Nichts zu kopieren...");
    EXPECT_FALSE(Recorded().controlsLocked.back());
    const size_t shown = Recorded().statusLines.size();
    plat::AdvanceFakeClock(1000);
    engine::StartCountdownTick();
    engine::StartCountdownTick();
    EXPECT_EQ(Recorded().statusLines.size(), shown);
}

TEST_F(Countdown, CancelDropsTheTimedRunAndTheNextTickClearsTheDisplay) {
    ArmTimedStart(20);
    engine::StartCountdownTick();
    plat::AdvanceFakeClock(1000);
    engine::StartCountdownTick();
    EXPECT_EQ(Recorded().statusLines.back(), StartText(18));

    engine::R().CancelRequested = 1;  // "Abbrechen"
    plat::AdvanceFakeClock(1000);
    engine::StartCountdownTick();
    EXPECT_EQ(engine::Countdown().StartCountdown, 0);
    EXPECT_EQ(engine::R().CancelRequested, 0);
    EXPECT_EQ(Recorded().statusLines.back(), StartText(18));
    EXPECT_TRUE(Recorded().controlsLocked.back());

    plat::AdvanceFakeClock(1000);
    engine::StartCountdownTick();
    ExpectDisplayCleared();

    // Idle from now on: no run, nothing more shown.
    const size_t shown = Recorded().statusLines.size();
    for (int i = 0; i < 30; ++i) {
        plat::AdvanceFakeClock(1000);
        engine::StartCountdownTick();
    }
    EXPECT_EQ(Recorded().statusLines.size(), shown);
    EXPECT_FALSE(RunStarted());
    EXPECT_TRUE(testing_support::LogLines(core::kLogNormal).empty());
}

TEST_F(Countdown, CancelBeforeTheFirstStepStillUnlocksAndClears) {
    ArmTimedStart(20);
    engine::R().CancelRequested = 1;  // "Abbrechen" before the loop's first turn
    engine::StartCountdownTick();
    EXPECT_EQ(engine::Countdown().StartCountdown, 0);
    EXPECT_EQ(engine::Blinking.load(), 1);
    plat::AdvanceFakeClock(1000);
    engine::StartCountdownTick();
    ExpectDisplayCleared();
    EXPECT_FALSE(RunStarted());
}

TEST_F(Countdown, EndCountdownShowsEachSecondOnceAndRequestsTheEnd) {
    engine::Countdown().EndDelay = 5;
    engine::EndCountdown(5);
    const std::vector<std::wstring> lines = {kEndPrefix + L"5", kEndPrefix + L"4", kEndPrefix + L"3",
                                             kEndPrefix + L"2", kEndPrefix + L"1", kEndPrefix + L"0"};
    EXPECT_EQ(Recorded().statusLines, lines);
    EXPECT_EQ(Recorded().fileProgress, (std::vector<int>{100, 80, 60, 40, 20, 0}));
    // One wait per second, and the wait after 0 before it ends.
    EXPECT_EQ(Recorded().windowWaitMillis, std::vector<uint32_t>(6, 1000));
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
    EXPECT_EQ(engine::Countdown().EndDelay, 0);
    EXPECT_EQ(Recorded().statusBlinkStarts, 1);
    EXPECT_EQ(engine::Blinking.load(), 0);
    EXPECT_EQ(Recorded().cancelReleases, 0);
}

TEST_F(Countdown, EventsArrivingEarlyDoNotRepeatASecond) {
    Recorded().windowWaitClockMillis = 250;
    engine::EndCountdown(3);
    const std::vector<std::wstring> lines = {kEndPrefix + L"3", kEndPrefix + L"2", kEndPrefix + L"1",
                                             kEndPrefix + L"0"};
    EXPECT_EQ(Recorded().statusLines, lines);
    EXPECT_EQ(Recorded().fileProgress, (std::vector<int>{100, 66, 33, 0}));
    EXPECT_EQ(Recorded().windowWaits, 13);
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
}

TEST_F(Countdown, BarIsTheFractionLeft) {
    engine::EndCountdown(15);
    ASSERT_EQ(Recorded().fileProgress.size(), 16u);
    for (int left = 15; left >= 0; --left) EXPECT_EQ(Recorded().fileProgress[15 - left], left * 100 / 15) << left;
}

TEST_F(Countdown, CancelStopsTheEndCountdownAndClearsTheLine) {
    engine::Countdown().EndDelay = 60;
    Recorded().cancelAtWindowWait = 3;
    engine::EndCountdown(60);
    const std::vector<std::wstring> lines = {kEndPrefix + L"60", kEndPrefix + L"59", kEndPrefix + L"58", L""};
    EXPECT_EQ(Recorded().statusLines, lines);
    EXPECT_EQ(Recorded().windowWaits, 3);
    EXPECT_EQ(Recorded().cancelReleases, 1);
    EXPECT_EQ(engine::Countdown().QuitRequested, 0);
    EXPECT_EQ(engine::Countdown().EndDelay, 0);
    EXPECT_EQ(engine::Blinking.load(), 0);
}

TEST_F(Countdown, HugeDelayShowsAFullBar) {
    // "/S" takes any number; the percentage must not overflow.
    Recorded().cancelAtWindowWait = 1;
    engine::EndCountdown(INT32_MAX);
    ASSERT_FALSE(Recorded().fileProgress.empty());
    EXPECT_EQ(Recorded().fileProgress.front(), 100);
    EXPECT_EQ(Recorded().statusLines.front(), kEndPrefix + L"2147483647");
}

}  // namespace
