// Reparse points as listings report them: which tags are links (the values
// and the name-surrogate rule are Microsoft's), and the tag of a directory
// link (the engine's cloud test uses the portable layer's marks).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/fs.h"
#include "platform/listing.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;

namespace {

const plat::DirEntry* Named(const std::vector<plat::DirEntry>& entries, const std::wstring& name) {
    for (const plat::DirEntry& entry : entries)
        if (entry.name == name) return &entry;
    return nullptr;
}

// The compact listing's entry of that name, or -1.
int IndexOf(const plat::Listing& listing, const std::wstring& name) {
    for (size_t i = 0; i < listing.size(); ++i)
        if (plat::ListingName(listing, i) == name) return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(PlatformReparse, OnlyNameSurrogatesAndUnknownTagsAreLinks) {
    struct Case {
        uint32_t attributes, tag;
        bool link;
    };
    const uint32_t dir = plat::kAttrDirectory, reparse = plat::kAttrDirectory | plat::kAttrReparsePoint;
    const Case cases[] = {
        {reparse, 0xA0000003, true},   // IO_REPARSE_TAG_MOUNT_POINT: junctions, mounted volumes
        {reparse, 0xA000000C, true},   // IO_REPARSE_TAG_SYMLINK
        {reparse, 0xA000001D, true},   // IO_REPARSE_TAG_LX_SYMLINK
        {reparse, 0x9000001A, false},  // IO_REPARSE_TAG_CLOUD
        {reparse, 0x9000601A, false},  // IO_REPARSE_TAG_CLOUD_6, OneDrive's
        {reparse, 0x80000013, false},  // IO_REPARSE_TAG_DEDUP
        {reparse, 0x80000018, false},  // IO_REPARSE_TAG_WCI
        {reparse, 0, true},            // a tag nobody gave: not entered
        {dir, 0xA000000C, false},      // no reparse point, whatever the field holds
        {dir, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.attributes << " " << c.tag);
        EXPECT_EQ(plat::IsLinkEntry(c.attributes, c.tag), c.link);
    }
}

TEST(PlatformReparse, ListingsGiveTheTagOfADirectoryLinkAndOfNothingElse) {
    TempTree t;
    t.Write(L"outside\\keep.txt", "k");
    t.Write(L"dir\\plain.txt", "p");
    t.Mkdir(L"dir\\sub");
    std::error_code ec;
    const std::filesystem::path dir = testing_support::HostBuild()
                                          ? std::filesystem::path(testing_support::HostPathOf(t.Path(L"dir")))
                                          : std::filesystem::path(t.Path(L"dir"));
    std::filesystem::create_directory_symlink(dir.parent_path() / "outside", dir / "link", ec);
    if (ec) GTEST_SKIP() << "no directory links in this build: " << ec.message();

    plat::Listing listing;
    ASSERT_TRUE(plat::ListDirCompact(t.Path(L"dir"), listing));
    ASSERT_EQ(listing.size(), 3u);
    ASSERT_EQ(listing.tags.size(), 1u);  // the others keep no tag at all
    const int link = IndexOf(listing, L"link");
    ASSERT_GE(link, 0);
    const uint32_t tag = listing.ReparseTag(size_t(link));
    EXPECT_TRUE(plat::IsLinkEntry(listing.records[size_t(link)].attributes, tag));
    // Windows gives a link made by CreateSymbolicLinkW its own tag; the
    // portable layer calls every host link one.
    if (tag != 0) {
        EXPECT_EQ(tag, plat::kReparseTagSymlink);
    }
    EXPECT_EQ(listing.ReparseTag(size_t(IndexOf(listing, L"sub"))), 0u);
    EXPECT_EQ(listing.ReparseTag(size_t(IndexOf(listing, L"plain.txt"))), 0u);

    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(t.Path(L"dir"), L"*", entries));
    ASSERT_NE(Named(entries, L"link"), nullptr);
    EXPECT_EQ(Named(entries, L"link")->reparseTag, tag);
    EXPECT_EQ(Named(entries, L"sub")->reparseTag, 0u);
}

// What a link leads to; a plain file answers for itself, a missing one
// fails (the engine's link test follows real links on the host).
TEST(PlatformReparse, FollowLinkGivesTheSizeAndDateOfTheFile) {
    TempTree t;
    t.Write(L"file.txt", "twelve bytes");
    ASSERT_TRUE(plat::SetModified(t.Path(L"file.txt"), testing_support::kTestNow));
    plat::DirEntry entry;
    ASSERT_TRUE(plat::FollowLink(t.Path(L"file.txt"), entry));
    EXPECT_EQ(entry.size, 12u);
    EXPECT_EQ(entry.modified, testing_support::kTestNow);
    EXPECT_FALSE(plat::FollowLink(t.Path(L"missing.txt"), entry));
}
