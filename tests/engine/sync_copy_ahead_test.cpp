// Copying small new files ahead must not show: each walk runs with the
// copies made ahead on the writer threads and with every copy made at its
// turn (tests/support/ahead_walk.h), and the outcomes must be the same,
// attributes and dates of the mirror included. The cases are what the
// writers can break: cancel while copies wait, a copy that fails ahead,
// leftover temporary copies of the same files, folders between the files,
// files too large to go ahead, the IT-job copies; and a source that changes
// after its copy was made ahead, where the next run must still lose
// nothing. Each runs with the copies waiting under their temporary names,
// as on Windows, and (where the host can make them) in nameless files.
#include <gtest/gtest.h>

#include "engine/copy_ahead.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/ahead_walk.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kNew = kTestNow - 2 * kDay;

std::wstring FileName(int i) { return L"f" + std::wstring(i < 10 ? L"0" : L"") + std::to_wstring(i) + L".txt"; }

// Thirty small files f00..f29 at the top, with the folder "f15.dir" between
// them (its own files are planned only when its turn comes), a file just
// above the bound for copies ahead, an empty one, a read-only and hidden
// one, and an umlaut.
void ThirtyFiles(JobTree& t) {
    for (int i = 0; i < 30; ++i) WriteDated(t.src + FileName(i), "content " + std::to_string(i), kNew + i);
    WriteDated(t.src + L"f15.dir\\inner.txt", "inner", kNew);
    WriteDated(t.src + L"f15.dir\\deeper\\x.txt", "x", kNew);
    WriteDated(t.src + L"f20.big", std::string(engine::kCopyAheadMaxBytes + 1, 'b'), kNew);
    WriteDated(t.src + L"f21.empty", "", kNew);
    WriteDated(t.src + L"f22.ro", "read-only", kNew);
    ASSERT_TRUE(plat::SetAttributes(t.src + L"f22.ro", plat::kAttrReadOnly | plat::kAttrHidden));
    WriteDated(t.src + L"f23 Ärger.txt", "umlaut", kNew);
}

// At the second entry (f00 handed out f00..f14) the walk waits until the
// writers have made the copy of file `i`, so that it is made before its turn.
int g_awaitedAhead = 0;  // the drain hook is a plain function
void AwaitAheadAtTheSecondEntry(int i) {
    g_awaitedAhead = i;
    Recorded().onDrain = [](int) {
        if (CurrentWalk().ahead && TestRun().tally.EntriesDone == 2)
            AwaitCopiedAhead(CurrentWalk().tree->dst + FileName(g_awaitedAhead));
    };
}

// Parameter: copies made ahead wait under their temporary names (true), or
// in nameless files (false; the portable layer only).
struct EngineCopyAhead : AheadWalkTest, testing::WithParamInterface<bool> {
    void SetUp() override {
        AheadWalkTest::SetUp();
        if (!GetParam() && !plat::PortableLayer()) GTEST_SKIP() << "Windows has no nameless files";
        plat::SetNamedTempCopiesForTest(GetParam());
    }
    void TearDown() override {
        plat::SetNamedTempCopiesForTest(false);
        AheadWalkTest::TearDown();
    }
};

TEST_P(EngineCopyAhead, AFirstCopyComesOutAsCopiedAtEachTurnInEveryMode) {
    for (const engine::ItJobMode mode : {engine::ItJobMode::Normal, engine::ItJobMode::Manual}) {
        SCOPED_TRACE(static_cast<int>(mode));
        auto prepare = [mode](JobTree&) {
            TestRun().options.itJobMode = mode;
            AwaitAheadAtTheSecondEntry(10);
        };
        const Outcome ahead = ExpectAheadAsSequential(2, ThirtyFiles, prepare);
        EXPECT_EQ(ahead.files, 36);
        EXPECT_EQ(ahead.errorCount, 0);
        EXPECT_EQ(ahead.mirror.at(L"f15.dir\\deeper\\x.txt"), "x");
        const uint32_t readOnly = ahead.mirrorMeta.at(L"f22.ro").first;
        EXPECT_EQ(readOnly & plat::kAttrReadOnly, mode == engine::ItJobMode::Normal ? 0u : plat::kAttrReadOnly);
        EXPECT_EQ(TimesCopiedAhead(LastDest() + L"f20.big"), 0u) << "above the bound: copied at its turn";
        EXPECT_EQ(TimesCopiedAhead(LastDest() + FileName(10)), 1u);
    }
}

