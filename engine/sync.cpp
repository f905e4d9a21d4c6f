// SyncDirectory: one directory level of a job's mirror, and the recursion
// into its subdirectories.
#include <algorithm>

#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/archive.h"
#include "engine/copy_ahead.h"
#include "engine/display.h"
#include "engine/guard.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "engine/verify.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace engine {

namespace {
// The state of one call: one directory level.
struct SyncCall {
    std::wstring sourceDir;
    std::wstring destDir;
    ArchivePlace place;  // versions 0 when archiving is off here
    bool dirAnnounced = false;
    uint32_t nextDisplayTick = 0;
    int32_t lastPercent = 0;
    int64_t now = 0;
};

// What one walk of a job changes besides the trees: the run's tally, the
// archive's scratch, and what works ahead of it.
struct Walk {
    RunTally& tally;
    SetAsideScratch aside;
    ReadAhead listings;
    CopyAhead copies;
    JobGuard guard;
    ArchiveIndexWriter index;
    VerifyAhead compares;
    bool fat32Dest = false;       // no file of 4 GiB or more fits there
    int32_t storedDecrypted = 0;  // encrypted files the destination could not store encrypted

    explicit Walk(RunTally& tally) : tally(tally) { aside.index = &index; }
};

// FAT32 keeps a file's size in 32 bits.
constexpr int64_t kFat32FileLimit = int64_t{1} << 32;
const wchar_t* const kTooLargeForDest = L"zu groß für das Dateisystem des Ziels (FAT32)";
}  // namespace

static bool SyncCancelled() { return CancelPending(); }

// Lists both sides; the destination is created (one level) when it cannot
// be listed. False when this directory's subtree must be skipped.
static bool SyncListBoth(Walk& walk, const SyncCall& call, plat::Listing& source, plat::Listing& dest) {
    bool destListed = false;
    if (!walk.listings.Take(call.sourceDir, call.destDir, source, dest, destListed)) {
        RunError(walk.tally, L"Konnte Verzeichnis<" + call.sourceDir + L"> nicht untersuchen!", plat::LastError());
        WarnLongPath(walk.tally, call.sourceDir);
        return false;
    }
    ShowStatusLine(call.sourceDir);
    if (destListed) return true;
    if (!plat::CreateDir(call.destDir)) {
        RunError(walk.tally, L"Konnte Verzeichnis nicht erstellen: <" + call.destDir + L">", plat::LastError());
        return false;
    }
    if (!walk.listings.ListNow(call.destDir, dest)) {
        RunError(walk.tally, L"Konnte Verzeichnis<" + call.destDir + L"> nicht untersuchen!", plat::LastError());
        WarnLongPath(walk.tally, call.destDir);
        return false;
    }
    return true;
}

// A folder's archive directory has the name of slot 0 of a file of the same
// name: where a file became a folder, the file's version is in the way. It
// moves on to the first free numbered slot of its name (even beyond the
// version limit: it is the only copy of that file), so that both are kept.
static bool SyncFreeArchiveDirName(const std::wstring& archiveDir, bool logExtended, ArchiveIndexWriter* writer) {
    const std::wstring path = plat::WithoutTrailingSeparator(archiveDir);
    if (!plat::FileExists(path)) return false;
    std::wstring base, ext;
    SplitSlotName(plat::PathName(path), base, ext);
    const std::wstring parent = plat::PathFolder(path);
    for (int32_t index = 1; index < kUnlimitedVersions; ++index) {
        const std::wstring slot = ArchiveSlotName(parent, base, index, ext);
        if (plat::GetAttributes(slot) != plat::kInvalidAttributes) continue;
        RecordMove(writer, IndexMove::MovedOn, path, slot);
        if (!plat::MoveEntry(path, slot)) return false;
        if (logExtended) logs::AddLog(L"Archiviere: " + path + L" -> " + slot, core::kLogNormal);
        return true;
    }
    return false;
}

