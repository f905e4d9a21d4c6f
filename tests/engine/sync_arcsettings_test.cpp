// Per-directory archive settings (ArcIndiv): drive replacement, recursive
// and exact entries, the last match winning, and their effect on a sync.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

TEST(EngineArcSettings, DriveIsTakenFromTheDestination) {
    EXPECT_EQ(engine::ArcIndivPathFor(L"e:\\Backup\\Fotos\\", L"F:\\Backup\\Fotos\\"), L"F:\\BACKUP\\FOTOS\\");
    EXPECT_EQ(engine::ArcIndivPathFor(L"E:\\Backup\\", L"e:\\Backup\\x\\"), L"E:\\BACKUP\\");
    EXPECT_EQ(engine::ArcIndivPathFor(L"\\\\server\\share\\b\\", L"F:\\b\\"), L"\\\\SERVER\\SHARE\\B\\");
    // Only the part between the first and the second ":" survives.
    EXPECT_EQ(engine::ArcIndivPathFor(L"E:\\a:b", L"F:\\"), L"F:\\A");
    EXPECT_EQ(engine::ArcIndivPathFor(L"ohne\\laufwerk\\", L"F:\\"), L"OHNE\\LAUFWERK\\");
}

TEST(EngineArcSettings, RecursiveExactAndLastMatchWins) {
    core::Job job;
    job.Sid = 5;
    job.Dest = L"E:\\Backup\\";
    job.ArcVersions = 3;
    job.ArcInterval = 1;
    AddArcIndiv(5, L"E:\\Backup\\Fotos\\", 10, 0, true);
    AddArcIndiv(5, L"E:\\Backup\\Fotos\\Raw\\", 0, 0, false);
    AddArcIndiv(6, L"E:\\Backup\\", 99, 99, true);

    auto at = [&](const std::wstring& dir) { return engine::ArcSettingsFor(core::S().ArcIndiv.items, job, dir); };
    EXPECT_EQ(at(L"E:\\Backup\\").Versions, 3);
    EXPECT_EQ(at(L"E:\\Backup\\").Interval, 1);
    EXPECT_EQ(at(L"E:\\Backup\\Fotos\\").Versions, 10);
    EXPECT_EQ(at(L"E:\\Backup\\Fotos\\2012\\").Versions, 10) << "recursive covers the subtree";
    EXPECT_EQ(at(L"E:\\Backup\\Fotos\\Raw\\").Versions, 0) << "the later exact entry wins";
    EXPECT_EQ(at(L"E:\\Backup\\Fotos\\Raw\\x\\").Versions, 10) << "exact applies to that directory only";
    EXPECT_EQ(at(L"G:\\Backup\\Fotos\\Raw\\").Versions, 0) << "found on another drive";
    EXPECT_EQ(at(L"e:\\backup\\fotos\\").Versions, 10);
}

TEST(EngineArcSettings, ArchiveDirectoryRepeatsTheLayout) {
    core::Job job;
    job.Dest = L"E:\\Backup\\";
    EXPECT_EQ(engine::ArchiveDirFor(job, L"E:\\Backup\\"), L"E:\\Backup\\@\\");
    EXPECT_EQ(engine::ArchiveDirFor(job, L"E:\\Backup\\a\\b\\"), L"E:\\Backup\\@\\a\\b\\");
}

struct EngineSyncArcIndiv : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

// An entry written for another drive letter still applies, as when the
// destination disk came back under another letter.
TEST_F(EngineSyncArcIndiv, EntryOfAnotherDriveLetterApplies) {
    JobTree t(0);
    std::wstring other = t.dst;
    other[0] = other[0] == L'Y' || other[0] == L'y' ? L'X' : L'Y';
    AddArcIndiv(t.sid, other + L"Keep\\", 2, 0, true);
    WriteDated(t.src + L"Keep\\a.txt", "new", kNew);
    WriteDated(t.dst + L"Keep\\a.txt", "old", kOld);
    WriteDated(t.src + L"Plain\\b.txt", "new", kNew);
    WriteDated(t.dst + L"Plain\\b.txt", "old", kOld);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"@\\Keep\\a.txt"), "old");
    EXPECT_EQ(ReadAll(t.dst + L"Plain\\b.txt"), "new");
    EXPECT_FALSE(Exists(t.dst + L"@\\Plain")) << "archiving is off outside the entry";
    EXPECT_FALSE(Exists(t.dst + L"@\\b.txt"));
}

TEST_F(EngineSyncArcIndiv, EntryCanSwitchArchivingOffForASubtree) {
    JobTree t(3);
    AddArcIndiv(t.sid, t.dst + L"Tmp\\", 0, 0, true);
    WriteDated(t.dst + L"Tmp\\gone.txt", "g", kOld);
    WriteDated(t.dst + L"gone.txt", "g0", kOld);
    t.tree.Mkdir(L"src\\Tmp");
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"Tmp\\gone.txt"), "g");
    EXPECT_EQ(ReadAll(t.dst + L"@\\gone.txt"), "g0");
}

TEST_F(EngineSyncArcIndiv, IntervalOfAnEntryLimitsNewVersions) {
    JobTree t(3);
    AddArcIndiv(t.sid, t.dst, 3, 7, false);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "cur", kTestNow - 5 * kDay);
    WriteDated(t.dst + L"@\\a.txt", "v", kTestNow - 8 * kDay);
    t.Sync();
    // The newest version is 3 days older than the replaced file: no new one.
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "new");
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "v");
    EXPECT_FALSE(Exists(t.dst + L"@\\a1.txt"));
}

}  // namespace
