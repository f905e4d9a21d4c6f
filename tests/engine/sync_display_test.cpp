// What the progress widgets show during a synchronisation, with the
// throttles driven by the fake tick.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/run_state.h"
#include "engine/sync.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kNew = kTestNow - 2 * kDay;

TEST(EngineSyncTexts, ProgressTextPercentagesAndTheirCap) {
    int32_t last = 0;
    EXPECT_EQ(engine::ProgressText(1234, 0, last), L"1'234");
    EXPECT_EQ(engine::ProgressText(50, 200, last), L"50 - 25%");
    EXPECT_EQ(last, 25);
    EXPECT_EQ(engine::ProgressText(300, 200, last), L"300 - 150%") << "beyond 100 when more entries than expected";
    EXPECT_EQ(engine::ProgressText(1998, 200, last), L"1'998 - 999%");
    EXPECT_EQ(engine::ProgressText(2100, 200, last), L"2'100") << "capped once 999 was reached";
    last = 998;
    EXPECT_EQ(engine::ProgressText(2400, 200, last), L"2'400 - 1200%");
    EXPECT_EQ(engine::ProgressText(2500, 200, last), L"2'500");
}

TEST(EngineSyncTexts, SpeedWithThreeDecimalsAndAPoint) {
    EXPECT_EQ(engine::FormatSpeed(2 * 1048576, 200), L"10.000");
    EXPECT_EQ(engine::FormatSpeed(1048576, 3000), L"0.333");
    EXPECT_EQ(engine::FormatSpeed(1048576, 1500), L"0.667");
    EXPECT_EQ(engine::FormatSpeed(int64_t{5} * 1048576 * 1024, 1000), L"5120.000");
}

struct EngineSyncDisplay : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

TEST_F(EngineSyncDisplay, ProgressCountThrottledButShownAtEachDirectoryStart) {
    JobTree t(0);
    for (int i = 0; i < 3; ++i) WriteDated(t.src + L"f" + std::to_wstring(i) + L".txt", "x", kNew);
    WriteDated(t.src + L"sub\\a.txt", "x", kNew);
    WriteDated(t.src + L"sub\\b.txt", "x", kNew);
    TestRun().tally.EntriesExpected = 4;
    t.Sync();
    // The tick never moves: each directory shows its first entry only.
    std::vector<std::wstring> expected = {L"1 - 25%", L"5 - 125%"};
    EXPECT_EQ(Recorded().progressCounts, expected);

    // 333 ms later is not yet "more than 333 ms".
    InstallRecorder();
    TestRun().tally.EntriesDone = 0;
    TestRun().tally.EntriesExpected = 0;
    Recorded().onDrain = [](int) { plat::AdvanceFakeClock(333); };
    ASSERT_TRUE(plat::RemoveTree(t.src + L"sub"));
    t.Sync();
    std::vector<std::wstring> counts = {L"1", L"3"};
    EXPECT_EQ(Recorded().progressCounts, counts);
}

TEST_F(EngineSyncDisplay, PercentBeyondHundredAndCappedPerDirectory) {
    JobTree t(0);
    for (int i = 0; i < 12; ++i) WriteDated(t.src + L"f" + std::to_wstring(100 + i) + L".txt", "x", kNew);
    // Every entry's drain moves the clock past the throttle.
    static int lastEntry = 0;
    lastEntry = 0;
    Recorded().onDrain = [](int) {
        if (TestRun().tally.EntriesDone != lastEntry) {
            lastEntry = TestRun().tally.EntriesDone;
            plat::AdvanceFakeClock(334);
        }
    };
    TestRun().tally.EntriesExpected = 1;
    t.Sync();
    const auto& shown = Recorded().progressCounts;
    ASSERT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown[0], L"1 - 100%");
    EXPECT_EQ(shown[1], L"2 - 200%");
    EXPECT_EQ(shown[9], L"10 - 1000%");
    EXPECT_EQ(shown[10], L"11");
    EXPECT_EQ(shown[11], L"12");
}

TEST_F(EngineSyncDisplay, SpeedShownWhenCopyTimeGrewBy100Milliseconds) {
    JobTree t(0);
    WriteDated(t.src + L"a.txt", "0123456789", kNew);
    WriteDated(t.src + L"b.txt", "0123456789", kNew);
    engine::RunTally& run = TestRun().tally;
    run.BytesCopied = 2 * 1048576 - 10;
    run.CopyMillis = 200;
    t.Sync();
    ASSERT_EQ(Recorded().speedMBs.size(), 1u) << "the second copy added no copy time";
    EXPECT_EQ(Recorded().speedMBs[0], L"10.000");
    EXPECT_EQ(run.SpeedShownAt, 200u);
    EXPECT_EQ(Recorded().copiedMB.front(), L"2");
    EXPECT_EQ(run.BytesCopied, 2 * 1048576 + 10);
}

TEST_F(EngineSyncDisplay, FileBarOnlyForFilesAbove300000Bytes) {
    JobTree t(0);
    WriteDated(t.src + L"big.bin", std::string(300001, 'b'), kNew);
    WriteDated(t.src + L"edge.bin", std::string(300000, 'e'), kNew);
    t.Sync();
    const auto& bar = Recorded().fileProgress;
    // Every copy ends with the bar at 0.
    ASSERT_GE(bar.size(), 2u);
    EXPECT_EQ(bar.back(), 0);
    // Wine's copy never calls the progress routine; the portable layer's
    // progress is our own code and must be there. (edge.bin, made ahead,
    // drains events at its turn either way.)
    const bool moved = std::count(bar.begin(), bar.end(), 0) != static_cast<std::ptrdiff_t>(bar.size());
    if (!moved && !plat::PortableLayer()) GTEST_SKIP() << "this platform's copy reports no progress";
    ASSERT_TRUE(moved) << "no progress reported";
    // big.bin sorts first: its bar reaches 100, edge.bin only resets it.
    std::vector<int> expected = {0, 100, 0, 0};
    EXPECT_EQ(bar, expected);
}

TEST_F(EngineSyncDisplay, StatusLineAndFileSize) {
    JobTree t(0);
    WriteDated(t.src + L"zwei.bin", std::string(2 * 1048576 + 5, 'z'), kNew);
    t.Sync();
    std::vector<std::wstring> status = {t.src, t.src + L"zwei.bin"};
    EXPECT_EQ(Recorded().statusLines, status);
    ASSERT_EQ(Recorded().fileSizeMB.size(), 1u);
    EXPECT_EQ(Recorded().fileSizeMB[0], L"2");
    EXPECT_EQ(Recorded().copiedMB.back(), L"2");
}

}  // namespace
