// Appending to a file, comparing two files piece by piece and one entry's
// details, in both builds: the Windows calls and their portable twins must
// answer alike.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::Pattern;
using testing_support::TempTree;

namespace {

TEST(FsStream, AppendKeepsWhatWasThereAndRefusesWhatWindowsRefuses) {
    TempTree tree;
    const std::wstring file = tree.Path(L"index.txt");
    ASSERT_TRUE(plat::AppendToFile(file, "eins\n"));
    ASSERT_TRUE(plat::AppendToFile(file, ""));
    ASSERT_TRUE(plat::AppendToFile(file, "zwei\n"));
    EXPECT_EQ(tree.Read(L"index.txt"), "eins\nzwei\n");
    EXPECT_FALSE(plat::AppendToFile(tree.Path(L"fehlt\\index.txt"), "x"));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    tree.Mkdir(L"ordner");
    EXPECT_FALSE(plat::AppendToFile(tree.Path(L"ordner"), "x"));
    // Windows refuses to write a read-only file, and the portable layer
    // keeps that answer (Wine writes it, so this holds there only).
    if (!plat::PortableLayer()) return;
    ASSERT_TRUE(plat::SetAttributes(file, plat::kAttrReadOnly));
    EXPECT_FALSE(plat::AppendToFile(file, "drei\n"));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    ASSERT_TRUE(plat::SetAttributes(file, plat::kAttrNormal));
    EXPECT_EQ(tree.Read(L"index.txt"), "eins\nzwei\n");
}

TEST(FsStream, SameContentComparesEveryByteOfFilesOfAnySize) {
    TempTree tree;
    const std::string big = Pattern((2 << 20) + 1);
    std::string lastByte = big;
    lastByte.back() ^= 1;
    const struct {
        const char* what;
        std::string a, b;
        bool same;
    } cases[] = {
        {"both empty", "", "", true},
        {"equal", "abc", "abc", true},
        {"one longer", "abc", "abcd", false},
        {"the last byte", "abc", "abd", false},
        {"large and equal", big, big, true},
        {"large, the last byte of the last piece", big, lastByte, false},
        {"one piece longer", big, big + "x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tree.Write(L"a", c.a);
        tree.Write(L"b", c.b);
        bool same = !c.same;
        ASSERT_TRUE(plat::SameContent(tree.Path(L"a"), tree.Path(L"b"), same));
        EXPECT_EQ(same, c.same);
    }
    bool same = true;
    EXPECT_FALSE(plat::SameContent(tree.Path(L"a"), tree.Path(L"fehlt"), same));
    EXPECT_FALSE(same);
}

TEST(FsStream, EntryInfoAsAListingGivesIt) {
    TempTree tree;
    tree.Write(L"datei.txt", "12345");
    tree.Mkdir(L"ordner");
    ASSERT_TRUE(plat::SetModified(tree.Path(L"datei.txt"), 1594000000));
    ASSERT_TRUE(plat::SetAttributes(tree.Path(L"datei.txt"), plat::kAttrHidden | plat::kAttrArchive));
    std::vector<plat::DirEntry> listed;
    ASSERT_TRUE(plat::ListDir(tree.root, L"*", listed));
    for (const plat::DirEntry& l : listed) {
        SCOPED_TRACE(l.name.size());
        plat::DirEntry e;
        ASSERT_TRUE(plat::GetEntryInfo(tree.Path(l.name), e));
        EXPECT_EQ(e.attributes, l.attributes);
        EXPECT_EQ(e.size, l.size);
        EXPECT_EQ(e.modified, l.modified);
    }
    plat::DirEntry e;
    ASSERT_TRUE(plat::GetEntryInfo(tree.Path(L"datei.txt"), e));
    EXPECT_EQ(e.size, 5u);
    EXPECT_EQ(e.modified, 1594000000);
    EXPECT_TRUE(e.attributes & plat::kAttrHidden);
    ASSERT_TRUE(plat::GetEntryInfo(tree.Path(L"ordner\\"), e));
    EXPECT_TRUE(e.attributes & plat::kAttrDirectory);
    EXPECT_FALSE(plat::GetEntryInfo(tree.Path(L"fehlt.txt"), e));
}

}  // namespace
