// The mirror's copy: nothing half-written ever carries the target's name,
// whether the copy is written under a temporary name (Windows, and hosts
// that cannot make a file without a name) or under none at all.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::Pattern;
using testing_support::TempTree;

namespace {

constexpr int64_t kDate = 1246406399;  // 2009-06-30 23:59:59 local

// Parameter: the copy is written under a temporary name (true), or without
// a name where the host can make one (false; the portable layer only).
struct PlatformCopyIntoPlace : testing::TestWithParam<bool> {
    void SetUp() override {
        if (!GetParam() && !plat::PortableLayer()) GTEST_SKIP() << "Windows always names its copies";
        plat::SetNamedTempCopiesForTest(GetParam());
    }
    void TearDown() override { plat::SetNamedTempCopiesForTest(false); }
};

}  // namespace

TEST_P(PlatformCopyIntoPlace, NewTargetGetsContentDateAndTheAskedAttributes) {
    TempTree t;
    const std::string content = Pattern(70000);
    t.Write(L"src.bin", content);
    ASSERT_TRUE(plat::SetModified(t.Path(L"src.bin"), kDate));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"src.bin"), plat::kAttrReadOnly | plat::kAttrHidden));

    ASSERT_TRUE(plat::CopyFileIntoPlace(t.Path(L"src.bin"), t.Path(L"reset.bin"), nullptr, true));
    ASSERT_TRUE(plat::CopyFileIntoPlace(t.Path(L"src.bin"), t.Path(L"kept.bin"), nullptr, false));
    EXPECT_EQ(t.Read(L"reset.bin"), content);
    EXPECT_EQ(t.Read(L"kept.bin"), content);
    int64_t modified = 0;
    ASSERT_TRUE(plat::GetModified(t.Path(L"reset.bin"), modified));
    EXPECT_EQ(modified, kDate);
    EXPECT_EQ(plat::GetAttributes(t.Path(L"reset.bin")), plat::kAttrArchive);
    const uint32_t kept = plat::GetAttributes(t.Path(L"kept.bin"));
    EXPECT_NE(kept & plat::kAttrReadOnly, 0u);
    EXPECT_NE(kept & plat::kAttrHidden, 0u);
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"kept.bin", L"reset.bin", L"src.bin"}));
}

// The reset to the archive bit alone, whatever the source carries (a copy
// that comes with the archive bit alone needs none).
TEST_P(PlatformCopyIntoPlace, MirrorCopyHasTheArchiveBitAloneWhateverTheSourceHad) {
    for (const uint32_t attributes : {plat::kAttrArchive, plat::kAttrNormal, plat::kAttrHidden | plat::kAttrArchive,
                                      plat::kAttrSystem, plat::kAttrReadOnly}) {
        SCOPED_TRACE(attributes);
        TempTree t;
        t.Write(L"src.txt", "s");
        ASSERT_TRUE(plat::SetAttributes(t.Path(L"src.txt"), attributes));
        ASSERT_TRUE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(L"dst.txt"), nullptr, true));
        EXPECT_EQ(plat::GetAttributes(t.Path(L"dst.txt")), plat::kAttrArchive);
        ASSERT_TRUE(plat::SetAttributes(t.Path(L"src.txt"), plat::kAttrArchive));
    }
}

// An interrupted run may leave a complete copy under the temporary name,
// read-only when it came from an IT job.
TEST_P(PlatformCopyIntoPlace, ExistingTargetAndALeftoverTemporaryFileAreReplaced) {
    for (const uint32_t leftover : {plat::kAttrArchive, plat::kAttrReadOnly | plat::kAttrHidden}) {
        SCOPED_TRACE(leftover);
        TempTree t;
        t.Write(L"src.txt", "new");
        t.Write(L"dst.txt", Pattern(100000));
        const std::wstring temp = std::wstring(L"dst.txt") + plat::kTempSuffix;
        t.Write(temp, "half a copy from an interrupted run");
        ASSERT_TRUE(plat::SetAttributes(t.Path(temp), leftover));
        ASSERT_TRUE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(L"dst.txt"), nullptr, true));
        EXPECT_EQ(t.Read(L"dst.txt"), "new");
        EXPECT_EQ(t.Read(L"src.txt"), "new");
        EXPECT_EQ(plat::GetAttributes(t.Path(L"dst.txt")), plat::kAttrArchive);
        EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dst.txt", L"src.txt"}));
    }
}

