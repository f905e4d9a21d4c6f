// A file another program holds for a moment (a virus scanner, the indexer,
// a sync client): the opens of a copy, renames, moves and deletions are
// tried again after short pauses, about a second in all. A file held for
// longer, a read-only file that Windows refuses to delete or replace, and
// every other error are the error they always were. Through the fault
// layer in both builds, and through a real lock where the system has one.
#include <gtest/gtest.h>

#include <functional>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;

namespace {

constexpr uint32_t kAllPauses = 1000;  // milliseconds, the whole retry

struct HeldOperation {
    const char* name;
    plat::FaultOp op;
    std::function<bool(const TempTree&)> run;
    std::vector<std::wstring> after;  // the names once it succeeded
};

void BuildTree(const TempTree& t) {
    t.Write(L"a.txt", "a");
    t.Write(L"old.txt", "old");
    t.Mkdir(L"empty");
    t.Write(L"tree\\in.txt", "in");
}

const std::vector<std::wstring> kBefore = {L"a.txt", L"empty", L"old.txt", L"tree"};

std::vector<HeldOperation> Operations() {
    auto copy = [](const TempTree& t) {
        return plat::CopyFileIntoPlace(t.Path(L"a.txt"), t.Path(L"new.txt"), {}, true);
    };
    const std::vector<std::wstring> copied = {L"a.txt", L"empty", L"new.txt", L"old.txt", L"tree"};
    return {
        {"copy", plat::FaultOp::Copy, copy, copied},
        {"flush", plat::FaultOp::Flush, copy, copied},
        {"rename",
         plat::FaultOp::Rename,
         [](const TempTree& t) { return plat::MoveReplacing(t.Path(L"a.txt"), t.Path(L"old.txt")); },
         {L"empty", L"old.txt", L"tree"}},
        {"move",
         plat::FaultOp::Move,
         [](const TempTree& t) { return plat::MoveEntry(t.Path(L"tree"), t.Path(L"moved")); },
         {L"a.txt", L"empty", L"moved", L"old.txt"}},
        {"delete",
         plat::FaultOp::Delete,
         [](const TempTree& t) { return plat::DeleteFileAt(t.Path(L"a.txt")); },
         {L"empty", L"old.txt", L"tree"}},
        {"delete for good",
         plat::FaultOp::Delete,
         [](const TempTree& t) { return plat::RemoveForGood(t.Path(L"a.txt")); },
         {L"empty", L"old.txt", L"tree"}},
        {"remove directory",
         plat::FaultOp::RemoveDir,
         [](const TempTree& t) { return plat::RemoveDir(t.Path(L"empty")); },
         {L"a.txt", L"old.txt", L"tree"}},
        {"remove tree",
         plat::FaultOp::RemoveDir,
         [](const TempTree& t) { return plat::RemoveTree(t.Path(L"tree")); },
         {L"a.txt", L"empty", L"old.txt"}},
    };
}

}  // namespace

// Each error once, then from then on. A lock that passes costs one pause; a
// lasting one every pause and leaves everything as it was (no temporary
// copy either); any other error is reported at once.
TEST(PlatformLockRetry, AMomentaryLockPassesALastingOneIsTheError) {
    for (const HeldOperation& o : Operations()) {
        for (const uint32_t code :
             {plat::kErrAccessDenied, plat::kErrSharingViolation, plat::kErrLockViolation, plat::kErrWriteProtect}) {
            SCOPED_TRACE(std::string(o.name) + ", error " + std::to_string(code));
            const bool lock = code != plat::kErrWriteProtect;
            for (const bool lasting : {false, true}) {
                SCOPED_TRACE(lasting ? "lasting" : "once");
                TempTree t;
                BuildTree(t);
                plat::ClearFaults();
                plat::InjectFault(o.op, 1, code, lasting);
                const bool ok = o.run(t);
                const uint32_t error = plat::LastError();
                const uint32_t paused = plat::LockPausedForTest();
                plat::ClearFaults();
                EXPECT_EQ(ok, lock && !lasting);
                EXPECT_EQ(paused, !lock ? 0 : lasting ? kAllPauses : 100u);
                if (ok) {
                    EXPECT_EQ(t.Names(), o.after);
                } else {
                    EXPECT_EQ(error, code);
                    EXPECT_EQ(t.Names(), kBefore);
                }
            }
        }
    }
}

// Windows refuses to delete or replace a read-only file, and to delete a
// directory as a file, with error 5 too: no pause can change that, so none
// is made (the program clears the bit itself where it must remove anyway).
TEST(PlatformLockRetry, AReadOnlyFileIsRefusedAtOnce) {
    TempTree t;
    BuildTree(t);
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"old.txt"), plat::kAttrReadOnly));
    for (const wchar_t* path : {L"old.txt", L"empty"}) {
        EXPECT_FALSE(plat::DeleteFileAt(t.Path(path)));
        EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    }
    // Wine replaces a read-only file; Windows and the portable layer do not.
    if (plat::PortableLayer()) {
        EXPECT_FALSE(plat::MoveReplacing(t.Path(L"a.txt"), t.Path(L"old.txt")));
        EXPECT_FALSE(plat::CopyFileIntoPlace(t.Path(L"a.txt"), t.Path(L"old.txt"), {}, true));
        EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    }
    EXPECT_EQ(plat::LockPausedForTest(), 0u);
    EXPECT_EQ(t.Read(L"old.txt"), "old");
    EXPECT_TRUE(plat::RemoveForGood(t.Path(L"old.txt")));
    EXPECT_EQ(plat::LockPausedForTest(), 0u);
}

// A real lock: a handle that shares nothing, as Windows (and Wine) enforce
// it. Held for good, the operation fails after every pause; released during
// the first pause, the next attempt succeeds.
TEST(PlatformLockRetry, AFileHeldOpenByAnotherProgram) {
    TempTree t;
    BuildTree(t);
    if (!plat::HoldFileForTest(t.Path(L"a.txt"))) GTEST_SKIP() << "this layer has no locks";
    auto copy = [&] { return plat::CopyFileIntoPlace(t.Path(L"a.txt"), t.Path(L"new.txt"), {}, true); };
    auto rename = [&] { return plat::MoveReplacing(t.Path(L"a.txt"), t.Path(L"old.txt")); };
    for (const std::function<bool()>& attempt :
         std::vector<std::function<bool()>>{copy, rename, [&] { return plat::DeleteFileAt(t.Path(L"a.txt")); }}) {
        plat::ClearFaults();
        EXPECT_FALSE(attempt());
        EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
        EXPECT_EQ(plat::LockPausedForTest(), kAllPauses);
    }
    plat::ReleaseHeldFilesForTest();
    EXPECT_EQ(t.Names(), kBefore);

    struct Released {
        const wchar_t* held;
        std::function<bool()> attempt;
    };
    for (const Released& r :
         {Released{L"a.txt", copy}, Released{L"new.txt", [&] { return plat::DeleteFileAt(t.Path(L"new.txt")); }},
          Released{L"a.txt", rename}}) {
        plat::ClearFaults();
        ASSERT_TRUE(plat::HoldFileForTest(t.Path(r.held)));
        plat::SetLockPauseForTest([](uint32_t) { plat::ReleaseHeldFilesForTest(); });
        EXPECT_TRUE(r.attempt());
        EXPECT_EQ(plat::LockPausedForTest(), 100u);
    }
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"empty", L"old.txt", L"tree"}));
    EXPECT_EQ(t.Read(L"old.txt"), "a");
}
