// Fault walks: one job with replaced, new and vanished files, a vanished
// directory, a full set of versions and a leftover temporary copy, run with
// the n-th call of one file operation failing, for n = 1, 2, 3, ... until
// the fault no longer fires. After each run no old content may be lost,
// nothing half-written may carry a real name, the failure must be logged and
// counted, and a clean run afterwards must complete the mirror.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

const std::map<std::wstring, std::string> kSource = {
    {L"rep.txt", "rep-new"},    {L"new.txt", "new-file"}, {L"sub\\rep2.txt", "rep2-new"},
    {L"sub\\new2.txt", "new2"}, {L"fresh\\f.txt", "f"},
};
const std::map<std::wstring, std::string> kDest = {
    {L"rep.txt", "rep-old"},        {L"van.txt", "van-old"},      {L"sub\\rep2.txt", "rep2-old"},
    {L"sub\\van2.txt", "van2-old"}, {L"gonedir\\g.txt", "g-old"},
};
// Contents that must survive: the whole mirror, and every archived version
// but the oldest of the full set (which gives way by design).
const std::vector<std::string> kMustSurvive = {"rep-old", "van-old", "rep2-old", "van2-old", "g-old", "rep-v1"};

bool IsTempName(const std::wstring& path) { return engine::IsTempCopyName(path); }

void BuildJob(JobTree& t) {
    for (const auto& [path, content] : kSource) WriteDated(t.src + path, content, kNew);
    for (const auto& [path, content] : kDest) WriteDated(t.dst + path, content, kOld);
    WriteDated(t.dst + engine::TempCopyName(L"sub\\rep2.txt"), "half", kNew);
    WriteDated(t.dst + L"@\\rep.txt", "rep-v0", kOld - 20 * kDay);
    WriteDated(t.dst + L"@\\rep1.txt", "rep-v1", kOld - 10 * kDay);
}

// Checks that hold after any run, faulted or not.
void CheckNothingLost(const JobTree& t, plat::FaultOp op) {
    std::vector<std::string> contents = AllContents(t.dst);
    for (const std::string& must : kMustSurvive)
        EXPECT_NE(std::find(contents.begin(), contents.end(), must), contents.end()) << "lost: " << must;

    for (const auto& [path, content] : Snapshot(t.dst, true)) {
        if (!path.empty() && path.back() == L'\\') continue;
        if (IsTempName(path)) {
            // Only a failed deletion, or a directory that could not be
            // listed this time, leaves a temporary copy behind.
            EXPECT_TRUE(op == plat::FaultOp::Delete || op == plat::FaultOp::List)
                << "temporary copy left: " << testing::PrintToString(path);
            continue;
        }
        std::set<std::string> allowed;
        if (kDest.count(path)) allowed.insert(kDest.at(path));
        if (kSource.count(path)) allowed.insert(kSource.at(path));
        EXPECT_TRUE(allowed.count(content)) << testing::PrintToString(path) << " holds " << content;
    }
}

// Every line in "Fehler" came through the run's error path: a counted error,
// or a detail line of one (which never stands alone).
void CheckErrorsCounted() {
    const engine::RunTally& run = TestRun().tally;
    EXPECT_EQ(LogLines(core::kLogError).size(), static_cast<size_t>(run.RunErrorCount + run.ErrorDetailLines));
    if (run.ErrorDetailLines > 0) {
        EXPECT_GT(run.RunErrorCount, 0);
    }
}

bool AnyLine(int kind, std::initializer_list<const wchar_t*> prefixes) {
    for (const wchar_t* prefix : prefixes)
        if (CountLogPrefix(kind, prefix) > 0) return true;
    return false;
}