// Every way the copy can fail leaves the old target whole and no temporary
// file behind: a full disk, a target that stays locked, a flush the disk
// refuses.
TEST_P(PlatformCopyIntoPlace, FailuresKeepTheOldTarget) {
    struct Case {
        plat::FaultOp op;
        uint32_t code;
    };
    for (const Case& c :
         {Case{plat::FaultOp::Copy, plat::kErrDiskFull}, Case{plat::FaultOp::Rename, plat::kErrSharingViolation},
          Case{plat::FaultOp::Flush, plat::kErrWriteFault}}) {
        SCOPED_TRACE(static_cast<int>(c.op));
        TempTree t;
        t.Write(L"src.txt", "new");
        t.Write(L"dst.txt", "old");
        plat::InjectFault(c.op, 1, c.code, true);
        EXPECT_FALSE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(L"dst.txt"), nullptr, true));
        EXPECT_EQ(plat::LastError(), c.code);
        plat::ClearFaults();
        EXPECT_EQ(t.Read(L"dst.txt"), "old");
        EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dst.txt", L"src.txt"}));
    }
}

// The data go to the disk before any name points at them: a run killed at
// the flush of its n-th copy has named n - 1 copies, and the n-th target
// still holds what it held (nothing, or the old file).
TEST_P(PlatformCopyIntoPlace, EachCopyIsFlushedBeforeItGetsItsName) {
    const std::vector<std::wstring> targets = {L"a.txt", L"b.txt", L"c.txt"};
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        TempTree t;
        t.Write(L"src.txt", "new");
        t.Write(L"b.txt", "old");
        plat::InjectHalt(plat::FaultOp::Flush, n);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(targets[i]), {}, true), i + 1 < n);
        EXPECT_TRUE(plat::HaltReached());
        plat::ClearFaults();
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const std::string held = t.Exists(targets[i]) ? t.Read(targets[i]) : "";
            EXPECT_EQ(held, i + 1 < n ? "new" : i == 1 ? "old" : "");
        }
    }
}

TEST_P(PlatformCopyIntoPlace, CancelKeepsTheOldTarget) {
    TempTree t;
    t.Write(L"src.bin", Pattern(2000000));
    t.Write(L"dst.bin", "old");
    int calls = 0;
    auto cancel = [&](uint64_t, uint64_t) { return ++calls < 2; };
    const bool ok = plat::CopyFileIntoPlace(t.Path(L"src.bin"), t.Path(L"dst.bin"), cancel, true);
    // Wine's copy never calls the progress routine; the portable layer's
    // progress is our own code and must be there.
    if (calls == 0 && !plat::PortableLayer()) GTEST_SKIP() << "this system's copy never reports progress";
    ASSERT_FALSE(calls == 0) << "no progress reported";
    EXPECT_FALSE(ok);
    EXPECT_EQ(plat::LastError(), plat::kErrRequestAborted);
    EXPECT_EQ(t.Read(L"dst.bin"), "old");
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dst.bin", L"src.bin"}));
}

TEST_P(PlatformCopyIntoPlace, MissingDirectoryOrSourceIsReported) {
    TempTree t;
    t.Write(L"src.txt", "s");
    EXPECT_FALSE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(L"nodir\\dst.txt"), nullptr, true));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_FALSE(plat::CopyFileIntoPlace(t.Path(L"none.txt"), t.Path(L"dst.txt"), nullptr, true));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_EQ(t.Names(), std::vector<std::wstring>{L"src.txt"});
}

// A failed reset is no failed copy: the copy is in place with what the
// source had.
TEST_P(PlatformCopyIntoPlace, FailedAttributeResetKeepsTheCopy) {
    TempTree t;
    t.Write(L"src.txt", "s");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"src.txt"), plat::kAttrReadOnly));
    plat::InjectFault(plat::FaultOp::SetAttributes, 1, plat::kErrAccessDenied);
    EXPECT_TRUE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(L"dst.txt"), nullptr, true));
    plat::ClearFaults();
    EXPECT_EQ(t.Read(L"dst.txt"), "s");
    EXPECT_NE(plat::GetAttributes(t.Path(L"dst.txt")) & plat::kAttrReadOnly, 0u);
}

// Windows refuses to replace a read-only file or a directory, and the
// portable layer keeps that answer (Wine replaces a read-only file).
TEST_P(PlatformCopyIntoPlace, ReadOnlyOrDirectoryTargetIsRefused) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    TempTree t;
    t.Write(L"src.txt", "new");
    t.Write(L"locked.txt", "locked");
    t.Write(L"dir\\inner.txt", "inner");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrReadOnly));
    for (const wchar_t* target : {L"locked.txt", L"dir"}) {
        SCOPED_TRACE(std::filesystem::path(target).string());
        EXPECT_FALSE(plat::CopyFileIntoPlace(t.Path(L"src.txt"), t.Path(target), nullptr, true));
        EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    }
    EXPECT_EQ(t.Read(L"dir\\inner.txt"), "inner");
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dir", L"locked.txt", L"src.txt"}));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrArchive));
    EXPECT_EQ(t.Read(L"locked.txt"), "locked");
}

INSTANTIATE_TEST_SUITE_P(Named, PlatformCopyIntoPlace, testing::Values(true));
INSTANTIATE_TEST_SUITE_P(Unnamed, PlatformCopyIntoPlace, testing::Values(false));
