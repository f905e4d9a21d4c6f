// The listing the mirror works from, kept compact: a directory of 100,000
// entries must not cost a heap string per name. All names sit in one buffer
// in the platform's own encoding, each entry is a small fixed-size record.
// Where wchar_t has 16 bits (Windows) the names are the system's UTF-16;
// where it has 32 they stay in the UTF-8 the host's file system gives,
// a quarter of the room. Only the functions below look inside the names, so
// comparing and sorting stay exactly those of the names as std::wstring.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace plat {

using ListingChar = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char>;

struct ListingRecord {
    // Where the name starts in Listing::names; it ends where the next
    // record's name starts (the names are stored in record order).
    uint32_t nameStart = 0;
    uint32_t attributes = 0;
    uint64_t size = 0;     // 0 for directories
    int64_t modified = 0;  // last write, local seconds since 1970
};

// The reparse tag of an entry with kAttrReparsePoint (FindFirstFileExW's
// dwReserved0). Such entries are few, so they sit apart and the records
// keep their size.
struct ListingTag {
    uint32_t index = 0;
    uint32_t tag = 0;
};

// A movable value: one listing of one directory.
struct Listing {
    std::basic_string<ListingChar> names;
    std::vector<ListingRecord> records;
    std::vector<ListingTag> tags;  // by ascending index

    // 0 for an entry without a tag (and where the system gave none).
    uint32_t ReparseTag(size_t index) const {
        auto it = std::lower_bound(tags.begin(), tags.end(), index,
                                   [](const ListingTag& t, size_t i) { return t.index < i; });
        return it != tags.end() && it->index == index ? it->tag : 0;
    }

    size_t size() const { return records.size(); }
    std::basic_string_view<ListingChar> RawName(size_t index) const {
        const size_t end = index + 1 < records.size() ? records[index + 1].nameStart : names.size();
        return std::basic_string_view<ListingChar>(names).substr(records[index].nameStart,
                                                                 end - records[index].nameStart);
    }
};

// All entries of `dir` (with or without trailing "\"), in the order, with
// the names, attributes and failures of ListDir(dir, L"*", ...).
[[nodiscard]] bool ListDirCompact(const std::wstring& dir, Listing& out);

// The entry's name as ListDir gives it, into `out` (its room is reused).
void ListingNameInto(const Listing& listing, size_t index, std::wstring& out);
inline std::wstring ListingName(const Listing& listing, size_t index) {
    std::wstring out;
    ListingNameInto(listing, index, out);
    return out;
}

// Gives entry `index` the name `raw` (in the listing's own encoding, as
// another listing's RawName gives it): after a rename, the listing reads
// as if it had been made afterwards.
void SetListingRawName(Listing& listing, size_t index, std::basic_string_view<ListingChar> raw);

// CompareNoCase of two listed names (of the same or of two listings).
int CompareListingNoCase(const Listing& a, size_t i, const Listing& b, size_t j);

// By name ignoring case; names equal but for case in the order std::wstring
// gives them, so that the order is the same on every run and on both sides.
bool ListingNameLess(const Listing& listing, size_t i, size_t j);

}  // namespace plat
