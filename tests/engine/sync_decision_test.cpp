// The copy decision: every row of the table, its boundaries, and the modes.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

using namespace testing_support;
using engine::CopyDecision;
using engine::DecideCopy;
using engine::SyncEntry;

namespace {

constexpr int64_t kDestDate = kTestNow - 30 * kDay;

CopyDecision Decide(int64_t delta, engine::ItJobMode mode = engine::ItJobMode::Normal, int64_t sourceSize = 10,
                    int64_t destSize = 10, int64_t destDate = kDestDate) {
    SyncEntry s{L"a.txt", sourceSize, destDate + delta};
    SyncEntry d{L"a.txt", destSize, destDate};
    return DecideCopy(s, d, kTestNow, mode);
}

// FAT rounds to 2 s, so a shifted date lands up to 2 s either side of the
// whole hour; a newer and an older source must be forgiven alike.
TEST(EngineCopyDecision, HourShiftForgivesTwoSecondsOnBothSidesOfTheHour) {
    struct Case {
        int64_t delta;
        bool shift;
    };
    const Case cases[] = {{3597, false}, {3598, true},   {3599, true},   {3600, true},  {3601, true},
                          {3602, true},  {3603, false},  {7197, false},  {7198, true},  {7202, true},
                          {7203, false}, {10798, false}, {10800, false}, {10801, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(engine::IsHourShift(c.delta), c.shift) << c.delta;
        EXPECT_EQ(engine::IsHourShift(-c.delta), c.shift) << -c.delta;
        EXPECT_EQ(Decide(c.delta), c.shift ? CopyDecision::Skip : CopyDecision::ArchiveAndCopy) << c.delta;
        EXPECT_EQ(Decide(-c.delta), c.shift ? CopyDecision::Skip : CopyDecision::SkipDestNewer) << -c.delta;
    }
}

TEST(EngineCopyDecision, NewerSourceIsArchivedAndCopiedUnlessAnHourShift) {
    EXPECT_EQ(Decide(3), CopyDecision::ArchiveAndCopy);
    EXPECT_EQ(Decide(3600), CopyDecision::Skip);
    EXPECT_EQ(Decide(7201), CopyDecision::Skip);
    EXPECT_EQ(Decide(3603), CopyDecision::ArchiveAndCopy);
    EXPECT_EQ(Decide(10801), CopyDecision::ArchiveAndCopy);
    EXPECT_EQ(Decide(86400), CopyDecision::ArchiveAndCopy);
}

TEST(EngineCopyDecision, TwoSecondsEitherWayIsUnchanged) {
    for (int64_t delta = -2; delta <= 2; ++delta) {
        EXPECT_EQ(Decide(delta), CopyDecision::Skip) << delta;
        EXPECT_EQ(Decide(delta, engine::ItJobMode::Manual), CopyDecision::Skip) << delta;
        EXPECT_EQ(Decide(delta, engine::ItJobMode::Forced), CopyDecision::Skip) << delta;
    }
}

TEST(EngineCopyDecision, OlderSourceIsLeftWithAHintUnlessAnHourShift) {
    EXPECT_EQ(Decide(-3), CopyDecision::SkipDestNewer);
    EXPECT_EQ(Decide(-5), CopyDecision::SkipDestNewer);
    EXPECT_EQ(Decide(-3600), CopyDecision::Skip);
    EXPECT_EQ(Decide(-7201), CopyDecision::Skip);
    EXPECT_EQ(Decide(-10801), CopyDecision::SkipDestNewer);
}

TEST(EngineCopyDecision, SizeAloneNeverCopiesInNormalAndManualMode) {
    EXPECT_EQ(Decide(0, engine::ItJobMode::Normal, 10, 99), CopyDecision::Skip);
    EXPECT_EQ(Decide(0, engine::ItJobMode::Manual, 10, 99), CopyDecision::Skip);
    EXPECT_EQ(Decide(3600, engine::ItJobMode::Normal, 10, 99), CopyDecision::Skip);
    EXPECT_EQ(Decide(5, engine::ItJobMode::Manual, 10, 99), CopyDecision::ArchiveAndCopy);
}

TEST(EngineCopyDecision, ForcedModeCopiesOnSizeFutureAndNewerDestination) {
    EXPECT_EQ(Decide(0, engine::ItJobMode::Forced, 10, 99), CopyDecision::Copy);
    EXPECT_EQ(Decide(3600, engine::ItJobMode::Forced, 10, 99), CopyDecision::Copy) << "size decides before the date";
    EXPECT_EQ(Decide(-5, engine::ItJobMode::Forced), CopyDecision::Copy);
    EXPECT_EQ(Decide(-3600, engine::ItJobMode::Forced), CopyDecision::Skip);
    EXPECT_EQ(Decide(3600, engine::ItJobMode::Forced), CopyDecision::Skip);
    EXPECT_EQ(Decide(3, engine::ItJobMode::Forced), CopyDecision::ArchiveAndCopy);
    EXPECT_EQ(Decide(0, engine::ItJobMode::Forced, 10, 10, kTestNow + 50), CopyDecision::Copy);
}

TEST(EngineCopyDecision, FutureSourceDate) {
    // Same date, in the future: hint in normal mode.
    EXPECT_EQ(Decide(0, engine::ItJobMode::Normal, 10, 10, kTestNow + 100), CopyDecision::SkipFutureDate);
    EXPECT_EQ(Decide(2, engine::ItJobMode::Normal, 10, 10, kTestNow + 100), CopyDecision::SkipFutureDate);
    // Older copy by more than 2 s: copied, no hint.
    EXPECT_EQ(Decide(3, engine::ItJobMode::Normal, 10, 10, kTestNow + 100), CopyDecision::ArchiveAndCopy);
    // The future row comes before the newer-destination row.
    EXPECT_EQ(Decide(-5, engine::ItJobMode::Normal, 10, 10, kTestNow + 100), CopyDecision::SkipFutureDate);
    // A source dated exactly now is not in the future.
    EXPECT_EQ(Decide(0, engine::ItJobMode::Normal, 10, 10, kTestNow), CopyDecision::Skip);
}

TEST(EngineCopyDecision, DestinationDirectoryAgainstSourceFile) {
    SyncEntry s{L"x", 10, kDestDate + 100};
    SyncEntry d{L"x", engine::kDirSize, kDestDate};
    EXPECT_EQ(DecideCopy(s, d, kTestNow, engine::ItJobMode::Normal), CopyDecision::ArchiveAndCopy);
    EXPECT_EQ(DecideCopy(s, d, kTestNow, engine::ItJobMode::Forced), CopyDecision::Copy);
}

// The same rows over real files, through SyncDirectory.
struct EngineSyncDecision : testing::Test {
    TempTree tree;
    std::wstring src, dst;
    int32_t sid = 0;
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
        src = tree.Path(L"src\\");
        dst = tree.Path(L"dst\\");
        tree.Mkdir(L"src");
        tree.Mkdir(L"dst");
        sid = AddJob(src, dst, 3, 0).Sid;
    }
    // A pair dated delta seconds apart; returns whether the source was copied.
    void Pair(const std::wstring& name, int64_t delta, int64_t destDate = kDestDate) {
        WriteDated(src + name, "new", destDate + delta);  // same size as "old"
        WriteDated(dst + name, "old", destDate);
    }
    bool Copied(const std::wstring& name) { return ReadAll(dst + name) != "old"; }
    bool Archived(const std::wstring& name) { return ReadAll(dst + L"@\\" + name) == "old"; }
};

TEST_F(EngineSyncDecision, BoundariesOverRealFiles) {
    Pair(L"d3600.txt", 3600);
    Pair(L"d7201.txt", 7201);
    Pair(L"d3.txt", 3);
    Pair(L"d10801.txt", 10801);
    for (int d = -2; d <= 2; ++d) Pair(L"e" + std::to_wstring(d + 2) + L".txt", d);
    SyncAs(sid, src, dst);

    EXPECT_FALSE(Copied(L"d3600.txt"));
    EXPECT_FALSE(Copied(L"d7201.txt"));
    EXPECT_TRUE(Copied(L"d3.txt"));
    EXPECT_TRUE(Archived(L"d3.txt"));
    EXPECT_TRUE(Copied(L"d10801.txt"));
    EXPECT_TRUE(Archived(L"d10801.txt"));
    for (int d = 0; d <= 4; ++d) EXPECT_FALSE(Copied(L"e" + std::to_wstring(d) + L".txt"));
    EXPECT_EQ(DateOf(dst + L"d3.txt"), kDestDate + 3) << "the copy takes the source's date";
    EXPECT_EQ(TestRun().tally.FilesCopied, 2);
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
}

TEST_F(EngineSyncDecision, FutureDateAndNewerDestinationHints) {
    Pair(L"future.txt", 0, kTestNow + 3600);
    Pair(L"futureolder.txt", 5, kTestNow + 3600);
    Pair(L"older.txt", -5);
    SyncAs(sid, src, dst);
    EXPECT_FALSE(Copied(L"future.txt"));
    EXPECT_TRUE(
        LogHas(core::kLogHint, L"Achtung, nicht kopiert - Quelldatei trägt zukünftiges Datum: " + src + L"future.txt"));
    EXPECT_TRUE(Copied(L"futureolder.txt"));
    EXPECT_FALSE(Copied(L"older.txt"));
    EXPECT_TRUE(LogHas(core::kLogHint, L"Achtung, nicht kopiert - Zieldatei ist neuer: " + dst + L"older.txt"));
    EXPECT_EQ(LogLines(core::kLogHint).size(), 2u);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0) << "hints are no errors";
}

