// Directory listing: what the sync and the log clean-up read from ListDir.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "platform/text.h"
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
    for (const wchar_t* name :
         {L"a.log", L"B.LOG", L"c.txt", L"log", L"Tresoro.ini", L"Tresoro", L"TresoroErr202401.log", L"XTresoro.ini"})
        t.Write(name, "");
    std::vector<plat::DirEntry> entries;

    ASSERT_TRUE(plat::ListDir(t.root, L"*.log", entries));
    EXPECT_EQ(SortedNames(entries), (std::vector<std::wstring>{L"B.LOG", L"TresoroErr202401.log", L"a.log"}));

    // "*.*" also takes a name without any dot.
    ASSERT_TRUE(plat::ListDir(t.root, L"Tresoro*.*", entries));
    EXPECT_EQ(SortedNames(entries), (std::vector<std::wstring>{L"Tresoro", L"Tresoro.ini", L"TresoroErr202401.log"}));

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

// Each entry is looked up inside the open directory, while the attributes
// the host cannot hold are kept by full path: every entry must get its own.
TEST(PlatformList, EveryEntryKeepsItsOwnAttributes) {
    TempTree t;
    for (const wchar_t* name : {L"a.txt", L"hidden.txt", L"m.txt", L"locked.txt", L"system.txt", L"z.txt"})
        t.Write(name, "x");
    t.Mkdir(L"sub");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"hidden.txt"), plat::kAttrHidden | plat::kAttrArchive));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrReadOnly | plat::kAttrArchive));
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"system.txt"), plat::kAttrSystem | plat::kAttrArchive));

    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(t.root, L"*", entries));
    ASSERT_EQ(entries.size(), 7u);
    const uint32_t shown = plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem | plat::kAttrDirectory;
    for (const plat::DirEntry& e : entries) {
        uint32_t expected = 0;
        if (e.name == L"hidden.txt") expected = plat::kAttrHidden;
        if (e.name == L"locked.txt") expected = plat::kAttrReadOnly;
        if (e.name == L"system.txt") expected = plat::kAttrSystem;
        if (e.name == L"sub") expected = plat::kAttrDirectory;
        EXPECT_EQ(e.attributes & shown, expected) << plat::WideToUtf8(e.name);
    }
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrArchive));
}

// A link whose target is gone is an entry like any other; it must not make
// the whole directory unreadable (the sync would skip the directory and
// count an error in every run).
TEST(PlatformList, DanglingLinkDoesNotFailTheListing) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    namespace fs = std::filesystem;
    const fs::path native = fs::temp_directory_path() / ("tresoro-list-" + std::to_string(std::random_device{}()));
    fs::create_directory(native);
    std::error_code ec;
    fs::create_symlink(native / "gone.txt", native / "dangling", ec);
    ASSERT_FALSE(ec);
    std::ofstream(native / "real.txt").put('x');
    ASSERT_TRUE(plat::MapDrive(L"T:", native.string()));

    std::vector<plat::DirEntry> entries;
    EXPECT_TRUE(plat::ListDir(L"T:\\", L"*", entries));
    EXPECT_EQ(SortedNames(entries), (std::vector<std::wstring>{L"dangling", L"real.txt"}));
    const plat::DirEntry* link = Find(entries, L"dangling");
    ASSERT_NE(link, nullptr);
    EXPECT_NE(link->attributes & plat::kAttrReparsePoint, 0u);
    EXPECT_EQ(link->attributes & plat::kAttrDirectory, 0u);
    fs::remove_all(native, ec);
}