// The archive directory is normally made one level at a time as the walk
// goes down. Where a per-directory setting switches archiving on below
// directories without it, the levels above are missing as well; without
// them no version could ever be kept there. 0, or the error of the step that
// failed.
static uint32_t SyncMakeArchiveDir(const std::wstring& dest, const std::wstring& archiveDir, bool logExtended,
                                   ArchiveIndexWriter* index) {
    if (plat::CreateDir(archiveDir)) return 0;
    const uint32_t error = plat::LastError();
    if (error != plat::kErrPathNotFound) {
        if (!SyncFreeArchiveDirName(archiveDir, logExtended, index)) return error;
        return plat::CreateDir(archiveDir) ? 0 : plat::LastError();
    }
    for (size_t pos = archiveDir.find(L'\\', dest.size()); pos != std::wstring::npos;
         pos = archiveDir.find(L'\\', pos + 1)) {
        const std::wstring level = archiveDir.substr(0, pos);
        if (!plat::DirExists(level) && !plat::CreateDir(level)) return plat::LastError();
    }
    return 0;
}

// Archiving is on in normal mode only; the IT-job copies never make "@".
// "@" repeats every directory visited while archiving is on.
static void SyncArchiveSettings(const JobContext& job, Walk& walk, SyncCall& call) {
    if (!job.NormalMode()) return;
    const ArcSettings arc = ArcSettingsFor(job.inputs.ArcIndiv, job.job, call.destDir);
    if (arc.Versions == 0) return;
    call.place = {ArchiveDirFor(job.job, call.destDir), SetAsideDirFor(job.job, call.destDir), arc.Versions,
                  arc.Interval, core::LogsArchiveMoves(job.inputs.logDetail)};
    if (!plat::DirExists(call.place.archiveDir)) {
        if (const uint32_t error =
                SyncMakeArchiveDir(job.job.Dest, call.place.archiveDir, call.place.logMoves, &walk.index)) {
            RunError(walk.tally, L"Konnte Archivverzeichnis nicht erstellen: " + call.place.archiveDir, error);
            return;
        }
    }
    SweepSetAside(call.place, walk.aside);
}

static void SyncShowProgress(const RunTally& tally, SyncCall& call) {
    const uint32_t tick = plat::Tick();
    if (tick <= call.nextDisplayTick) return;
    ShowProgressCount(ProgressText(tally.EntriesDone, tally.EntriesExpected, call.lastPercent));
    call.nextDisplayTick = tick + 333;
}

// A failed copy: the version just moved into the archive goes back, and so
// does the older version that had stepped aside for it.
static void SyncRestore(Walk& walk, const std::wstring& archivedPath, const std::wstring& target) {
    if (!plat::MoveEntry(archivedPath, target)) {
        RunErrorDetail(walk.tally, L"Wiederhestellung von Archivdatei hat leider nicht geklappt: " + archivedPath +
                                       L" nach " + target);
        return;
    }
    RecordMove(&walk.index, IndexMove::BackOut, archivedPath, target);
    // Only when the archiving of this very file set a version aside (it is
    // then the newest in the list); with a free slot there is nothing to
    // put back and nothing to complain about.
    std::vector<SetAside>& list = walk.aside.list;
    if (list.empty() || list.back().slot != archivedPath) return;
    // A version that cannot go back now is not purged: it waits for the
    // next visit of this directory, whose sweep puts it into its free slot.
    RecordMove(&walk.index, IndexMove::PutBack, list.back().aside, archivedPath);
    if (!plat::MoveEntry(list.back().aside, archivedPath))
        logs::AddLog(
            L"Wiederhestellung von alter Archivdatei misslungen: " + list.back().aside + L" nach " + archivedPath,
            core::kLogHint);
    list.pop_back();
}

// A source entry that cannot take its place in the mirror: the destination
// entry in its way stays untouched, and the line says why.
static void SyncReportBlocked(RunTally& tally, const SyncCall& call, const SyncEntry& s, const std::wstring& target,
                              const wchar_t* reason) {
    if (s.Size == kDirSize)
        RunError(tally, L"Konnte Verzeichnis nicht erstellen: <" + target + L"\\>\t\t(" + reason + L")");
    else
        RunError(tally, L"Kopierfehler: " + call.sourceDir + s.Name + L"\t\t(" + reason + L")");
}

