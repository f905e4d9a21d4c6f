// A copy made ahead of its turn: complete before it has a real name and on
// the disk before it gets one, named in one step at its turn, and gone without a trace when it is
// dropped or its naming fails. It waits under no name at all where the host
// can make such a file, else (Windows) under its temporary name, which
// nothing but the copy's own writer ever takes over.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::Pattern;
using testing_support::TempTree;

namespace {

constexpr int64_t kDate = 1246406399;  // 2009-06-30 23:59:59 local
constexpr uint64_t kMax = 300000;

// Parameter: the copy waits under its temporary name (true), or under none
// where the host can make a nameless file (false; the portable layer only).
struct PlatformPreparedCopy : testing::TestWithParam<bool> {
    void SetUp() override {
        if (!GetParam() && !plat::PortableLayer()) GTEST_SKIP() << "Windows has no nameless files";
        plat::SetNamedTempCopiesForTest(GetParam());
    }
    void TearDown() override {
        plat::ClearFaults();
        plat::SetNamedTempCopiesForTest(false);
    }
    // What the folder shows while copies wait for `targets`.
    std::vector<std::wstring> Waiting(std::vector<std::wstring> names, const std::vector<std::wstring>& targets) {
        if (GetParam())
            for (const std::wstring& target : targets) names.push_back(target + plat::kTempSuffix);
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_P(PlatformPreparedCopy, ACopyHasNoRealNameUntilPlacedThenContentDateAndAttributes) {
    TempTree t;
    const std::string content = Pattern(70000);
    t.Write(L"src\\a.bin", content);
    t.Write(L"dst\\other.txt", "x");
    ASSERT_TRUE(plat::SetModified(t.Path(L"src\\a.bin"), kDate));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"src\\a.bin"), plat::kAttrReadOnly | plat::kAttrHidden));

    plat::PreparedCopy reset, kept;
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src\\a.bin"), t.Path(L"dst\\reset.bin"), true, kMax, reset));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src\\a.bin"), t.Path(L"dst\\kept.bin"), false, kMax, kept));
    EXPECT_EQ(reset.total, content.size());
    EXPECT_EQ(reset.copied, content.size());
    EXPECT_EQ(t.Names(L"dst"), Waiting({L"other.txt"}, {L"kept.bin", L"reset.bin"})) << "no real name before the turn";

    ASSERT_TRUE(plat::PlacePreparedCopy(reset, t.Path(L"dst\\reset.bin")));
    ASSERT_TRUE(plat::PlacePreparedCopy(kept, t.Path(L"dst\\kept.bin")));
    EXPECT_EQ(t.Read(L"dst\\reset.bin"), content);
    EXPECT_EQ(t.Read(L"dst\\kept.bin"), content);
    int64_t modified = 0;
    ASSERT_TRUE(plat::GetModified(t.Path(L"dst\\reset.bin"), modified));
    EXPECT_EQ(modified, kDate);
    EXPECT_EQ(plat::GetAttributes(t.Path(L"dst\\reset.bin")), plat::kAttrArchive);
    const uint32_t attributes = plat::GetAttributes(t.Path(L"dst\\kept.bin"));
    EXPECT_NE(attributes & plat::kAttrReadOnly, 0u);
    EXPECT_NE(attributes & plat::kAttrHidden, 0u);
    EXPECT_EQ(t.Names(L"dst"), (std::vector<std::wstring>{L"kept.bin", L"other.txt", L"reset.bin"}));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"dst\\kept.bin"), plat::kAttrArchive));
}

