// Files of older versions: their jobs and exclusions survive, and every job
// gets a random Sid that its exclusions and archive settings follow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config.h"
#include "core/sid.h"
#include "core/state.h"
#include "platform/clock.h"

namespace {

// Sids handed out by the replaced random source, in order.
std::vector<int32_t> g_draws;
size_t g_next = 0;
int32_t NextDraw() { return g_next < g_draws.size() ? g_draws[g_next++] : 0; }

struct SidSource {
    explicit SidSource(std::vector<int32_t> draws) {
        g_draws = std::move(draws);
        g_next = 0;
        core::SetSidSourceForTest(&NextDraw);
    }
    ~SidSource() { core::SetSidSourceForTest(nullptr); }
};

core::ConfigOutcome Read(const std::string& ini) {
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    return core::ReadConfigFromBytes(nullptr, &ini);
}

constexpr int64_t kNow = 1234567890;

TEST(CoreConfigMigrate, Version090331IsReadAndRenumbered) {
    SidSource source({1001, 1002});
    Read(
        "[GENERAL]\nINIVersion=090331\nGLogExt=1\n"
        "[PATHS]\n1=5|C:\\A\\|E:\\A\\|1|7|0|3\n2=6|C:\\B\\|E:\\B\\\n"
        "[EXCLUDES]\n1=6|C:\\B\\TMP\\\n2=5|C:\\A\\TMP\\\n3=99|C:\\X\\\n"
        "[ARCINDIV]\n1=5|E:\\A\\F\\|1|2|1\n2=6|E:\\B\\G\\|1|2|0\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Sid, 1001);
    EXPECT_EQ(jobs[1].Sid, 1002);
    EXPECT_EQ(jobs[0].ArcVersions, 3);
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    const auto& ex = core::S().Excludes.items;
    ASSERT_EQ(ex.size(), 3u);
    EXPECT_EQ(ex[0].Path, L"C:\\A\\TMP\\");
    EXPECT_EQ(ex[0].Sid, 1001);
    EXPECT_EQ(ex[1].Sid, 1002);
    EXPECT_EQ(ex[2].Sid, 99);  // belongs to no job and stays so
    EXPECT_EQ(core::S().ArcIndiv.items[0].Sid, 1001);
    EXPECT_EQ(core::S().ArcIndiv.items[1].Sid, 1002);
}

TEST(CoreConfigMigrate, FileWithoutVersionIsRenumbered) {
    SidSource source({77});
    Read("[PATHS]\n1=5|C:\\A\\|E:\\A\\\n[EXCLUDES]\n1=5|C:\\A\\T\\\n");
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Sid, 77);
    EXPECT_EQ(core::S().Excludes.items[0].Sid, 77);
}

// Job A is renumbered first; job B's new Sid is A's old one. The entries
// must follow the job they belonged to in the file, each exactly once.
TEST(CoreConfigMigrate, NewSidEqualToAnotherJobsOldSidMovesNothingTwice) {
    // 200 is refused for A while B still carries it; B may take A's old 100.
    SidSource source({200, 300, 100});
    Read(
        "[GENERAL]\nINIVersion=090331\n"
        "[PATHS]\n1=100|C:\\A\\|E:\\A\\\n2=200|C:\\B\\|E:\\B\\\n"
        "[EXCLUDES]\n1=100|C:\\A\\X\\\n2=200|C:\\B\\X\\\n"
        "[ARCINDIV]\n1=100|E:\\A\\|1|1|0\n2=200|E:\\B\\|1|1|0\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Sid, 300);
    EXPECT_EQ(jobs[1].Sid, 100);
    EXPECT_EQ(core::S().Excludes.items[0].Sid, 300);
    EXPECT_EQ(core::S().Excludes.items[1].Sid, 100);
    EXPECT_EQ(core::S().ArcIndiv.items[0].Sid, 300);
    EXPECT_EQ(core::S().ArcIndiv.items[1].Sid, 100);
}

// The carry-over on its own: B's new Sid is A's old one, so an entry moved
// to B must not be taken for one of A's, whatever order the entries have.
TEST(CoreConfigMigrate, OldSidReusedByALaterJob) {
    core::State& s = core::S();
    s.Jobs.Append({100, L"C:\\A\\", L"E:\\A\\", 1, 0, 0, 0, 0, 0});
    s.Jobs.Append({200, L"C:\\B\\", L"E:\\B\\", 1, 0, 0, 0, 0, 0});
    s.Excludes.Append({200, L"B"});
    s.Excludes.Append({100, L"A"});
    // After A has become 300, 100 is free for B.
    SidSource source({300, 100});
    core::RenumberJobSids();
    EXPECT_EQ(s.Jobs.items[0].Sid, 300);
    EXPECT_EQ(s.Jobs.items[1].Sid, 100);
    EXPECT_EQ(s.Excludes.items[0].Sid, 100);
    EXPECT_EQ(s.Excludes.items[1].Sid, 300);
}

TEST(CoreConfigMigrate, FailedDrawKeepsTheOldSid) {
    core::State& s = core::S();
    s.Jobs.Append({100, L"C:\\A\\", L"E:\\A\\", 1, 0, 0, 0, 0, 0});
    s.Excludes.Append({100, L"A"});
    SidSource source({});  // every draw gives 0, which NewSid refuses
    core::RenumberJobSids();
    EXPECT_EQ(s.Jobs.items[0].Sid, 100);
    EXPECT_EQ(s.Excludes.items[0].Sid, 100);
}

const char* const k081107 =
    "[GENERAL]\nINIVersion=081107\nGLogExt=1\nGStdBupPath=F:\\\n"
    "[PATHS]\n0=C:\\A\\|E:\\A\\\n1=C:\\B\\|E:\\B\\\n"
    "[EXCLUDE]\n1=c:\\a\\cache\\\n"
    "[EXCLUDES]\n1=1|C:\\B\\TMP\\\n";

TEST(CoreConfigMigrate, Version081107NumberedJobs) {
    Read(k081107);
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Src, L"C:\\A\\");
    EXPECT_EQ(jobs[0].Dest, L"E:\\A\\");
    EXPECT_EQ(jobs[1].Src, L"C:\\B\\");
    EXPECT_EQ(jobs[1].Dest, L"E:\\B\\");
    EXPECT_EQ(jobs[0].Flags, core::kFlagSelected);
    EXPECT_EQ(jobs[1].Flags, core::kFlagSelected);
    EXPECT_GT(jobs[0].Sid, 0);
    EXPECT_GT(jobs[1].Sid, 0);
    EXPECT_NE(jobs[0].Sid, jobs[1].Sid);
    const auto& ex = core::S().Excludes.items;
    ASSERT_EQ(ex.size(), 2u);
    // "EXCLUDE" entries belong to the first job, upper case; "EXCLUDES" by number.
    EXPECT_EQ(ex[0].Path, L"C:\\A\\CACHE\\");
    EXPECT_EQ(ex[0].Sid, jobs[0].Sid);
    EXPECT_EQ(ex[1].Path, L"C:\\B\\TMP\\");
    EXPECT_EQ(ex[1].Sid, jobs[1].Sid);
    // Settings other than these two keep their defaults until the next write.
    EXPECT_EQ(core::S().settings.GLogExt, 0);
    EXPECT_EQ(core::S().settings.GStdBupPath, L"F:\\");
}

// With every draw refused, the identifiers built from the clock remain:
// base + job number for jobs and numbered exclusions, base for "EXCLUDE".
TEST(CoreConfigMigrate, IdentifiersFromTheClock) {
    plat::SetFakeClock(kNow);
    SidSource source({});
    Read(k081107);
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Sid, kNow);
    EXPECT_EQ(jobs[1].Sid, kNow + 1);
    EXPECT_EQ(core::S().Excludes.items[0].Sid, kNow);
    EXPECT_EQ(core::S().Excludes.items[1].Sid, kNow + 1);
}

