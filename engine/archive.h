// The archive folder "@" at the root of a job's destination. Whatever a run
// would destroy in the mirror (a file about to be overwritten, an entry whose
// source vanished) is first moved here as a numbered version:
// Bericht.docx, Bericht1.docx, Bericht2.docx, ... The age of a version is its
// own last-write time, which the move keeps.
#pragma once

#include <cstdint>
#include <string>

#include "engine/run_context.h"

namespace engine {

enum class ArchiveMode : int {
    Replace = 0,   // a destination file about to be overwritten
    Vanished = 1,  // a destination entry without source counterpart
};

// What ArchiveEntry did. The copy must not go ahead over a file whose old
// version the user asked to keep but which could not be moved away.
enum class ArchiveOutcome {
    NotNeeded,   // archiving off, cancelled, or the interval asks for no new version
    Moved,       // the entry is now in its slot
    MoveFailed,  // the entry is still in place; logged and counted
};

// "Unlimited" versions: 2^31 - 8 slots.
constexpr int32_t kUnlimitedVersions = 2147483640;

// An older version waits under its slot's name + this suffix while its slot
// is reused, in the directory's set-aside folder (below "@\@\").
extern const wchar_t* const kSetAsideSuffix;

// Moves `path` (a file or a directory) into the archive directory
// `archiveDir` (ending in "\") under the slot the scan picks, and returns
// that slot path; "" when nothing was moved. `versions` 0 is archiving off,
// negative is unlimited; `intervalDays` > 0 makes a replaced file a new
// version only when the newest version is at least that many days older
// than it. A full slot's oldest version waits in `setAsideDir` (ending in
// "\"; see SetAsideDirFor) until the directory is done. `outcome`, when
// given, tells "not needed" from "failed".
std::wstring ArchiveEntry(Run& run, const std::wstring& path, const std::wstring& archiveDir,
                          const std::wstring& setAsideDir, int32_t versions, int32_t intervalDays, ArchiveMode mode,
                          ArchiveOutcome* outcome = nullptr);

// archiveDir + base + ext for slot 0, archiveDir + base + index + ext above.
std::wstring ArchiveSlotName(const std::wstring& archiveDir, const std::wstring& base, int32_t index,
                             const std::wstring& ext);

// Splits a name at its last "." into base and ext (ext keeps the dot; empty
// when the name has none): "Fotos.2012" gives "Fotos" and ".2012".
void SplitSlotName(const std::wstring& name, std::wstring& base, std::wstring& ext);

// Deletes every version set aside in the run's SetAsideList and empties it.
// Called at the end of each directory, when no copy can fail any more that
// would need the set-aside version back.
void PurgeSetAside(Run& run);

// What a killed run left in a directory's set-aside folder, when the
// directory is next visited: a version whose slot is free goes back into
// it, any other is deleted. Only versions the program set aside are there.
void SweepSetAside(Run& run, const std::wstring& archiveDir, const std::wstring& setAsideDir);

// At the end of a directory: removes its set-aside folder when this run
// made it (or found it) and it is empty now.
void ReleaseSetAsideDir(Run& run, const std::wstring& setAsideDir);

}  // namespace engine
