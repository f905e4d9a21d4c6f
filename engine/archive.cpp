#include "engine/archive.h"

#include <cwchar>
#include <vector>

#include "core/report.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path_text.h"

namespace engine {

const wchar_t* const kSetAsideSuffix = L".arc2del";

static constexpr int64_t kArchiveDaySeconds = 86400;

void SplitSlotName(const std::wstring& name, std::wstring& base, std::wstring& ext) {
    size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos) {
        base = name;
        ext.clear();
        return;
    }
    base = name.substr(0, dot);
    ext = name.substr(dot);
}

std::wstring ArchiveSlotName(const std::wstring& archiveDir, const std::wstring& base, int32_t index,
                             const std::wstring& ext) {
    if (index == 0) return archiveDir + base + ext;
    return archiveDir + base + std::to_wstring(index) + ext;
}

// Slot scan: stops at the first free slot, or at the limit with the slot of
// the oldest version (`taken` then says so; the scan has just seen it, so it
// need not be looked up again). Among equal dates the lowest slot wins; a
// version dated later than now is never the oldest.
static int32_t ArchiveScanSlots(const std::wstring& archiveDir, const std::wstring& base, const std::wstring& ext,
                                int32_t versions, int64_t& newestDate, bool& taken) {
    int32_t index = 0;
    int32_t oldestIndex = 0;
    int64_t oldestDate = plat::Now();
    newestDate = 0;
    taken = false;
    for (;;) {
        int64_t date = 0;
        if (!plat::GetModified(ArchiveSlotName(archiveDir, base, index, ext), date)) return index;
        if (date < oldestDate) {
            oldestDate = date;
            oldestIndex = index;
        }
        if (date > newestDate) newestDate = date;
        ++index;
        if (index >= versions) {
            taken = true;
            return oldestIndex;
        }
    }
}

// A version's name while it waits: its slot's name + ".arc2del", in the
// directory's set-aside folder.
static std::wstring ArchiveAsidePath(const std::wstring& setAsideDir, const std::wstring& slotPath) {
    return setAsideDir + plat::PathName(slotPath) + kSetAsideSuffix;
}

// The set-aside folder is made, with any missing levels above it, when the
// first version of its directory has to wait; what is made is noted, so
// that each directory removes its folder again when it is done.
static bool ArchiveMakeSetAsideDir(SetAsideScratch& aside, const std::wstring& setAsideDir) {
    std::wstring level = plat::WithoutTrailingSeparator(setAsideDir);
    std::vector<std::wstring> missing;
    while (!plat::DirExists(level)) {
        missing.push_back(level);
        const size_t slash = level.find_last_of(L'\\');
        if (slash == std::wstring::npos || slash == 0) return false;
        level.resize(slash);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!plat::CreateDir(*it)) return false;
        aside.dirs.push_back(*it);
    }
    return true;
}

// The slot is taken: its version waits in the set-aside folder until the
// directory is done, so that a failed copy can still put it back. True when
// it was set aside (and is now the last element of aside.list).
static bool ArchiveSetAside(SetAsideScratch& aside, const std::wstring& slotPath, const std::wstring& setAsideDir) {
    const std::wstring asidePath = ArchiveAsidePath(setAsideDir, slotPath);
    // Only the program puts anything there: a version of an interrupted run
    // that the sweep could not remove would block the rename. Whether it
    // went shows in the move below.
    if (plat::GetAttributes(asidePath) != plat::kInvalidAttributes) (void)plat::RemoveForGood(asidePath);
    if (ArchiveMakeSetAsideDir(aside, setAsideDir)) {
        RecordMove(aside.index, IndexMove::SetAside, slotPath, asidePath);
        if (plat::MoveEntry(slotPath, asidePath)) {
            aside.list.push_back({slotPath, asidePath});
            return true;
        }
    }
    // The oldest version gives way at once instead of after the copy. When
    // even that fails (an archive folder that cannot be changed), it stays,
    // and the move into its slot fails and is reported.
    (void)plat::RemoveForGood(slotPath);
    const bool gone = plat::GetAttributes(slotPath) == plat::kInvalidAttributes;
    if (gone) RecordMove(aside.index, IndexMove::Deleted, slotPath, L"");
    logs::AddLog(L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte " + slotPath +
                     (gone ? L" gelöscht" : L" nicht gelöscht, bleibt erhalten"),
                 core::kLogHint);
    return false;
}

static IndexMove ArchiveIndexMove(ArchiveMode mode) {
    switch (mode) {
        case ArchiveMode::Replace:
            return IndexMove::Replaced;
        case ArchiveMode::TypeChange:
            return IndexMove::TypeChange;
        case ArchiveMode::Vanished:
            break;
    }
    return IndexMove::Vanished;
}

