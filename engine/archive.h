// The archive folder "@" at the root of a job's destination. Whatever a run
// would destroy in the mirror (a file about to be overwritten, an entry whose
// source vanished) is first moved here as a numbered version:
// Bericht.docx, Bericht1.docx, Bericht2.docx, ... The age of a version is its
// own last-write time, which the move keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/archive_index.h"
#include "engine/run_context.h"

namespace engine {

enum class ArchiveMode : int {
    Replace = 0,   // a destination file about to be overwritten
    Vanished = 1,  // a destination entry without source counterpart
    // A destination entry whose source entry is of the other kind now (a
    // file that became a folder or the reverse); archived as Vanished is.
    TypeChange = 2,
};

// "Unlimited" versions: 2^31 - 8 slots.
constexpr int32_t kUnlimitedVersions = 2147483640;

// An older version waits under its slot's name + this suffix while its slot
// is reused, in the directory's set-aside folder (below "@\@\").
extern const wchar_t* const kSetAsideSuffix;

// Where the entries of one mirror directory go when they leave it, and the
// settings in force there.
struct ArchivePlace {
    std::wstring archiveDir;   // ends in "\"; see ArchiveDirFor
    std::wstring setAsideDir;  // ends in "\"; see SetAsideDirFor
    // 0 is archiving off, negative unlimited.
    int32_t versions = 0;
    // > 0: a replaced file becomes a new version only when the newest
    // version is at least that many days older than it.
    int32_t intervalDays = 0;
    // Each move gets its "Archiviere:" line (GLogExt).
    bool logMoves = false;
};

// A version waiting for its slot to be reused: where it was, where it waits.
struct SetAside {
    std::wstring slot;
    std::wstring aside;
};

// What the archive keeps across one walk: the versions set aside in the
// directory at hand, in that order, and the set-aside folders made or found
// on the way down, innermost last (each directory removes its own).
struct SetAsideScratch {
    std::vector<SetAside> list;
    std::vector<std::wstring> dirs;
    // Where the walk records every move into, inside and out of "@"
    // (nullptr: nowhere).
    ArchiveIndexWriter* index = nullptr;
};

enum class ArchiveOutcome {
    Moved,           // the entry is now in its slot
    WithinInterval,  // a replaced file within the interval: no new version, it may be overwritten
    Off,             // archiving off here, or cancelled: nothing moved
    Failed,          // the entry is still in place; logged and counted
};

struct ArchiveResult {
    ArchiveOutcome outcome = ArchiveOutcome::Off;
    std::wstring slot;  // for Moved: where it is now
};

// Moves `path` (a file or a directory) into place.archiveDir under the slot
// the scan picks. A full slot's oldest version waits in place.setAsideDir
// (noted in `aside`) until the directory is done. A move that fails is a
// counted error in `tally`. The copy must not go ahead over a file whose
// move failed.
[[nodiscard]] ArchiveResult ArchiveEntry(const ArchivePlace& place, const std::wstring& path, ArchiveMode mode,
                                         RunTally& tally, SetAsideScratch& aside);

// archiveDir + base + ext for slot 0, archiveDir + base + index + ext above.
std::wstring ArchiveSlotName(const std::wstring& archiveDir, const std::wstring& base, int32_t index,
                             const std::wstring& ext);

// Splits a name at its last "." into base and ext (ext keeps the dot; empty
// when the name has none): "Fotos.2012" gives "Fotos" and ".2012".
void SplitSlotName(const std::wstring& name, std::wstring& base, std::wstring& ext);

// Deletes every version set aside in `aside` and empties its list. Called at
// the end of each directory, when no copy can fail any more that would need
// the set-aside version back.
void PurgeSetAside(SetAsideScratch& aside, bool logMoves);

// What a killed run left in a directory's set-aside folder, when the
// directory is next visited: a version whose slot is free goes back into
// it, any other is deleted. Only versions the program set aside are there.
void SweepSetAside(const ArchivePlace& place, SetAsideScratch& aside);

// At the end of a directory: removes its set-aside folder when this run
// made it (or found it) and it is empty now.
void ReleaseSetAsideDir(SetAsideScratch& aside, const std::wstring& setAsideDir);

}  // namespace engine