TEST_F(EngineSyncDecision, SizeAloneLeavesTheFileInNormalMode) {
    WriteDated(src + L"a.txt", "longer content", kDestDate);
    WriteDated(dst + L"a.txt", "old", kDestDate);
    SyncAs(sid, src, dst);
    EXPECT_EQ(ReadAll(dst + L"a.txt"), "old");
}

TEST_F(EngineSyncDecision, ForcedModeOverwritesWithoutArchive) {
    TestRun().options.itJobMode = engine::ItJobMode::Forced;
    WriteDated(src + L"size.txt", "longer content", kDestDate);
    WriteDated(dst + L"size.txt", "old", kDestDate);
    Pair(L"older.txt", -5);
    Pair(L"future.txt", 0, kTestNow + 3600);
    Pair(L"shift.txt", 3600);
    SyncAs(sid, src, dst);
    EXPECT_EQ(ReadAll(dst + L"size.txt"), "longer content");
    EXPECT_TRUE(Copied(L"older.txt"));
    EXPECT_TRUE(Copied(L"future.txt"));
    EXPECT_FALSE(Copied(L"shift.txt"));
    EXPECT_FALSE(Exists(dst + L"@")) << "IT-job copies make no archive";
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
}

TEST_F(EngineSyncDecision, ManualItModeCopiesNewerWithoutArchive) {
    TestRun().options.itJobMode = engine::ItJobMode::Manual;
    Pair(L"newer.txt", 100);
    Pair(L"older.txt", -5);
    SyncAs(sid, src, dst);
    EXPECT_TRUE(Copied(L"newer.txt"));
    EXPECT_FALSE(Copied(L"older.txt"));
    EXPECT_FALSE(Exists(dst + L"@"));
}

}  // namespace
