// The rules of a run that need no window: when a job is due, the expected
// total, the free-space limit, the destination tail, the foreign
// configuration match and the elapsed-time form.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/state.h"
#include "engine/run.h"
#include "platform/clock.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kMarch10 = 1710028800;  // 10.03.24 00:00:00 local

core::Job JobWith(int32_t interval, int64_t lastBup) {
    core::Job job;
    job.BupInterval = interval;
    job.LastBup = static_cast<int32_t>(lastBup);
    return job;
}

TEST(EngineNextDue, RunBeforeFirstHourCountsForThePreviousDay) {
    EXPECT_EQ(engine::NextDue(JobWith(1, kMarch10 + 2 * 3600), 4), kMarch10 + 4 * 3600);
    EXPECT_EQ(engine::NextDue(JobWith(1, kMarch10 + 10 * 3600), 4), kMarch10 + kDay + 4 * 3600);
    // The boundary hour itself already belongs to the new day.
    EXPECT_EQ(engine::NextDue(JobWith(1, kMarch10 + 4 * 3600), 4), kMarch10 + kDay + 4 * 3600);
    EXPECT_EQ(engine::NextDue(JobWith(1, kMarch10 + 4 * 3600 - 1), 4), kMarch10 + 4 * 3600);
}

TEST(EngineNextDue, LongerIntervalsAndMidnightStart) {
    EXPECT_EQ(engine::NextDue(JobWith(7, kMarch10 + 2 * 3600), 4), kMarch10 + 6 * kDay + 4 * 3600);
    EXPECT_EQ(engine::NextDue(JobWith(7, kMarch10 + 23 * 3600), 4), kMarch10 + 7 * kDay + 4 * 3600);
    EXPECT_EQ(engine::NextDue(JobWith(1, kMarch10 + 30), 0), kMarch10 + kDay);
    EXPECT_EQ(engine::NextDue(JobWith(2, kMarch10 + 23 * 3600), 0), kMarch10 + 2 * kDay);
}

TEST(EngineDueBySimpleTest, IntervalWithoutTheFirstHourRule) {
    const int64_t now = kMarch10 + 12 * 3600;
    EXPECT_TRUE(engine::DueBySimpleTest(JobWith(0, now), false, now));
    EXPECT_TRUE(engine::DueBySimpleTest(JobWith(1, now - kDay - 1), false, now));
    EXPECT_FALSE(engine::DueBySimpleTest(JobWith(1, now - kDay), false, now));
    EXPECT_FALSE(engine::DueBySimpleTest(JobWith(3, now - 2 * kDay), false, now));
    EXPECT_TRUE(engine::DueBySimpleTest(JobWith(3, now), true, now));
}

TEST(EngineLowFreeSpace, TenPercentOfTheTotalRounded) {
    EXPECT_TRUE(engine::LowFreeSpace(9, 100));
    EXPECT_FALSE(engine::LowFreeSpace(10, 100));
    EXPECT_FALSE(engine::LowFreeSpace(0, 0));  // failed measurement
    EXPECT_TRUE(engine::LowFreeSpace(0, 10));
    EXPECT_TRUE(engine::LowFreeSpace(1, 15));   // 1.5 rounds to 2
    EXPECT_FALSE(engine::LowFreeSpace(1, 14));  // 1.4 rounds to 1
    const uint64_t fourTB = 4000000000000ULL;
    EXPECT_TRUE(engine::LowFreeSpace(fourTB / 100 * 9, fourTB));
    EXPECT_FALSE(engine::LowFreeSpace(fourTB / 100 * 11, fourTB));
    EXPECT_FALSE(engine::LowFreeSpace(std::numeric_limits<uint64_t>::max(), std::numeric_limits<uint64_t>::max()));
}

TEST(EngineDestTail, PartBetweenFirstAndSecondColon) {
    EXPECT_EQ(engine::DestTail(L"E:\\Backup\\"), L"Backup\\");
    EXPECT_EQ(engine::DestTail(L"E:\\Daten\\Sicherung\\"), L"Daten\\Sicherung\\");
    EXPECT_EQ(engine::DestTail(L"E:\\"), L"");
    EXPECT_EQ(engine::DestTail(L"E:Backup\\"), L"Backup\\");
    EXPECT_EQ(engine::DestTail(L"E:\\\\\\x\\"), L"x\\");
    EXPECT_EQ(engine::DestTail(L"E:\\a\\b:c\\"), L"a\\b");
    EXPECT_EQ(engine::DestTail(L"Backup\\"), L"");
    EXPECT_EQ(engine::DestTail(L""), L"");
}

std::string ForeignIni(const std::string& pathsLines) {
    return "\xEF\xBB\xBF[GENERAL]\r\nINIVersion=110708\r\n[PATHS]\r\n" + pathsLines + "[EXCLUDES]\r\n1=5|C:\\X\\\r\n";
}