TEST(CoreConfigMigrate, NumberedJobsStopAtTheFirstGap) {
    Read(
        "[GENERAL]\nINIVersion=080101\n[PATHS]\n0=C:\\A\\|E:\\A\\\n1=C:\\B\\|E:\\B\\\n"
        "2=\n3=C:\\D\\|E:\\D\\\n");
    EXPECT_EQ(core::S().Jobs.Size(), 2u);
}

TEST(CoreConfigMigrate, OldestLayoutSingleJob) {
    plat::SetFakeClock(kNow);
    SidSource source({});
    Read(
        "[GENERAL]\nINIVersion=070101\n[PATHS]\nSRC=C:\\Daten\nDEST=E:\\Backup\\\n"
        "0=C:\\X\\|E:\\X\\\n[EXCLUDE]\n1=C:\\Daten\\Tmp\n2=C:\\Daten\\Cache\n4=C:\\Late\n"
        "[EXCLUDES]\n1=0|C:\\Y\\\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].Sid, kNow);
    EXPECT_EQ(jobs[0].Src, L"C:\\Daten\\");
    EXPECT_EQ(jobs[0].Dest, L"E:\\Backup\\");
    EXPECT_EQ(jobs[0].Flags, core::kFlagSelected);
    const auto& ex = core::S().Excludes.items;
    ASSERT_EQ(ex.size(), 2u);  // key 3 is missing; "EXCLUDES" is not read
    EXPECT_EQ(ex[0].Path, L"C:\\DATEN\\CACHE");
    EXPECT_EQ(ex[1].Path, L"C:\\DATEN\\TMP");
    EXPECT_EQ(ex[0].Sid, kNow);
}

TEST(CoreConfigMigrate, VersionBetweenBringsOnlyTheExcludeSection) {
    plat::SetFakeClock(kNow);
    Read(
        "[GENERAL]\nINIVersion=090101\n[PATHS]\n0=C:\\A\\|E:\\A\\\n1=5|C:\\B\\|E:\\B\\\n"
        "[EXCLUDE]\n1=c:\\tmp\n[EXCLUDES]\n1=0|C:\\Y\\\n[ARCINDIV]\n1=5|E:\\|1|1|1\n");
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_TRUE(core::S().ArcIndiv.Empty());
    ASSERT_EQ(core::S().Excludes.Size(), 1u);
    EXPECT_EQ(core::S().Excludes.items[0].Path, L"C:\\TMP");
    EXPECT_EQ(core::S().Excludes.items[0].Sid, kNow);
}

// A migrated file is written back in the current format and then read as it
// stands.
TEST(CoreConfigMigrate, WrittenAfterMigrationIsCurrent) {
    Read(k081107);
    std::vector<core::Job> before = core::S().Jobs.items;
    std::string bytes = core::ConfigFileBytes();
    EXPECT_NE(bytes.find("INIVersion = 110708\r\n"), std::string::npos);
    core::ResetState();
    Read(bytes);
    ASSERT_EQ(core::S().Jobs.Size(), 2u);
    EXPECT_EQ(core::S().Jobs.items[1].Sid, before[1].Sid);
    EXPECT_EQ(core::S().Excludes.items[1].Sid, before[1].Sid);
}

}  // namespace