static void SyncCopyFile(const JobContext& job, Walk& walk, SyncCall& call, const SyncEntry& s,
                         const std::wstring& target, const std::wstring& archivedPath, CopyPlan& copies, size_t at) {
    const std::wstring source = call.sourceDir + s.Name;
    ShowStatusLine(source);
    ShowFileSizeMB(std::to_wstring(s.Size / 1048576));
    if (job.inputs.logDetail == core::LogDetail::EveryCopy) {
        logs::AddLog(L"Kopiere: " + source, core::kLogNormal);
    } else if (!call.dirAnnounced) {
        logs::AddLog(call.sourceDir, core::kLogNormal);
        call.dirAnnounced = true;
    }
    // Waiting for a copy made ahead counts as copying time.
    const uint32_t start = plat::Tick();
    std::optional<plat::PreparedCopy> made;
    if (archivedPath.empty()) made = TakeCopy(copies, at, target);
    const CopyOutcome copied =
        made ? PlaceCopyWithProgress(*made, target) : CopyFileWithProgress(source, target, job.NormalMode());
    const uint32_t elapsed = plat::Tick() - start;
    RunTally& tally = walk.tally;
    if (!copied.ok) {
        if (!archivedPath.empty()) SyncRestore(walk, archivedPath, target);
        // A copy stopped by "Abbrechen" is no error. The system's text for a
        // file too large says nothing about where the limit lies.
        if (copied.error == plat::kErrFileTooLarge) {
            SyncReportBlocked(tally, call, s, target, kTooLargeForDest);
        } else if (!SyncCancelled()) {
            RunError(tally, L"Kopierfehler: " + source, copied.error);
            if (!WarnLongPath(tally, source)) WarnLongPath(tally, target);
        }
        return;
    }
    if (copied.decrypted) ++walk.storedDecrypted;
    tally.CopyMillis += elapsed;
    tally.BytesCopied += s.Size;
    ++tally.FilesCopied;
    ShowCopiedMB(core::FormatThousands(tally.BytesCopied / 1048576));
    // The speed counts copying time only, not listing and comparing.
    if (tally.CopyMillis > tally.SpeedShownAt + 100) {
        ShowSpeedMBs(FormatSpeed(tally.BytesCopied, tally.CopyMillis));
        tally.SpeedShownAt = tally.CopyMillis;
    }
}

// A file that became a folder, or a folder that became a file: the old entry
// goes to the archive as one whose source vanished (a folder whole, as one
// version), and the source entry is then handled as new. True when the way
// is clear. Without archiving nothing may leave the mirror, so the old entry
// stays and the source entry waits, reported on every run.
static bool SyncClearTypeChange(Walk& walk, const SyncCall& call, const SyncEntry& s, const SyncEntry& d) {
    const std::wstring path = call.destDir + d.Name;
    if (call.place.versions == 0) {
        SyncReportBlocked(walk.tally, call, s, path,
                          s.Size == kDirSize ? L"Zielverzeichnis ist eine Datei" : L"Zieldatei ist ein Verzeichnis");
        return false;
    }
    if (GuardHolds(walk.guard)) {
        walk.guard.heldBack += d.Size == kDirSize ? 1 + EntriesBelow(path) : 1;
        return false;
    }
    // A failed move is logged and counted there; after a cancel nothing moves.
    return ArchiveEntry(call.place, path, ArchiveMode::TypeChange, walk.tally, walk.aside).outcome ==
           ArchiveOutcome::Moved;
}