void CheckFailureReported(const JobTree& t, plat::FaultOp op) {
    switch (op) {
        case plat::FaultOp::Copy:
        case plat::FaultOp::Flush:
        case plat::FaultOp::Rename:
            EXPECT_EQ(CountLogPrefix(core::kLogError, L"Kopierfehler: "), 1u);
            EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
            break;
        case plat::FaultOp::CreateDir:
            // The set-aside folder that cannot be made: the oldest version
            // gives way at once, a hint.
            if (AnyLine(core::kLogHint, {L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte "})) break;
            EXPECT_TRUE(AnyLine(core::kLogError, {L"Konnte Verzeichnis nicht erstellen: <",
                                                  L"Konnte Archivverzeichnis nicht erstellen: "}));
            EXPECT_GE(TestRun().tally.RunErrorCount, 1);
            break;
        case plat::FaultOp::Move:
            EXPECT_TRUE(AnyLine(core::kLogError, {L"Archivieren fehlgeschlagen: "}) ||
                        AnyLine(core::kLogHint, {L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte "}));
            break;
        case plat::FaultOp::List:
            // A destination directory that cannot be listed because it does
            // not exist yet is simply created: then nothing went wrong.
            if (TestRun().tally.RunErrorCount == 0) {
                EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
                break;
            }
            EXPECT_TRUE(AnyLine(core::kLogError, {L"Konnte Verzeichnis<", L"Konnte Verzeichnis nicht erstellen: <"}));
            break;
        default:  // deletions inside "@" and of temporary copies are silent
            break;
    }
}

// With `passing`, the fault is a lock error (another program holds the file
// for a moment), waited out: every run ends as a run without it.
void WalkFaults(plat::FaultOp op, uint32_t code, bool passing = false) {
    int fired = 0;
    for (int n = 1; n <= 60; ++n) {
        SCOPED_TRACE("fault at call " + std::to_string(n));
        ResetForNextCase();
        JobTree t(2);
        BuildJob(t);
        plat::InjectFault(op, n, code);
        t.Sync();
        const bool waited = plat::LockPausedForTest() > 0;
        const bool hit = FaultFired(op, n);
        CheckNothingLost(t, op);
        CheckErrorsCounted();
        if (hit && passing) {
            ++fired;
            EXPECT_TRUE(waited);
            EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
            EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
        } else if (hit) {
            ++fired;
            CheckFailureReported(t, op);
        } else {
            EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        }

        // A clean run afterwards completes the mirror and sweeps every
        // temporary copy.
        logs::ResetLogState();
        ClearRunErrors();
        t.Sync();
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        auto mirror = Snapshot(t.dst, true);
        auto source = Snapshot(t.src);
        EXPECT_EQ(mirror, source);
        if (!hit) break;
    }
    EXPECT_GT(fired, 0) << "the job never reached the operation";
}

struct EngineSyncFaults : testing::Test {
    void SetUp() override { plat::SetFakeClock(kTestNow, 1000); }
};

TEST_F(EngineSyncFaults, CopyFailures) { WalkFaults(plat::FaultOp::Copy, plat::kErrDiskFull); }
TEST_F(EngineSyncFaults, FlushFailures) { WalkFaults(plat::FaultOp::Flush, plat::kErrWriteFault); }
TEST_F(EngineSyncFaults, RenameFailures) { WalkFaults(plat::FaultOp::Rename, plat::kErrWriteProtect); }
TEST_F(EngineSyncFaults, MoveFailures) { WalkFaults(plat::FaultOp::Move, plat::kErrWriteProtect); }
TEST_F(EngineSyncFaults, CreateDirFailures) { WalkFaults(plat::FaultOp::CreateDir, plat::kErrAccessDenied); }
TEST_F(EngineSyncFaults, DeleteFailures) { WalkFaults(plat::FaultOp::Delete, plat::kErrWriteProtect); }
TEST_F(EngineSyncFaults, ListFailures) { WalkFaults(plat::FaultOp::List, plat::kErrAccessDenied); }
TEST_F(EngineSyncFaults, SetAttributeFailures) { WalkFaults(plat::FaultOp::SetAttributes, plat::kErrAccessDenied); }
TEST_F(EngineSyncFaults, MomentaryLocksPass) {
    WalkFaults(plat::FaultOp::Copy, plat::kErrSharingViolation, true);
    WalkFaults(plat::FaultOp::Flush, plat::kErrLockViolation, true);
    WalkFaults(plat::FaultOp::Rename, plat::kErrAccessDenied, true);
    WalkFaults(plat::FaultOp::Move, plat::kErrSharingViolation, true);
    WalkFaults(plat::FaultOp::Delete, plat::kErrAccessDenied, true);
    WalkFaults(plat::FaultOp::RemoveDir, plat::kErrLockViolation, true);
}

// "Abbrechen" while a large file is copied: the copy stops at once, the
// replaced file comes back from the archive, nothing else is archived and
// no copy error is reported.
TEST_F(EngineSyncFaults, CancelInsideALargeCopy) {
    InstallRecorder();
    JobTree t(3);
    WriteDated(t.src + L"a_big.bin", std::string(3 * 1048576 + 17, 'n'), kNew);
    WriteDated(t.dst + L"a_big.bin", "big-old", kOld);
    WriteDated(t.src + L"z.txt", "z-new", kNew);
    WriteDated(t.dst + L"z.txt", "z-old", kOld);
    WriteDated(t.dst + L"v.txt", "v-old", kOld);
    // Drain 1 is the entry's own; 2 and 3 come from the copy's progress.
    Recorded().cancelAtDrain = 3;
    t.Sync();
    // Wine's copy never calls the progress routine; the portable layer's
    // progress is our own code and must be there.
    if (Recorded().drains < 3 && !plat::PortableLayer()) GTEST_SKIP() << "this platform's copy reports no progress";
    ASSERT_FALSE(Recorded().drains < 3) << "no progress reported";

    EXPECT_EQ(ReadAll(t.dst + L"a_big.bin"), "big-old");
    EXPECT_EQ(ReadAll(t.dst + L"z.txt"), "z-old");
    EXPECT_EQ(ReadAll(t.dst + L"v.txt"), "v-old");
    EXPECT_FALSE(Exists(t.dst + engine::TempCopyName(L"a_big.bin")));
    EXPECT_TRUE(AllContents(t.dst + L"@").empty()) << "nothing archived";
    EXPECT_EQ(CountLogPrefix(core::kLogError, L"Kopierfehler: "), 0u);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(TestRun().tally.FilesCopied, 0);
    EXPECT_EQ(Recorded().fileProgress.back(), 0);
}

}  // namespace
