// The compact listing the mirror works from: the same entries as ListDir,
// and names that compare and sort exactly as the names as wide strings do.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/listing.h"
#include "platform/text.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;

namespace {

// The longest names a file system takes (255 units; as UTF-8 the umlauts
// take two bytes each). Made as directories: a file is written beside its
// name first, under a longer temporary one.
std::vector<std::wstring> LongNames() { return {std::wstring(255, L'x'), std::wstring(126, L'\u00e4') + L"Ü"}; }

// Names that stress the encodings and the case rules: one character,
// umlauts and "ß", other scripts, a character beyond the 16-bit range, and
// names equal but for case.
std::vector<std::wstring> OddNames() {
    return {L"a",
            L"B",
            L"Übersicht.txt",
            L"übersicht 2.txt",
            L"Straße",
            L"STRASSE",
            L"Ärger",
            L"arger",
            L"Zürich",
            L"\u00ff-y-umlaut",
            L"\u0178-Y-umlaut",
            L"\u03a9mega",
            L"\u0436\u0443\u043a",
            L"\U0001F600 smile",
            L"\uFF21 wide A",
            L"Case",
            L"CASE",
            L"case.Txt",
            L"~tilde",
            L"_under",
            L"[bracket]"};
}

std::vector<std::wstring> ListedNames(const plat::Listing& listing) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < listing.size(); ++i) names.push_back(plat::ListingName(listing, i));
    return names;
}

// The order the mirror had with a std::wstring per entry.
bool OldNameLess(const std::wstring& a, const std::wstring& b) {
    const int order = plat::CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

}  // namespace

TEST(PlatformListing, CompactListingHoldsWhatListDirHolds) {
    TempTree t;
    std::vector<std::wstring> written = OddNames();
    for (size_t i = 0; i < written.size(); ++i) t.Write(written[i], std::string(i % 7, 'z'));
    std::vector<std::wstring> dirs = LongNames();
    for (size_t i = 0; i < 1000; ++i) dirs.push_back(L"Ordner " + std::to_wstring(i) + (i % 3 ? L" ä" : L" ß"));
    for (const std::wstring& dir : dirs) ASSERT_TRUE(plat::CreateDir(t.Path(dir)));
    written.insert(written.end(), dirs.begin(), dirs.end());
    ASSERT_TRUE(plat::SetModified(t.Path(L"a"), 1610712000));

    plat::Listing listing;
    ASSERT_TRUE(plat::ListDirCompact(t.root, listing));
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(t.root, L"*", entries));
    ASSERT_EQ(listing.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plat::ListingName(listing, i), entries[i].name);
        EXPECT_EQ(listing.records[i].attributes, entries[i].attributes);
        EXPECT_EQ(listing.records[i].size, entries[i].size);
        EXPECT_EQ(listing.records[i].modified, entries[i].modified);
    }

    // Every name comes back as written; a file system that ignores case
    // keeps one of each pair equal but for case.
    const std::set<std::wstring> expected(written.begin(), written.end());
    std::set<std::wstring> folded;
    for (const std::wstring& name : written) folded.insert(plat::ToUpper(name));
    const std::vector<std::wstring> names = ListedNames(listing);
    for (const std::wstring& name : names) EXPECT_EQ(expected.count(name), 1u) << plat::WideToUtf8(name);
    EXPECT_GE(names.size(), folded.size());

    const auto at = std::find(names.begin(), names.end(), L"a") - names.begin();
    ASSERT_LT(static_cast<size_t>(at), names.size());
    EXPECT_EQ(listing.records[at].modified, 1610712000);
    const auto dir = std::find(names.begin(), names.end(), dirs.front()) - names.begin();
    ASSERT_LT(static_cast<size_t>(dir), names.size());
    EXPECT_NE(listing.records[dir].attributes & plat::kAttrDirectory, 0u);
    EXPECT_EQ(listing.records[dir].size, 0u);
}

