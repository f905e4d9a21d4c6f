// Directory listing: what the sync and the log clean-up read from ListDir.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;

namespace {

std::vector<std::wstring> SortedNames(const std::vector<plat::DirEntry>& entries) {
    std::vector<std::wstring> names;
    for (const plat::DirEntry& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

const plat::DirEntry* Find(const std::vector<plat::DirEntry>& entries, const std::wstring& name) {
    for (const plat::DirEntry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

// 2021-01-15 12:00:00 and 2021-07-15 12:00:00 as local seconds: one date in
// winter time and one in summer time, both far from a clock change.
constexpr int64_t kWinterNoon = 1610712000;
constexpr int64_t kSummerNoon = 1626350400;

}  // namespace

TEST(PlatformList, EntriesCarryNameKindSizeAndLocalDate) {
    TempTree t;
    t.Write(L"Datei ä.txt", "12345");
    t.Mkdir(L"sub");
    t.Write(L"sub\\inner.txt", "x");
    ASSERT_TRUE(plat::SetModified(t.Path(L"Datei ä.txt"), kWinterNoon));
    ASSERT_TRUE(plat::SetModified(t.Path(L"sub\\"), kSummerNoon));

    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(t.root, L"*", entries));
    EXPECT_EQ(SortedNames(entries), (std::vector<std::wstring>{L"Datei ä.txt", L"sub"}));

    const plat::DirEntry* file = Find(entries, L"Datei ä.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 5u);
    EXPECT_EQ(file->attributes & plat::kAttrDirectory, 0u);
    EXPECT_EQ(file->modified, kWinterNoon);

    const plat::DirEntry* dir = Find(entries, L"sub");
    ASSERT_NE(dir, nullptr);
    EXPECT_NE(dir->attributes & plat::kAttrDirectory, 0u);
    EXPECT_EQ(dir->attributes & plat::kAttrReparsePoint, 0u);
    EXPECT_EQ(dir->size, 0u);
    EXPECT_EQ(dir->modified, kSummerNoon);

    int64_t modified = 0;
    ASSERT_TRUE(plat::GetModified(t.Path(L"Datei ä.txt"), modified));
    EXPECT_EQ(modified, kWinterNoon);
}

TEST(PlatformList, TrailingBackslashOfTheDirectoryIsOptional) {
    TempTree t;
    t.Write(L"d\\f.txt", "");
    std::vector<plat::DirEntry> with, without;
    ASSERT_TRUE(plat::ListDir(t.Path(L"d\\"), L"*", with));
    ASSERT_TRUE(plat::ListDir(t.Path(L"d"), L"*", without));
    EXPECT_EQ(SortedNames(with), std::vector<std::wstring>{L"f.txt"});
    EXPECT_EQ(SortedNames(without), std::vector<std::wstring>{L"f.txt"});
}

// File dates and Now() must be the same unit (local seconds), or every file
// would look hours newer or older than the run that wrote it.
TEST(PlatformList, FreshFileDateAgreesWithNow) {
    TempTree t;
    t.Write(L"now.txt", "n");
    int64_t modified = 0;
    ASSERT_TRUE(plat::GetModified(t.Path(L"now.txt"), modified));
    EXPECT_LT(std::llabs(modified - plat::Now()), 600);
}

TEST(PlatformList, PatternsMatchLikeTheSystemShell) {
    TempTree t;
    for (const wchar_t* name : {L"a.log", L"B.LOG", L"c.txt", L"log", L"Tresoro.ini", L"Tresoro",
                                L"TresoroErr202401.log", L"XTresoro.ini"})
        t.Write(name, "");
    std::vector<plat::DirEntry> entries;

    ASSERT_TRUE(plat::ListDir(t.root, L"*.log", entries));
    EXPECT_EQ(SortedNames(entries),
              (std::vector<std::wstring>{L"B.LOG", L"TresoroErr202401.log", L"a.log"}));

    // "*.*" also takes a name without any dot.
    ASSERT_TRUE(plat::ListDir(t.root, L"Tresoro*.*", entries));
    EXPECT_EQ(SortedNames(entries),
              (std::vector<std::wstring>{L"Tresoro", L"Tresoro.ini", L"TresoroErr202401.log"}));

    ASSERT_TRUE(plat::ListDir(t.root, L"?.txt", entries));
    EXPECT_EQ(SortedNames(entries), std::vector<std::wstring>{L"c.txt"});
}

TEST(PlatformList, EmptyDirectorySucceedsMissingDirectoryFails) {
    TempTree t;
    t.Mkdir(L"empty");
    t.Write(L"full\\a.txt", "");
    std::vector<plat::DirEntry> entries;

    ASSERT_TRUE(plat::ListDir(t.Path(L"empty\\"), L"*", entries));
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(plat::ListDir(t.Path(L"empty\\"), L"*.log", entries));
    EXPECT_TRUE(entries.empty());
    ASSERT_TRUE(plat::ListDir(t.Path(L"full\\"), L"*.log", entries));
    EXPECT_TRUE(entries.empty());

    entries.push_back(plat::DirEntry{});
    EXPECT_FALSE(plat::ListDir(t.Path(L"missing\\"), L"*", entries));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(plat::ListDir(t.Path(L"missing\\"), L"*.log", entries));
    EXPECT_FALSE(plat::ListDir(t.Path(L"full\\a.txt\\"), L"*", entries));
}

TEST(PlatformList, ExistenceTestsTellFilesFromDirectories) {
    TempTree t;
    t.Write(L"f.txt", "");
    t.Mkdir(L"d");
    EXPECT_TRUE(plat::FileExists(t.Path(L"f.txt")));
    EXPECT_FALSE(plat::DirExists(t.Path(L"f.txt")));
    EXPECT_TRUE(plat::DirExists(t.Path(L"d")));
    EXPECT_TRUE(plat::DirExists(t.Path(L"d\\")));
    EXPECT_FALSE(plat::FileExists(t.Path(L"d")));
    EXPECT_FALSE(plat::FileExists(t.Path(L"none")));
    EXPECT_FALSE(plat::DirExists(t.Path(L"none")));
    EXPECT_EQ(plat::GetAttributes(t.Path(L"none")), plat::kInvalidAttributes);
    int64_t modified = 0;
    EXPECT_FALSE(plat::GetModified(t.Path(L"none"), modified));
}

TEST(PlatformList, InjectedFaultFailsTheNthListing) {
    TempTree t;
    std::vector<plat::DirEntry> entries;
    plat::InjectFault(plat::FaultOp::List, 2, plat::kErrAccessDenied);
    EXPECT_TRUE(plat::ListDir(t.root, L"*", entries));
    EXPECT_FALSE(plat::ListDir(t.root, L"*", entries));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    EXPECT_TRUE(plat::ListDir(t.root, L"*", entries));
}
