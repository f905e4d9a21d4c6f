// What the user hears of outside the window: the exit code and the balloon
// at the end of an unattended run, and the hint and balloon at start-up
// for a job whose last good backup lies too far back.
#include <gtest/gtest.h>

#include "core/report.h"
#include "core/state.h"
#include "engine/countdown.h"
#include "engine/notice.h"
#include "log/channels.h"
#include "tests/support/engine_fixture.h"

namespace ts = testing_support;

TEST(EngineNotice, AnUnattendedRunEndsWithItsExitCodeAndTellsOfErrors) {
    struct Case {
        int32_t errors, heldBack;
        bool unattended;
        int exitCode;
        std::wstring balloon;  // "" for none
    };
    const Case cases[] = {
        {0, 0, true, 0, L""},
        {3, 1, true, 1, L"Tresoro|Backup mit Fehlern beendet - 3 Fehler, 1 Job zurückgehalten"},
        {2, 2, true, 1, L"Tresoro|Backup mit Fehlern beendet - 2 Fehler, 2 Jobs zurückgehalten"},
        {1, 0, true, 1, L"Tresoro|Backup mit Fehlern beendet - 1 Fehler"},
        // The user saw it happen: no balloon, the exit code stays.
        {4, 1, false, 0, L""},
    };
    for (const Case& c : cases) {
        ts::ResetForNextCase();
        engine::Run run;
        run.options.Unattended = c.unattended;
        run.tally.RunErrorCount = c.errors;
        run.tally.JobsHeldBack = c.heldBack;
        engine::NoticeRunEnd(run);
        EXPECT_EQ(engine::Countdown().ExitCode, c.exitCode) << c.errors;
        EXPECT_EQ(ts::Recorded().balloons,
                  c.balloon.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.balloon});
        if (!c.balloon.empty()) {
            EXPECT_EQ(ts::Recorded().balloonTopics[0], engine::BalloonTopic::Errors);
        }
    }
}

TEST(EngineNotice, StartUpNamesJobsWhoseLastGoodBackupIsTooOld) {
    ts::ResetForNextCase();
    const int64_t now = ts::kTestNow;
    struct Row {
        const wchar_t* src;
        int32_t interval;
        int64_t ageDays;  // -1: never ran
        bool selected;
    };
    const Row rows[] = {
        {L"C:\\Alt\\", 0, 15, true},     // two weeks without interval
        {L"C:\\Grenze\\", 0, 14, true},  // exactly two weeks: not yet
        {L"C:\\Woche\\", 7, 15, true},   // interval 7 plus a week
        {L"C:\\Monat\\", 30, 36, true},  // within 30 + 7
        {L"C:\\Nie\\", 0, -1, true},     // LastBup 0
        {L"C:\\Aus\\", 0, 100, false},   // not selected
        {L"C:\\Monat2\\", 30, 40, true},
    };
    for (const Row& row : rows) {
        core::Job& job = ts::AddJob(row.src, L"D:\\");
        job.BupInterval = row.interval;
        job.LastBup = row.ageDays < 0 ? 0 : static_cast<int32_t>(now - row.ageDays * ts::kDay);
        if (!row.selected) job.Flags = 0;
    }
    const std::vector<std::wstring> expected = {L"Letztes erfolgreiches Backup von C:\\Alt\\ vor 15 Tagen",
                                                L"Letztes erfolgreiches Backup von C:\\Woche\\ vor 15 Tagen",
                                                L"Letztes erfolgreiches Backup von C:\\Monat2\\ vor 40 Tagen"};
    EXPECT_EQ(engine::StaleJobLines(core::S().Jobs.items, now), expected);

    engine::NoticeStaleJobs(now);
    EXPECT_EQ(ts::LogLines(core::kLogHint), expected);
    ASSERT_EQ(ts::Recorded().balloons.size(), 1u);
    EXPECT_EQ(ts::Recorded().balloons[0], L"Tresoro|" + expected[0] + L"\n" + expected[1] + L"\n" + expected[2]);
    EXPECT_EQ(ts::Recorded().balloonTopics[0], engine::BalloonTopic::Hints);

    // Nothing stale, nothing said.
    ts::ResetForNextCase();
    ts::AddJob(L"C:\\Neu\\", L"D:\\").LastBup = static_cast<int32_t>(now - ts::kDay);
    engine::NoticeStaleJobs(now);
    EXPECT_TRUE(ts::Recorded().balloons.empty());
    EXPECT_TRUE(ts::LogLines(core::kLogHint).empty());
}