ArchiveResult ArchiveEntry(const ArchivePlace& place, const std::wstring& pathIn, ArchiveMode mode, RunTally& tally,
                           SetAsideScratch& aside) {
    if (place.versions == 0 || CancelPending()) return {ArchiveOutcome::Off, L""};
    const int32_t versions = place.versions < 0 ? kUnlimitedVersions : place.versions;

    const std::wstring path = plat::WithoutTrailingSeparator(pathIn);
    std::wstring base, ext;
    SplitSlotName(plat::PathName(path), base, ext);

    int64_t newestDate = 0;
    bool taken = false;
    const int32_t index = ArchiveScanSlots(place.archiveDir, base, ext, versions, newestDate, taken);

    // Interval rule: a file replaced again within the interval gets no new
    // version. Without an interval every replaced file is kept, even when an
    // archived version happens to be newer than it (a file restored from the
    // archive, a slot shared with another name); the file's own date is
    // needed only here.
    if (mode == ArchiveMode::Replace && place.intervalDays > 0) {
        int64_t fileDate = 0;
        if (!plat::GetModified(path, fileDate)) fileDate = 0;
        if (newestDate > fileDate - static_cast<int64_t>(place.intervalDays) * kArchiveDaySeconds)
            return {ArchiveOutcome::WithinInterval, L""};
    }

    const std::wstring slotPath = ArchiveSlotName(place.archiveDir, base, index, ext);
    const bool setAside = taken && ArchiveSetAside(aside, slotPath, place.setAsideDir);

    RecordMove(aside.index, ArchiveIndexMove(mode), path, slotPath);
    if (!plat::MoveEntry(path, slotPath)) {
        RunError(tally, L"Archivieren fehlgeschlagen: " + path + L" -> " + slotPath, plat::LastError());
        // The entry stays where it is, so the version set aside for it keeps
        // its slot instead of being purged for nothing; if it cannot go back
        // now, the next visit's sweep puts it back.
        if (setAside) {
            RecordMove(aside.index, IndexMove::PutBack, aside.list.back().aside, slotPath);
            (void)plat::MoveEntry(aside.list.back().aside, slotPath);
            aside.list.pop_back();
        }
        return {ArchiveOutcome::Failed, L""};
    }
    if (place.logMoves) logs::AddLog(L"Archiviere: " + path + L" -> " + slotPath, core::kLogNormal);
    return {ArchiveOutcome::Moved, slotPath};
}

void PurgeSetAside(SetAsideScratch& aside, bool logMoves) {
    for (const SetAside& entry : aside.list) {
        // One that stays is deleted by the next visit's sweep.
        if (plat::RemoveForGood(entry.aside)) RecordMove(aside.index, IndexMove::Deleted, entry.aside, L"");
        if (logMoves) logs::AddLog(L"Temp. Archivältester gelöscht: " + entry.aside, core::kLogNormal);
    }
    aside.list.clear();
}

static bool ArchiveIsAsideName(const std::wstring& name) {
    const size_t suffix = std::wcslen(kSetAsideSuffix);
    return name.size() > suffix && name.compare(name.size() - suffix, suffix, kSetAsideSuffix) == 0;
}

static void ArchiveNoteSetAsideDir(SetAsideScratch& aside, const std::wstring& dir) {
    std::vector<std::wstring>& dirs = aside.dirs;
    if (dirs.empty() || dirs.back() != dir) dirs.push_back(dir);
}

void SweepSetAside(const ArchivePlace& place, SetAsideScratch& aside) {
    const std::wstring dir = plat::WithoutTrailingSeparator(place.setAsideDir);
    if (!plat::DirExists(dir)) return;
    ArchiveNoteSetAsideDir(aside, dir);
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(place.setAsideDir, L"*.*", entries)) return;
    for (const plat::DirEntry& entry : entries) {
        // Other names are the folders of directories below this one.
        if (!ArchiveIsAsideName(entry.name)) continue;
        const std::wstring asidePath = place.setAsideDir + entry.name;
        const std::wstring slot =
            place.archiveDir + entry.name.substr(0, entry.name.size() - std::wcslen(kSetAsideSuffix));
        // Killed between setting it aside and filling its slot: the version
        // was never replaced.
        if (plat::GetAttributes(slot) == plat::kInvalidAttributes) {
            RecordMove(aside.index, IndexMove::PutBack, asidePath, slot);
            if (plat::MoveEntry(asidePath, slot)) continue;
        }
        // One that stays is tried again at the next visit.
        if (plat::RemoveForGood(asidePath)) RecordMove(aside.index, IndexMove::Deleted, asidePath, L"");
        if (place.logMoves) logs::AddLog(L"Temp. Archivältester gelöscht: " + asidePath, core::kLogNormal);
    }
}

void ReleaseSetAsideDir(SetAsideScratch& aside, const std::wstring& setAsideDir) {
    std::vector<std::wstring>& dirs = aside.dirs;
    const std::wstring dir = plat::WithoutTrailingSeparator(setAsideDir);
    if (dirs.empty() || dirs.back() != dir) return;
    dirs.pop_back();
    // Fails while it still holds something (a version that could not be
    // deleted); the next visit's sweep tries again.
    (void)plat::RemoveDir(dir);
}

}  // namespace engine