// A source file with its destination namesake (or none): decide, archive
// the old copy when it is replaced, copy.
static void SyncHandleFile(const JobContext& job, Walk& walk, SyncCall& call, const SyncEntry& s, const SyncEntry* d,
                           CopyPlan& copies, VerifyPlan& compares, size_t at) {
    const CopyDecision decision = d ? DecideCopy(s, *d, call.now, job.options.itJobMode) : CopyDecision::Copy;
    // A verify run's copy whose content differs from its source's.
    bool differs = false;
    switch (decision) {
        case CopyDecision::Skip:
            if (!VerifyDiffers(compares, walk.tally, at)) return;
            differs = true;
            break;
        case CopyDecision::SkipFutureDate:
            logs::AddLog(L"Achtung, nicht kopiert - Quelldatei trägt zukünftiges Datum: " + call.sourceDir + s.Name,
                         core::kLogHint);
            return;
        case CopyDecision::SkipDestNewer:
            logs::AddLog(L"Achtung, nicht kopiert - Zieldatei ist neuer: " + call.destDir + d->Name, core::kLogHint);
            return;
        case CopyDecision::Copy:
        case CopyDecision::ArchiveAndCopy:
            break;
    }
    // Such a copy could only fail, every run, and the old copy must not go
    // to the archive for it.
    if (walk.fat32Dest && s.Size >= kFat32FileLimit) {
        SyncReportBlocked(walk.tally, call, s, call.destDir + s.Name, kTooLargeForDest);
        return;
    }
    // A job held back replaces nothing more; new files are still copied.
    if (d && GuardHolds(walk.guard)) {
        ++walk.guard.heldBack;
        return;
    }
    // The paired name has the source's spelling unless its rename failed;
    // copying onto the existing name then keeps it, and on a case-sensitive
    // host replaces the paired file instead of adding a second one beside it.
    const std::wstring target = call.destDir + (d ? d->Name : s.Name);
    ArchiveResult archived;
    if (differs) {
        archived = ArchiveDiffering(call.place, target, walk.tally, walk.aside);
        if (archived.outcome == ArchiveOutcome::Failed) return;
    } else if (decision == CopyDecision::ArchiveAndCopy) {
        archived = ArchiveEntry(call.place, target, ArchiveMode::Replace, walk.tally, walk.aside);
        // The old version could not be kept: leave it in place (the error is
        // logged and counted, so the next run tries again).
        if (archived.outcome == ArchiveOutcome::Failed) return;
    }
    // The IT-job copies keep the source's read-only attribute, and Windows
    // refuses to replace a read-only file; make room as the archive move
    // does in normal mode. A failure here shows as the copy's own error.
    if (d && !job.NormalMode()) {
        const uint32_t attributes = plat::GetAttributes(target);
        if (attributes != plat::kInvalidAttributes && (attributes & plat::kAttrReadOnly))
            (void)plat::SetAttributes(target, attributes & ~plat::kAttrReadOnly);
    }
    SyncCopyFile(job, walk, call, s, target, archived.slot, copies, at);
    call.now = plat::Now();
}

