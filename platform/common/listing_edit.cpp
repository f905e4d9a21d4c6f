// Changing a name inside a compact listing.
#include "platform/listing.h"

namespace plat {

// Another spelling of a name nearly always has its length (always in
// UTF-16); a name whose UTF-8 grows or shrinks moves the names after it.
void SetListingRawName(Listing& listing, size_t index, std::basic_string_view<ListingChar> raw) {
    const size_t start = listing.records[index].nameStart, length = listing.RawName(index).size();
    listing.names.replace(start, length, raw);
    if (raw.size() == length) return;
    for (size_t i = index + 1; i < listing.records.size(); ++i)
        listing.records[i].nameStart = static_cast<uint32_t>(listing.records[i].nameStart + raw.size() - length);
}

}  // namespace plat
