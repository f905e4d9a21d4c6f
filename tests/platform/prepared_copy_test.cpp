// A copy made ahead of its turn: complete before it has any name, named in
// one step at its turn, and gone without a trace when it is dropped. Where
// the platform cannot make a file without a name, it says so and makes none.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::Pattern;
using testing_support::TempTree;

namespace {

constexpr int64_t kDate = 1246406399;  // 2009-06-30 23:59:59 local
constexpr uint64_t kMax = 300000;

struct PlatformPreparedCopy : testing::Test {
    void SetUp() override {
        if (!plat::PortableLayer()) GTEST_SKIP() << "Windows copies at the turn (see WindowsPreparesNothing)";
    }
    void TearDown() override { plat::SetNamedTempCopiesForTest(false); }
};

TEST_F(PlatformPreparedCopy, ACopyHasNoNameUntilPlacedThenContentDateAndAttributes) {
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
    EXPECT_EQ(t.Names(L"dst"), std::vector<std::wstring>{L"other.txt"}) << "nothing named before the turn";

    ASSERT_TRUE(plat::PlacePreparedCopy(reset, t.Path(L"dst\\reset.bin")));
    ASSERT_TRUE(plat::PlacePreparedCopy(kept, t.Path(L"dst\\kept.bin")));
    EXPECT_EQ(reset.file, -1);
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
}

// A name taken by someone else between the listing and the turn is replaced
// as the copy at the turn would replace it; a dropped copy leaves nothing.
TEST_F(PlatformPreparedCopy, APlacedCopyReplacesANewcomerAndADroppedOneLeavesNothing) {
    TempTree t;
    t.Write(L"src.txt", "made ahead");
    plat::PreparedCopy copy, dropped;
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"dst.txt"), true, kMax, copy));
    ASSERT_TRUE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"gone.txt"), true, kMax, dropped));
    t.Write(L"dst.txt", Pattern(5000));
    ASSERT_TRUE(plat::PlacePreparedCopy(copy, t.Path(L"dst.txt")));
    plat::DropPreparedCopy(dropped);
    plat::DropPreparedCopy(dropped);  // twice is harmless
    EXPECT_EQ(t.Read(L"dst.txt"), "made ahead");
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"dst.txt", L"src.txt"}));
    // Consumed: placing it again names nothing.
    EXPECT_FALSE(plat::PlacePreparedCopy(copy, t.Path(L"again.txt")));
    EXPECT_FALSE(t.Exists(L"again.txt"));
}

TEST_F(PlatformPreparedCopy, RefusalsLeaveNoCopyAndSayWhy) {
    TempTree t;
    t.Write(L"big.bin", Pattern(kMax + 1));
    t.Write(L"small.txt", "s");
    plat::PreparedCopy copy;
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"big.bin"), t.Path(L"big2.bin"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrFileTooLarge) << "grown past the bound since it was listed";
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"missing.txt"), t.Path(L"m.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"small.txt"), t.Path(L"no\\such\\dir.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_TRUE(plat::CanPrepareCopies());
    plat::SetNamedTempCopiesForTest(true);  // a host without nameless files
    EXPECT_FALSE(plat::CanPrepareCopies());
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"small.txt"), t.Path(L"n.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrNotSupported);
    EXPECT_EQ(copy.file, -1);
    EXPECT_EQ(t.Names(), (std::vector<std::wstring>{L"big.bin", L"small.txt"}));
}

}  // namespace

TEST(PlatformPreparedCopyWindows, WindowsPreparesNothing) {
    if (plat::PortableLayer()) GTEST_SKIP() << "the portable layer makes nameless copies";
    TempTree t;
    t.Write(L"src.txt", "s");
    plat::PreparedCopy copy;
    EXPECT_FALSE(plat::CanPrepareCopies());
    EXPECT_FALSE(plat::PrepareCopy(t.Path(L"src.txt"), t.Path(L"dst.txt"), true, kMax, copy));
    EXPECT_EQ(plat::LastError(), plat::kErrNotSupported);
    EXPECT_EQ(t.Names(), std::vector<std::wstring>{L"src.txt"});
}