static void SyncTree(const JobContext& job, Walk& walk, const std::wstring& sourceDirIn,
                     const std::wstring& destDirIn) {
    if (IsExcluded(job.inputs.Excludes, sourceDirIn, job.job.Sid)) return;
    SyncCall call;
    call.sourceDir = core::AddBackslash(sourceDirIn);
    call.destDir = core::AddBackslash(destDirIn);

    SyncList source, dest;
    if (!SyncListBoth(walk, call, source.listing, dest.listing)) return;

    const bool isJobRoot = plat::EqualNoCase(call.sourceDir, core::AddBackslash(job.job.Src));
    std::vector<uint32_t> temps;
    std::vector<std::wstring> excludedTempNames, dangling, links;
    FillSourceEntries(job, walk.tally, source, call.sourceDir, isJobRoot, excludedTempNames, dangling);
    // A link whose file is gone, or on a drive not there now: nothing to
    // back up, and the mirror's copy is handled as one whose source vanished.
    for (const std::wstring& name : dangling)
        logs::AddLog(L"Achtung, nicht kopiert - Verknüpfung ohne Ziel: " + call.sourceDir + name, core::kLogHint);
    FillDestEntries(dest, temps, links);
    if (isJobRoot && GuardEmptySource(job, walk.tally, call.destDir, source, dest)) return;

    SyncArchiveSettings(job, walk, call);

    SortSyncList(source);
    if (!temps.empty()) SweepTempLeftovers(call.destDir, temps, source, excludedTempNames, dest);
    SortSyncList(dest);
    walk.guard.onlineOnly += SetOnlineOnlyApart(source, dest);
    FollowCaseRenames(call.destDir, source, dest);
    const GuardLevelScope guardLevel(walk.guard, call.sourceDir, call.destDir, source, dest);
    const LevelChanges changes = GuardLevel(job, walk.guard, call.destDir, source, dest, call.place.versions != 0);
    const AheadScope subdirsAhead(walk.listings, call.sourceDir, call.destDir, source, dest);
    CopyPlan copies(walk.copies, call.sourceDir, call.destDir, source, dest, links);
    VerifyPlan compares(walk.compares, job, call.sourceDir, call.destDir, source, dest, plat::Now());

    // Both lists are sorted alike, so pairing is a merge: a destination entry
    // passed over is one without source and waits for the archive.
    std::vector<size_t> vanished;
    size_t j = 0;
    call.now = plat::Now();
    SyncEntry s, paired;  // the entries at hand; their names' room is reused
    for (size_t i = 0; i < source.size(); ++i) {
        source.Get(i, s);
        ++walk.tally.EntriesDone;
        ++walk.tally.JobEntriesDone;
        SyncShowProgress(walk.tally, call);
        DrainEvents();
        if (SyncCancelled()) break;

        const SyncEntry* d = nullptr;
        while (j < dest.size()) {
            if (SyncCancelled()) break;
            int order = CompareSyncNames(source, i, dest, j);
            if (order > 0) {
                vanished.push_back(j++);
                continue;
            }
            if (order == 0) {
                dest.Get(j++, paired);
                d = &paired;
            }
            break;
        }
        if (SyncCancelled()) break;

        if (d && (s.Size == kDirSize) != (d->Size == kDirSize)) {
            if (!SyncClearTypeChange(walk, call, s, *d)) continue;
            d = nullptr;
        } else if (!d && !links.empty()) {
            // A junction or link would lead the copy, and the archiving of
            // entries without source, into a folder outside the backup.
            if (const std::wstring* link = LinkNamed(links, s.Name)) {
                SyncReportBlocked(
                    walk.tally, call, s, call.destDir + *link,
                    s.Size == kDirSize ? L"Zielverzeichnis ist eine Verknüpfung" : L"Zieldatei ist eine Verknüpfung");
                continue;
            }
        }

        if (s.Size == kDirSize) {
            GuardEnter(walk.guard, i);
            // A paired directory whose rename failed keeps its spelling, as files do.
            SyncTree(job, walk, call.sourceDir + s.Name, call.destDir + (d ? d->Name : s.Name));
            if (SyncCancelled()) break;
            call.now = plat::Now();
            continue;
        }
        CopyAheadFrom(copies, i);
        SyncHandleFile(job, walk, call, s, d, copies, compares, i);
    }

    // After a cancel nothing more goes to the archive; without archiving
    // here, entries without source stay where they are.
    // A vanished entry that cannot be moved stays in the mirror; the error
    // is counted there. A job held back leaves them all.
    const bool holdVanished = GuardHolds(walk.guard);
    if (holdVanished && !SyncCancelled()) walk.guard.heldBack += changes.vanishedAtEnd;
    if (!SyncCancelled() && call.place.versions != 0 && !holdVanished) {
        for (size_t index : vanished)
            (void)ArchiveEntry(call.place, call.destDir + dest.Name(index), ArchiveMode::Vanished, walk.tally,
                               walk.aside);
        for (; j < dest.size(); ++j)
            (void)ArchiveEntry(call.place, call.destDir + dest.Name(j), ArchiveMode::Vanished, walk.tally, walk.aside);
    }
    PurgeSetAside(walk.aside, core::LogsArchiveMoves(job.inputs.logDetail));
    // A deeper directory with archiving of its own may have made this
    // directory's level of the set-aside folder, archiving here or not.
    if (!walk.aside.dirs.empty())
        ReleaseSetAsideDir(walk.aside, call.place.setAsideDir.empty() ? SetAsideDirFor(job.job, call.destDir)
                                                                      : call.place.setAsideDir);
}

void SyncDirectory(const JobContext& job, RunTally& tally, const std::wstring& sourceDir, const std::wstring& destDir) {
    Walk walk{tally};
    walk.guard = StartJobGuard(job.job);
    walk.listings.Start(job.options, sourceDir, destDir);
    walk.copies.Start(job.options, sourceDir, destDir);
    // Only normal mode archives; the IT-job copies record nothing.
    if (job.NormalMode()) walk.index.destRoot = core::AddBackslash(job.job.Dest);
    walk.compares.Start(job.options, sourceDir, destDir);
    std::wstring fileSystem;
    walk.fat32Dest = plat::FileSystemName(destDir, fileSystem) && plat::EqualNoCase(fileSystem, L"FAT32");
    SyncTree(job, walk, sourceDir, destDir);
    // The last folder's new names (each earlier folder's went once a copy
    // was named in another).
    plat::FlushPlacedNames();
    FinishJobGuard(job, walk.guard, tally);
    if (walk.storedDecrypted > 0)
        logs::AddLog(std::to_wstring(walk.storedDecrypted) +
                         L" verschlüsselte Dateien unverschlüsselt gespeichert - das Ziel kann nicht verschlüsseln: " +
                         core::AddBackslash(destDir),
                     core::kLogHint);
}

}  // namespace engine