TEST_P(EngineCopyAhead, CancelWhileCopiesWaitPlacesNothingBeyond) {
    // "Abbrechen" at the entry of f05, once f12 (and so f05..f11 before it)
    // has been copied ahead.
    auto prepare = [](JobTree&) {
        Recorded().onDrain = [](int) {
            if (TestRun().tally.EntriesDone != 6 || engine::R().CancelRequested) return;
            if (CurrentWalk().ahead) AwaitCopiedAhead(CurrentWalk().tree->dst + FileName(12));
            engine::R().CancelRequested = 1;
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, ThirtyFiles, prepare);
    EXPECT_EQ(ahead.files, 5);
    EXPECT_TRUE(ahead.mirror.count(FileName(4)));
    for (int i = 5; i < 30; ++i) EXPECT_FALSE(ahead.mirror.count(FileName(i))) << i;
}

TEST_P(EngineCopyAhead, ACopyThatFailsAheadIsMadeAtItsTurn) {
    // The disk was full for the writer; at its turn there is room again.
    auto prepare = [](JobTree& t) {
        FailingCopies() = {t.dst + FileName(3), t.dst + FileName(17)};
        AwaitAheadAtTheSecondEntry(3);
    };
    const Outcome ahead = ExpectAheadAsSequential(2, ThirtyFiles, prepare);
    EXPECT_EQ(ahead.errorCount, 0);
    EXPECT_EQ(ahead.mirror.at(FileName(3)), "content 3");
    EXPECT_EQ(ahead.mirror.at(FileName(17)), "content 17");
}

// A killed run leaves whole or half copies under the temporary names of
// files that are still new (read-only ones from an IT job): the sweep takes
// them before any writer writes its own copy under such a name.
TEST_P(EngineCopyAhead, LeftoverTemporaryCopiesOfTheSameFilesAreSweptFirst) {
    auto build = [](JobTree& t) {
        ThirtyFiles(t);
        WriteDated(t.dst + FileName(7) + plat::kTempSuffix, "half a co", kNew);
        WriteDated(t.dst + FileName(8) + plat::kTempSuffix, "content 8", kNew + 8);
        ASSERT_TRUE(plat::SetAttributes(t.dst + FileName(8) + plat::kTempSuffix, plat::kAttrReadOnly));
    };
    auto prepare = [](JobTree&) { AwaitAheadAtTheSecondEntry(8); };
    const Outcome ahead = ExpectAheadAsSequential(2, build, prepare);
    EXPECT_EQ(ahead.errorCount, 0);
    EXPECT_EQ(ahead.mirror.at(FileName(7)), "content 7");
    EXPECT_EQ(ahead.mirror.count(FileName(8) + plat::kTempSuffix), 0u);
    EXPECT_EQ(TimesCopiedAhead(LastDest() + FileName(8)), 1u);
}

// A copy made ahead is the file as the writer read it, at most a few files
// before its turn, as a copy made at its turn is the file as it was then.
// A source that changes or goes in between is what the next run is for:
// the newer file is copied with the older one kept in "@", the one gone
// moves to "@". Nothing is lost on either way.
TEST_P(EngineCopyAhead, ASourceChangedAfterItsCopyWasMadeAheadIsMirroredByTheNextRun) {
    JobTree t(2);
    ThirtyFiles(t);
    static JobTree* tree = nullptr;
    tree = &t;
    Recorded().onDrain = [](int) {
        if (TestRun().tally.EntriesDone != 2 || !Exists(tree->src + FileName(11))) return;
        AwaitCopiedAhead(tree->dst + FileName(11));
        AwaitCopiedAhead(tree->dst + FileName(10));
        WriteDated(tree->src + FileName(10), "changed", kNew + kDay);
        ASSERT_TRUE(plat::DeleteFileAt(tree->src + FileName(11)));
    };
    InstallAheadHooks();
    t.Sync();
    Recorded().onDrain = nullptr;
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(Snapshot(t.dst, true).at(FileName(10)), "content 10") << "as the writer read it";

    ResetTestRun();
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    const auto mirror = Snapshot(t.dst);
    EXPECT_EQ(mirror.at(FileName(10)), "changed");
    EXPECT_FALSE(mirror.count(FileName(11)));
    size_t kept10 = 0, kept11 = 0;
    for (const auto& [name, bytes] : mirror) {
        if (name.rfind(L"@\\", 0) != 0) continue;
        kept10 += bytes == "content 10" ? 1 : 0;
        kept11 += bytes == "content 11" ? 1 : 0;
    }
    EXPECT_EQ(kept10, 1u) << "the older f10 is kept in @";
    EXPECT_EQ(kept11, 1u) << "f11 moved to @";
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Named, EngineCopyAhead, testing::Values(true));
INSTANTIATE_TEST_SUITE_P(Unnamed, EngineCopyAhead, testing::Values(false));
