// What one job's backup holds for a restore: every version of every path,
// the mirror's own copy and each version in "@", with when it left the
// mirror and why. The index says whose a slot is; where it has nothing to
// say (archives made before it, a line lost to a full disk, a slot holding
// another version than the line names) the slot-name rule and the
// versions' own dates stand in, and the version is marked as attributed by
// name only. Building a catalogue only reads the backup.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/archive_index.h"

namespace engine {

// The newest state of a backup (no moment given): what the mirror holds.
constexpr int64_t kNewestState = INT64_MAX;
// The mirror's own copy has not left it.
constexpr int64_t kNeverLeft = INT64_MAX;
// A version attributed by name: when it left the mirror is not known.
constexpr int64_t kLeftUnknown = -1;

struct Version {
    std::wstring location;  // the file in the backup, full path
    int64_t modified = 0;   // its last write time
    uint64_t size = 0;
    uint32_t attributes = 0;
    // When it left the mirror (kNeverLeft for the mirror's copy,
    // kLeftUnknown when attributed by name) and why.
    int64_t left = kNeverLeft;
    IndexMove why = IndexMove::Replaced;
    bool inArchive = false;
    bool byName = false;
};

// A folder seen empty: in the mirror, or inside a folder that went to "@".
struct EmptyFolder {
    int64_t modified = 0;
    int64_t left = kNeverLeft;
};

// One path below the job's root ("Dokumente\Brief.txt", no trailing "\"),
// spelled as the mirror or the archive spells it.
struct CatalogEntry {
    std::wstring path;
    bool mirrorDir = false;  // a folder in the mirror now
    std::vector<Version> files;
    std::vector<EmptyFolder> emptyFolders;
};

struct Catalog {
    std::wstring destRoot;  // ends in "\"
    std::vector<CatalogEntry> entries;
    std::unordered_map<std::wstring, size_t> byKey;  // IndexKey(path) -> entries
    bool indexFound = false;
    int32_t byNameVersions = 0;
    // Folders of the backup that could not be read (their versions are
    // missing from the catalogue).
    std::vector<std::wstring> unreadable;

    const CatalogEntry* Find(const std::wstring& path) const;
};

// Reads the mirror and "@" of the destination `destRoot` (ending in "\")
// into a catalogue. With `below` (a path below the root, no trailing "\")
// only what lies on the way to it or beneath it is read.
Catalog BuildCatalog(const std::wstring& destRoot, const std::wstring& below = L"");

// The slot-name rule: whose version an entry `name` of an archive
// directory is, by name alone. "Bericht2.docx" is slot 2 of
// "Bericht.docx" when slots 0 and 1 of that name are there too and the
// mirror has no "Bericht2.docx" of its own (`mirrorHas`); else slot 0 of
// itself. `slots` holds the upper-cased names of the archive directory.
std::wstring SlotOwnerByName(const std::wstring& name, const std::unordered_set<std::wstring>& slots, bool mirrorHas);

}  // namespace engine