TEST(PlatformListing, SortsAndComparesAsTheWideNames) {
    TempTree t;
    t.Mkdir(L"one");
    t.Mkdir(L"two");
    for (const std::wstring& name : OddNames()) t.Write(L"one\\" + name, "1");
    for (const std::wstring& name : LongNames()) t.Mkdir(L"one\\" + name);
    // The other side holds the same names in other case, and some of its own.
    for (const std::wstring& name : OddNames()) t.Write(L"two\\" + plat::ToLower(name) + L"~", "2");
    t.Write(L"two\\Übersicht.TXT", "2");
    t.Write(L"two\\b", "2");

    plat::Listing one, two;
    ASSERT_TRUE(plat::ListDirCompact(t.Path(L"one"), one));
    ASSERT_TRUE(plat::ListDirCompact(t.Path(L"two"), two));
    ASSERT_GT(one.size(), 15u);

    std::vector<uint32_t> order(one.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&one](uint32_t a, uint32_t b) { return plat::ListingNameLess(one, a, b); });
    std::vector<std::wstring> sorted;
    for (uint32_t index : order) sorted.push_back(plat::ListingName(one, index));
    std::vector<std::wstring> expected = ListedNames(one);
    std::sort(expected.begin(), expected.end(), OldNameLess);
    EXPECT_EQ(sorted, expected);

    for (size_t i = 0; i < one.size(); ++i)
        for (size_t j = 0; j < two.size(); ++j) {
            const std::wstring a = plat::ListingName(one, i), b = plat::ListingName(two, j);
            ASSERT_EQ(plat::CompareListingNoCase(one, i, two, j), plat::CompareNoCase(a, b))
                << plat::WideToUtf8(a) << " / " << plat::WideToUtf8(b);
            ASSERT_EQ(plat::CompareListingNoCase(two, j, one, i), plat::CompareNoCase(b, a));
        }
    const std::vector<std::wstring> names = ListedNames(one);
    const size_t upper = std::find(names.begin(), names.end(), L"Übersicht.txt") - names.begin();
    const std::vector<std::wstring> others = ListedNames(two);
    const size_t lower = std::find(others.begin(), others.end(), L"Übersicht.TXT") - others.begin();
    ASSERT_LT(upper, names.size());
    ASSERT_LT(lower, others.size());
    EXPECT_EQ(plat::CompareListingNoCase(one, upper, two, lower), 0);
}

TEST(PlatformListing, EmptyAndMissingDirectories) {
    TempTree t;
    t.Mkdir(L"empty");
    t.Write(L"file.txt", "x");
    plat::Listing listing;
    ASSERT_TRUE(plat::ListDirCompact(t.Path(L"empty\\"), listing));
    EXPECT_EQ(listing.size(), 0u);
    EXPECT_TRUE(listing.names.empty());

    ASSERT_TRUE(plat::ListDirCompact(t.root, listing));
    ASSERT_EQ(listing.size(), 2u);
    // A failed listing leaves nothing of an earlier one behind.
    EXPECT_FALSE(plat::ListDirCompact(t.Path(L"missing\\"), listing));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_EQ(listing.size(), 0u);
    EXPECT_FALSE(plat::ListDirCompact(t.Path(L"file.txt\\"), listing));
    EXPECT_EQ(listing.size(), 0u);
}

// After a rename the listing reads as if made afterwards, also where the
// new spelling takes fewer or more units than the old one.
TEST(PlatformListing, ANameSetAnewLeavesTheOtherNamesAsTheyWere) {
    TempTree t, spellings;
    for (const wchar_t* name : {L"eins", L"stra\u00dfe", L"zwei"}) t.Write(name, "");
    for (const wchar_t* name : {L"s", L"STRA\u1e9eE und l\u00e4nger"}) spellings.Write(name, "");
    plat::Listing listing, other;
    ASSERT_TRUE(plat::ListDirCompact(t.root, listing) && plat::ListDirCompact(spellings.root, other));
    std::vector<std::wstring> names = ListedNames(listing);
    const size_t at = std::find(names.begin(), names.end(), L"stra\u00dfe") - names.begin();
    for (size_t k = 0; k < other.size(); ++k) {
        plat::SetListingRawName(listing, at, other.RawName(k));
        names[at] = plat::ListingName(other, k);
        EXPECT_EQ(ListedNames(listing), names);
    }
}
