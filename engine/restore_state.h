// The state a job's source had at a moment, as far as its backup holds it:
// for each path the version the source held then, that is the newest
// version written at or before the moment that had not left the mirror by
// then (replaced, vanished, or of the other kind by then). Versions
// attributed by name, whose leaving is unknown, count for every moment but
// the newest state; the newest state is the mirror. A path that was a file
// and a folder at once by these rules is the one written later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/restore_catalog.h"

namespace engine {

// A file's version in a state, or a folder (version nullptr).
struct StateItem {
    std::wstring path;  // below the job's root, no trailing "\"
    const Version* version = nullptr;
};

// The version of `entry`'s file at `asOf`, or nullptr when it had none.
const Version* VersionAt(const CatalogEntry& entry, int64_t asOf);

// The state at `asOf` of the entry `path` ("" the whole job) and all below
// it, folders before what they hold. Empty when the entry was not there.
std::vector<StateItem> StateAt(const Catalog& catalog, int64_t asOf, const std::wstring& path);

// Whether `path` is `top` or lies below it ("" holds everything).
bool PathWithin(const std::wstring& top, const std::wstring& path);

}  // namespace engine