// A name taken by someone else between the listing and the turn is replaced
// as the copy at the turn would replace it; a dropped copy leaves nothing,
// and neither does one whose naming fails (the target stays locked).
TEST_P(PlatformPreparedCopy, PlacedReplacesANewcomerDroppedOrFailedLeavesNothing) {
    TempTree t;
    t.Write(L"src.txt", "made ahead");
    plat::PreparedCopy copy, dropped, refused;
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"dst.txt"), true, kMax, copy));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"gone.txt"), true, kMax, dropped));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"refused.txt"), true, kMax, refused));
    // Written beside and moved in: writing it in place would go through
    // the very temporary name the copy waits under.
    t.Write(L"newcomer", Pattern(5000));
    ASSERT_TRUE(plat::MoveEntry(t.Path(L"newcomer"), t.Path(L"dst.txt")));
    ASSERT_TRUE(plat::PlacePreparedCopy(copy, t.Path(L"dst.txt")));
    plat::DropPreparedCopy(dropped);
    plat::DropPreparedCopy(dropped);  // twice is harmless
    plat::InjectFault(plat::FaultOp::Rename, 1, plat::kErrSharingViolation, true);
    EXPECT_FALSE(plat::PlacePreparedCopy(refused, t.Path(L"refused.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
    plat::ClearFaults();
    EXPECT_EQ(t.Read(L"dst.txt"), "made ahead");
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dst.txt", L"src.txt"}));
    // Consumed: placing it again names nothing.
    EXPECT_FALSE(plat::PlacePreparedCopy(copy, t.Path(L"again.txt")));
    EXPECT_FALSE(t.Exists(L"again.txt"));
}

// Refused copies leave nothing of their own, and a temporary name already
// taken (a leftover the sweep could not remove) stays as it was: only the
// copy at the turn replaces it.
TEST_P(PlatformPreparedCopy, RefusalsLeaveNoCopyAndSayWhy) {
    TempTree t;
    t.Write(L"big.bin", Pattern(kMax + 1));
    t.Write(L"small.txt", "s");
    const std::wstring leftover = std::wstring(L"taken.txt") + plat::kTempSuffix;
    t.Write(leftover, "a leftover");
    plat::PreparedCopy copy;
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"big.bin"), t.Path(L"big2.bin"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrFileTooLarge) << "grown past the bound since it was listed";
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"missing.txt"), t.Path(L"m.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"small.txt"), t.Path(L"no\\such\\dir.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    if (GetParam()) {
        EXPECT_FALSE(plat::PrepareCopy(t.Path(L"small.txt"), t.Path(L"taken.txt"), true, kMax, copy));
        EXPECT_EQ(plat::LastError(), plat::kErrFileExists);
        EXPECT_EQ(t.Read(leftover), "a leftover");
    }
    EXPECT_EQ(copy.file, -1);
    EXPECT_TRUE(copy.temp.empty());
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"big.bin", L"small.txt", leftover}));
}

// The portable layer flushes the file system once, at the turn, for every
// copy written before that flush began: the second copy rides on the first
// one's flush, a copy written after it needs its own, and when that flush
// fails the copy gets no name and leaves nothing.
TEST_P(PlatformPreparedCopy, CopiesWrittenBeforeAFlushShareItALaterOneFlushesAgain) {
    if (!plat::PortableLayer()) GTEST_SKIP() << "the Win32 writer flushes each copy itself";
    TempTree t;
    t.Write(L"src\\a.txt", "new");
    t.Write(L"dst\\other.txt", "x");
    plat::PreparedCopy a, b, c;
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src\\a.txt"), t.Path(L"dst\\a.txt"), true, kMax, a));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src\\a.txt"), t.Path(L"dst\\b.txt"), true, kMax, b));
    plat::InjectFault(plat::FaultOp::Flush, 2, plat::kErrWriteFault);
    EXPECT_TRUE(plat::PlacePreparedCopy(a, t.Path(L"dst\\a.txt")));
    EXPECT_TRUE(plat::PlacePreparedCopy(b, t.Path(L"dst\\b.txt")));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src\\a.txt"), t.Path(L"dst\\c.txt"), true, kMax, c));
    EXPECT_FALSE(plat::PlacePreparedCopy(c, t.Path(L"dst\\c.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrWriteFault);
    EXPECT_EQ(t.Names(L"dst"), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"other.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Named, PlatformPreparedCopy, testing::Values(true));
INSTANTIATE_TEST_SUITE_P(Unnamed, PlatformPreparedCopy, testing::Values(false));
