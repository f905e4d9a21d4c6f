// Exclusions: substring matches on upper-cased paths, with and without a
// trailing backslash, whole jobs, and excluded files that have a copy.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

TEST(EngineExclusions, SubstringAnywhereIgnoringCase) {
    AddExclude(7, L"\\temp");
    AddExclude(8, L"C:\\Other\\");
    EXPECT_TRUE(engine::IsExcluded(core::S().Excludes.items, L"C:\\Users\\x\\Temp", 7));
    EXPECT_TRUE(engine::IsExcluded(core::S().Excludes.items, L"D:\\a\\TEMPLATES\\b.doc", 7))
        << "plain substring, no whole-name test";
    EXPECT_FALSE(engine::IsExcluded(core::S().Excludes.items, L"C:\\Users\\x\\Tem", 7));
    EXPECT_FALSE(engine::IsExcluded(core::S().Excludes.items, L"C:\\Users\\x\\Temp", 9)) << "another job's exclusion";
    EXPECT_FALSE(engine::IsExcluded(core::S().Excludes.items, L"C:\\Other", 8))
        << "the directory entry itself has no trailing backslash";
    EXPECT_TRUE(engine::IsExcluded(core::S().Excludes.items, L"C:\\Other\\", 8));
    EXPECT_TRUE(engine::IsExcluded(core::S().Excludes.items, L"c:\\other\\file.txt", 8));
    EXPECT_TRUE(engine::HasExclusions(core::S().Excludes.items, 7));
    EXPECT_FALSE(engine::HasExclusions(core::S().Excludes.items, 9));
}

TEST(EngineExclusions, EmptyExclusionMatchesNothing) {
    core::S().Excludes.Append(core::Exclude{7, L""});
    EXPECT_FALSE(engine::IsExcluded(core::S().Excludes.items, L"C:\\anything", 7));
    EXPECT_FALSE(engine::HasExclusions(core::S().Excludes.items, 7));
}

TEST(EngineExclusions, LongPathWarningAbove240Characters) {
    std::wstring path240 = L"C:\\" + std::wstring(237, L'x');
    ASSERT_EQ(path240.size(), 240u);
    EXPECT_FALSE(engine::WarnLongPath(TestRun().tally, path240));
    EXPECT_TRUE(LogLines(core::kLogError).empty());
    std::wstring path241 = path240 + L"y";
    EXPECT_TRUE(engine::WarnLongPath(TestRun().tally, path241));
    std::vector<std::wstring> expected = {
        L"Verzeichnis-Pfade dürfen in Windows max. 247, Dateipfade höchstens 259 Zeichen lang sein...",
        L"Pfad sehr lang! (241) Zeichen\t" + path241};
    EXPECT_EQ(LogLines(core::kLogError), expected);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0) << "the warning counts as no error of its own";
}

struct EngineSyncExclude : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
    // Source with a cache folder holding a file, and its older copy.
    void Fill(JobTree& t) {
        WriteDated(t.src + L"Cache\\n.txt", "n", kNew);
        WriteDated(t.src + L"a.txt", "a", kNew);
        WriteDated(t.dst + L"Cache\\old.txt", "old", kOld);
    }
};

TEST_F(EngineSyncExclude, WithoutTrailingBackslashTheWholeDirectoryCopyIsArchived) {
    JobTree t(3);
    Fill(t);
    AddExclude(t.sid, t.src + L"Cache");
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"Cache"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\Cache\\old.txt"), "old");
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "a");
    EXPECT_EQ(TestRun().tally.EntriesDone, 1) << "excluded entries are not counted";
}

TEST_F(EngineSyncExclude, WithTrailingBackslashTheDirectoryStaysButEmpties) {
    JobTree t(3);
    Fill(t);
    AddExclude(t.sid, t.src + L"Cache\\");
    t.Sync();
    EXPECT_TRUE(plat::DirExists(t.dst + L"Cache"));
    EXPECT_FALSE(Exists(t.dst + L"Cache\\n.txt"));
    EXPECT_FALSE(Exists(t.dst + L"Cache\\old.txt"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\Cache\\old.txt"), "old");
}

TEST_F(EngineSyncExclude, WithTrailingBackslashAndNoArchiveTheOldContentStays) {
    JobTree t(0);
    Fill(t);
    AddExclude(t.sid, t.src + L"Cache\\");
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"Cache\\old.txt"), "old");
    EXPECT_FALSE(Exists(t.dst + L"Cache\\n.txt"));
}

TEST_F(EngineSyncExclude, ExcludedFileWithACopyIsTreatedAsVanished) {
    JobTree t(3);
    WriteDated(t.src + L"secret.key", "s2", kNew);
    WriteDated(t.dst + L"secret.key", "s1", kOld);
    AddExclude(t.sid, L".KEY");
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"secret.key"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\secret.key"), "s1");

    JobTree off(0);
    WriteDated(off.src + L"secret.key", "s2", kNew);
    WriteDated(off.dst + L"secret.key", "s1", kOld);
    AddExclude(off.sid, L".KEY");
    off.Sync();
    EXPECT_EQ(ReadAll(off.dst + L"secret.key"), "s1");
}

TEST_F(EngineSyncExclude, ExcludedJobRootTouchesNothing) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "a", kNew);
    WriteDated(t.dst + L"gone.txt", "g", kOld);
    AddExclude(t.sid, t.src);
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"a.txt"));
    EXPECT_FALSE(Exists(t.dst + L"@"));
    EXPECT_EQ(ReadAll(t.dst + L"gone.txt"), "g");
    EXPECT_TRUE(LogLines(core::kLogNormal).empty());
    EXPECT_TRUE(Recorded().statusLines.empty());
}

TEST_F(EngineSyncExclude, SubstringHitsSimilarNamesToo) {
    JobTree t(0);
    WriteDated(t.src + L"Temp\\a.txt", "a", kNew);
    WriteDated(t.src + L"Templates\\b.txt", "b", kNew);
    WriteDated(t.src + L"Tem\\c.txt", "c", kNew);
    // Anchored to the job's source: the temporary folder itself may be called Temp.
    AddExclude(t.sid, t.src + L"Temp");
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"Temp"));
    EXPECT_FALSE(Exists(t.dst + L"Templates"));
    EXPECT_EQ(ReadAll(t.dst + L"Tem\\c.txt"), "c");
}

}  // namespace