TEST(EngineForeignIni, SidAndDestinationMustBothMatchExactly) {
    const std::string ini = ForeignIni(
        "1=111|C:\\A\\|G:\\Other\\|1|0|0|0|0|0\r\n"
        "2=222|C:\\B\\|E:\\Backup\\|1|0|5|3|0|0\r\n");
    EXPECT_TRUE(engine::ForeignIniHasJob(ini, 222, L"E:\\Backup\\"));
    EXPECT_FALSE(engine::ForeignIniHasJob(ini, 111, L"E:\\Backup\\"));
    EXPECT_FALSE(engine::ForeignIniHasJob(ini, 222, L"e:\\backup\\"));
    EXPECT_FALSE(engine::ForeignIniHasJob(ini, 222, L"E:\\Backup"));
    EXPECT_FALSE(engine::ForeignIniHasJob(ini, 5, L"C:\\X\\"));  // not in PATHS
}

TEST(EngineForeignIni, DamagedFilesNeverMatch) {
    EXPECT_FALSE(engine::ForeignIniHasJob("", 1, L"E:\\B\\"));
    EXPECT_FALSE(engine::ForeignIniHasJob(std::string(100000, '\xFF'), 1, L"E:\\B\\"));
    EXPECT_FALSE(engine::ForeignIniHasJob(ForeignIni("1=abc|C:\\|E:\\B\\\r\n"), 1, L"E:\\B\\"));
    // The Sid is read by the integer rule: leading blanks and trailing text.
    EXPECT_TRUE(engine::ForeignIniHasJob(ForeignIni("1= 77x|C:\\|E:\\B\\|\r\n"), 77, L"E:\\B\\"));
    EXPECT_TRUE(engine::ForeignIniHasJob(ForeignIni("7=77|C:\\|E:\\B\\\r\n"), 77, L"E:\\B\\"));
}

TEST(EngineFormatElapsed, TimeOfDayThatWrapsAfterADay) {
    EXPECT_EQ(engine::FormatElapsed(0), L"00:00:00");
    EXPECT_EQ(engine::FormatElapsed(999), L"00:00:00");
    EXPECT_EQ(engine::FormatElapsed(3723000), L"01:02:03");
    EXPECT_EQ(engine::FormatElapsed(86399000), L"23:59:59");
    EXPECT_EQ(engine::FormatElapsed(86400000), L"00:00:00");
    EXPECT_EQ(engine::FormatElapsed(25u * 3600000u), L"01:00:00");
}

struct EngineExpectedEntries : testing::Test {
    testing_support::TempTree tree;
    const int64_t now = kMarch10 + 12 * 3600;

    core::Job& Add(const std::wstring& name, int32_t count, int8_t flags, bool dirs = true) {
        core::Job job;
        job.Sid = static_cast<int32_t>(core::S().Jobs.Size()) + 1;
        job.Src = tree.Path(name + L"-src\\");
        job.Dest = tree.Path(name + L"-dest\\");
        job.Flags = flags;
        job.EntryCount = count;
        if (dirs) {
            tree.Mkdir(name + L"-src");
            tree.Mkdir(name + L"-dest");
        }
        return core::S().Jobs.Append(job);
    }
};

TEST_F(EngineExpectedEntries, SumsSelectedDueJobsWithExistingPaths) {
    Add(L"a", 100, core::kFlagSelected);
    Add(L"b", 20, core::kFlagSelected | core::kFlagOptional);
    Add(L"c", 999, 0);  // not selected
    core::Job& notDue = Add(L"d", 5000, core::kFlagSelected);
    notDue.BupInterval = 2;
    notDue.LastBup = static_cast<int32_t>(now - kDay);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, false, now), 120);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, true, now), 5120);
}

TEST_F(EngineExpectedEntries, UnknownCountOfAJobThatMustRunGivesNoTotal) {
    Add(L"a", 100, core::kFlagSelected);
    Add(L"b", 0, core::kFlagSelected);  // never ran
    Add(L"c", 50, core::kFlagSelected);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, false, now), 0);
}

TEST_F(EngineExpectedEntries, MissingPathsStopTheSumUnlessOptional) {
    Add(L"a", 100, core::kFlagSelected);
    Add(L"b", 70, core::kFlagSelected | core::kFlagOptional, false);
    Add(L"c", 0, core::kFlagSelected | core::kFlagOptional);
    Add(L"d", 30, core::kFlagSelected);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, false, now), 130);
    Add(L"e", 10, core::kFlagSelected, false);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, false, now), 0);
}

TEST_F(EngineExpectedEntries, HugeCountsSaturate) {
    Add(L"a", std::numeric_limits<int32_t>::max(), core::kFlagSelected);
    Add(L"b", std::numeric_limits<int32_t>::max(), core::kFlagSelected);
    EXPECT_EQ(engine::ExpectedEntries(core::S().Jobs.items, false, now), std::numeric_limits<int32_t>::max());
}

}  // namespace
