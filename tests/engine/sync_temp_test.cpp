// Copies under a temporary name: a failed copy or rename leaves the old
// target as it was, leftovers of an interrupted run are swept, and a source
// file that merely looks like a temporary copy is mirrored as any other.
#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

struct EngineSyncTemp : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
    std::wstring Temp(const std::wstring& name) { return name + plat::kTempSuffix; }
};

TEST_F(EngineSyncTemp, TempNames) {
    EXPECT_EQ(engine::TempCopyName(L"C:\\a.txt"), std::wstring(L"C:\\a.txt") + plat::kTempSuffix);
    EXPECT_TRUE(engine::IsTempCopyName(Temp(L"a.txt")));
    EXPECT_TRUE(engine::IsTempCopyName(L"A.TXT.TRESORO-TMP"));
    EXPECT_FALSE(engine::IsTempCopyName(L"a.txt"));
    EXPECT_FALSE(engine::IsTempCopyName(plat::kTempSuffix)) << "the bare suffix names no file";
}

TEST_F(EngineSyncTemp, FailedCopyLeavesTheOldTargetWithoutArchive) {
    JobTree t(0);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "old");
    EXPECT_EQ(DateOf(t.dst + L"a.txt"), kOld);
    EXPECT_FALSE(Exists(t.dst + Temp(L"a.txt")));
    EXPECT_TRUE(LogHas(core::kLogError,
                       L"Kopierfehler: " + t.src + L"a.txt\t\t(" + logs::WindowsErrorText(plat::kErrDiskFull) + L")"));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
}

// A target that stays locked, or a disk that refuses the flush of the
// complete copy: a counted copy error with the system's text.
TEST_F(EngineSyncTemp, FailedRenameOrFlushLeavesTheOldTargetAndNoTempFile) {
    for (const auto& [op, code] : {std::pair{plat::FaultOp::Rename, plat::kErrSharingViolation},
                                   std::pair{plat::FaultOp::Flush, plat::kErrWriteFault}}) {
        SCOPED_TRACE(code);
        ResetForNextCase();
        plat::ClearFaults();
        JobTree t(0);
        WriteDated(t.src + L"a.txt", "new", kNew);
        WriteDated(t.dst + L"a.txt", "old", kOld);
        plat::InjectFault(op, 1, code, true);
        t.Sync();
        EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "old");
        EXPECT_FALSE(Exists(t.dst + Temp(L"a.txt")));
        EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{L"Kopierfehler: " + t.src + L"a.txt\t\t(" +
                                                                       logs::WindowsErrorText(code) + L")"});
        EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
        EXPECT_EQ(TestRun().tally.FilesCopied, 0);
    }
}

TEST_F(EngineSyncTemp, FailedCopyPutsTheArchivedVersionsBack) {
    JobTree t(1);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "cur", kOld);
    WriteDated(t.dst + L"@\\a.txt", "older", kOld - 10 * kDay);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "cur");
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "older");
    EXPECT_FALSE(SetAsideLeft(t.dst)) << "nothing waits in the set-aside folder";
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
}

TEST_F(EngineSyncTemp, FailedCopyWithAFreeSlotGivesNoRestoreHint) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "cur", kOld);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "cur");
    EXPECT_FALSE(Exists(t.dst + L"@\\a.txt"));
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
}

TEST_F(EngineSyncTemp, RestoreThatFailsIsReported) {
    JobTree t(1);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "cur", kOld);
    WriteDated(t.dst + L"@\\a.txt", "older", kOld - 10 * kDay);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    // Moves: set aside, archive, move back (fails).
    plat::InjectFault(plat::FaultOp::Move, 3, plat::kErrWriteProtect);
    t.Sync();
    EXPECT_TRUE(LogHas(core::kLogError, L"Wiederhestellung von Archivdatei hat leider nicht geklappt: " + t.dst +
                                            L"@\\a.txt nach " + t.dst + L"a.txt"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "cur") << "the current version is kept in the archive";
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1) << "counted once, as the copy error";
}

TEST_F(EngineSyncTemp, RenameBackOfTheOlderVersionThatFailsIsAHint) {
    JobTree t(1);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "cur", kOld);
    WriteDated(t.dst + L"@\\a.txt", "older", kOld - 10 * kDay);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    plat::InjectFault(plat::FaultOp::Move, 4, plat::kErrWriteProtect);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "cur");
    EXPECT_TRUE(LogHas(core::kLogHint, L"Wiederhestellung von alter Archivdatei misslungen: " + t.dst +
                                           L"@\\@\\a.txt.arc2del nach " + t.dst + L"@\\a.txt"));
    // Not purged: it waits, and the next visit puts it back into its slot.
    EXPECT_EQ(ReadAll(t.dst + L"@\\@\\a.txt.arc2del"), "older");
    logs::ResetLogState();
    ClearRunErrors();
    WriteDated(t.src + L"a.txt", "cur", kOld);  // nothing to copy this time
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "older");
    EXPECT_FALSE(SetAsideLeft(t.dst));
}

TEST_F(EngineSyncTemp, LeftoverTempFileIsSweptNeverPairedOrArchived) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "a", kOld);
    WriteDated(t.dst + L"a.txt", "a", kOld);
    WriteDated(t.dst + Temp(L"a.txt"), "half", kNew);
    WriteDated(t.dst + Temp(L"gone.txt"), "half", kNew);
    ASSERT_TRUE(plat::SetAttributes(t.dst + Temp(L"gone.txt"), plat::kAttrReadOnly));
    WriteDated(t.dst + L"sub\\" + Temp(L"x"), "half", kNew);
    t.tree.Mkdir(L"src\\sub");
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + Temp(L"a.txt")));
    EXPECT_FALSE(Exists(t.dst + Temp(L"gone.txt")));
    EXPECT_FALSE(Exists(t.dst + L"sub\\" + Temp(L"x")));
    EXPECT_EQ(Snapshot(t.dst + L"@").size(), 1u) << "only the empty archive directory of sub";
    EXPECT_EQ(TestRun().tally.EntriesDone, 2);
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "a");
}

TEST_F(EngineSyncTemp, SourceFileNamedLikeATempFileIsMirrored) {
    JobTree t(3);
    WriteDated(t.src + Temp(L"real"), "v2", kNew);
    WriteDated(t.dst + Temp(L"real"), "v1", kOld);
    WriteDated(t.src + Temp(L"fresh"), "f", kNew);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + Temp(L"real")), "v2");
    EXPECT_EQ(ReadAll(t.dst + L"@\\" + Temp(L"real")), "v1") << "archived like any replaced file";
    EXPECT_EQ(ReadAll(t.dst + Temp(L"fresh")), "f");
    EXPECT_EQ(TestRun().tally.FilesCopied, 2);
}

TEST_F(EngineSyncTemp, CopyOfAnExcludedTempNamedSourceIsNotSwept) {
    JobTree t(3);
    WriteDated(t.src + Temp(L"skip"), "s", kNew);
    WriteDated(t.dst + Temp(L"skip"), "s-old", kOld);
    AddExclude(t.sid, Temp(L"\\skip"));
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"@\\" + Temp(L"skip")), "s-old") << "handled as an excluded file's copy";
}

}  // namespace
