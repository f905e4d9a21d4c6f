#include "engine/archive.h"

#include "core/report.h"
#include "core/state.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"

namespace engine {

const wchar_t* const kSetAsideSuffix = L".arc2del";

static constexpr int64_t kArchiveDaySeconds = 86400;

static bool ArchiveLogExtended() { return core::S().settings.GLogExt != 0; }

static std::wstring ArchiveWithoutTrailingSlash(const std::wstring& path) {
    size_t end = path.size();
    while (end > 1 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
    return path.substr(0, end);
}

// The name part of a path without trailing "\".
static std::wstring ArchiveNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

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

bool RemoveEntryForGood(const std::wstring& path) {
    uint32_t attributes = plat::GetAttributes(path);
    if (attributes == plat::kInvalidAttributes) return false;
    // RemoveTree removes a junction or link as the link itself, so nothing
    // outside the archive is ever reached through one.
    if (attributes & plat::kAttrDirectory) return plat::RemoveTree(path);
    // DeleteFileW refuses read-only files; an archived copy of a read-only
    // file must still be deletable when its slot is reused.
    if (attributes & plat::kAttrReadOnly) {
        uint32_t rest = attributes & (plat::kAttrHidden | plat::kAttrSystem | plat::kAttrArchive);
        plat::SetAttributes(path, rest ? rest : plat::kAttrNormal);
    }
    return plat::DeleteFileAt(path);
}

// Slot scan: stops at the first free slot, or at the limit with the slot of
// the oldest version (`taken` then says so; the scan has just seen it, so it
// need not be looked up again). Among equal dates the lowest slot wins; a
// version dated later than now is never the oldest.
static int32_t ArchiveScanSlots(const std::wstring& archiveDir, const std::wstring& base,
                                const std::wstring& ext, int32_t versions, int64_t& newestDate, bool& taken) {
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

// The slot is taken: its version steps aside under ".arc2del" until the
// directory is done, so that a failed copy can still put it back. True when
// it was set aside (and is now the last element of SetAsideList).
static bool ArchiveSetAside(const std::wstring& slotPath) {
    const std::wstring aside = slotPath + kSetAsideSuffix;
    // A leftover of an interrupted run would block the rename.
    if (plat::GetAttributes(aside) != plat::kInvalidAttributes) RemoveEntryForGood(aside);
    if (plat::MoveEntry(slotPath, aside)) {
        R().SetAsideList.push_back(aside);
        return true;
    }
    RemoveEntryForGood(slotPath);
    logs::AddLog(L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte " + slotPath + L" gelöscht",
                 core::kLogHint);
    return false;
}

std::wstring ArchiveEntry(const std::wstring& pathIn, const std::wstring& archiveDir, int32_t versions,
                          int32_t intervalDays, ArchiveMode mode, ArchiveOutcome* outcome) {
    if (outcome) *outcome = ArchiveOutcome::NotNeeded;
    if (versions == 0 || R().CancelRequested) return L"";
    if (versions < 0) versions = kUnlimitedVersions;

    const std::wstring path = ArchiveWithoutTrailingSlash(pathIn);
    std::wstring base, ext;
    SplitSlotName(ArchiveNameOf(path), base, ext);

    int64_t newestDate = 0;
    bool taken = false;
    const int32_t index = ArchiveScanSlots(archiveDir, base, ext, versions, newestDate, taken);

    // Interval rule: a file replaced again within the interval gets no new
    // version. Without an interval every replaced file is kept, even when an
    // archived version happens to be newer than it (a file restored from the
    // archive, a slot shared with another name); the file's own date is
    // needed only here.
    if (mode == ArchiveMode::Replace && intervalDays > 0) {
        int64_t fileDate = 0;
        if (!plat::GetModified(path, fileDate)) fileDate = 0;
        if (newestDate > fileDate - static_cast<int64_t>(intervalDays) * kArchiveDaySeconds) return L"";
    }

    const std::wstring slotPath = ArchiveSlotName(archiveDir, base, index, ext);
    const bool setAside = taken && ArchiveSetAside(slotPath);

    if (!plat::MoveEntry(path, slotPath)) {
        logs::AddLog(L"Archivieren fehlgeschlagen: " + path + L" -> " + slotPath, core::kLogError);
        ++logs::LS().RunErrorCount;
        // The entry stays where it is, so the version set aside for it keeps
        // its slot instead of being purged for nothing.
        if (setAside && plat::MoveEntry(slotPath + kSetAsideSuffix, slotPath)) R().SetAsideList.pop_back();
        if (outcome) *outcome = ArchiveOutcome::MoveFailed;
        return L"";
    }
    if (ArchiveLogExtended()) logs::AddLog(L"Archiviere: " + path + L" -> " + slotPath, core::kLogNormal);
    if (outcome) *outcome = ArchiveOutcome::Moved;
    return slotPath;
}

void PurgeSetAside() {
    std::vector<std::wstring>& list = R().SetAsideList;
    for (const std::wstring& path : list) {
        // A version put back after a failed copy is gone from here; its
        // deletion then fails without a message.
        RemoveEntryForGood(path);
        if (ArchiveLogExtended()) logs::AddLog(L"Temp. Archivältester gelöscht: " + path, core::kLogNormal);
    }
    list.clear();
}

}  // namespace engine
