// SyncDirectory: one directory level of a job's mirror, and the recursion
// into its subdirectories.
#include <algorithm>

#include "core/report.h"
#include "core/text_helpers.h"
#include "engine/archive.h"
#include "engine/copy_ahead.h"
#include "engine/display.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "log/error_text.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace engine {

namespace {
// The state of one call: one directory level.
struct SyncCall {
    std::wstring sourceDir;
    std::wstring destDir;
    std::wstring archiveDir;  // empty when archiving is off here
    std::wstring setAsideDir;
    ArcSettings arc;
    bool dirAnnounced = false;
    uint32_t nextDisplayTick = 0;
    int32_t lastPercent = 0;
    int64_t now = 0;
};
}  // namespace

static bool SyncCancelled() { return CancelPending(); }

// Lists both sides; the destination is created (one level) when it cannot
// be listed. False when this directory's subtree must be skipped.
static bool SyncListBoth(Run& run, ReadAhead& ahead, const SyncCall& call, plat::Listing& source, plat::Listing& dest) {
    bool destListed = false;
    if (!TakeListings(ahead, call.sourceDir, call.destDir, source, dest, destListed)) {
        RunError(run, L"Konnte Verzeichnis<" + call.sourceDir + L"> nicht untersuchen!");
        WarnLongPath(run, call.sourceDir);
        return false;
    }
    ShowStatusLine(call.sourceDir);
    if (destListed) return true;
    if (!plat::CreateDir(call.destDir)) {
        RunError(run, L"Konnte Verzeichnis nicht erstellen: <" + call.destDir + L">");
        return false;
    }
    if (!ahead.list(call.destDir, dest)) {
        RunError(run, L"Konnte Verzeichnis<" + call.destDir + L"> nicht untersuchen!");
        WarnLongPath(run, call.destDir);
        return false;
    }
    return true;
}

// A folder's archive directory has the name of slot 0 of a file of the same
// name: where a file became a folder, the file's version is in the way. It
// moves on to the first free numbered slot of its name (even beyond the
// version limit: it is the only copy of that file), so that both are kept.
static bool SyncFreeArchiveDirName(const std::wstring& archiveDir, bool logExtended) {
    const std::wstring path = plat::WithoutTrailingSeparator(archiveDir);
    if (!plat::FileExists(path)) return false;
    std::wstring base, ext;
    SplitSlotName(plat::PathName(path), base, ext);
    const std::wstring parent = plat::PathFolder(path);
    for (int32_t index = 1; index < kUnlimitedVersions; ++index) {
        const std::wstring slot = ArchiveSlotName(parent, base, index, ext);
        if (plat::GetAttributes(slot) != plat::kInvalidAttributes) continue;
        if (!plat::MoveEntry(path, slot)) return false;
        if (logExtended) logs::AddLog(L"Archiviere: " + path + L" -> " + slot, core::kLogNormal);
        return true;
    }
    return false;
}

// The archive directory is normally made one level at a time as the walk
// goes down. Where a per-directory setting switches archiving on below
// directories without it, the levels above are missing as well; without
// them no version could ever be kept there.
static bool SyncMakeArchiveDir(const std::wstring& dest, const std::wstring& archiveDir, bool logExtended) {
    if (plat::CreateDir(archiveDir)) return true;
    if (plat::LastError() != plat::kErrPathNotFound)
        return SyncFreeArchiveDirName(archiveDir, logExtended) && plat::CreateDir(archiveDir);
    for (size_t pos = archiveDir.find(L'\\', dest.size()); pos != std::wstring::npos;
         pos = archiveDir.find(L'\\', pos + 1)) {
        const std::wstring level = archiveDir.substr(0, pos);
        if (!plat::DirExists(level) && !plat::CreateDir(level)) return false;
    }
    return true;
}

// Archiving is on in normal mode only; the IT-job copies never make "@".
// "@" repeats every directory visited while archiving is on.
static void SyncArchiveSettings(Run& run, SyncCall& call) {
    if (run.ItJobMode != kItJobNormal) return;
    const core::Job& job = run.job;
    call.arc = ArcSettingsFor(run.ArcIndiv, job, call.destDir);
    if (call.arc.Versions == 0) return;
    call.archiveDir = ArchiveDirFor(job, call.destDir);
    call.setAsideDir = SetAsideDirFor(job, call.destDir);
    if (!plat::DirExists(call.archiveDir) && !SyncMakeArchiveDir(job.Dest, call.archiveDir, run.LogExt != 0)) {
        RunError(run, L"Konnte Archivverzeichnis nicht erstellen: " + call.archiveDir);
        return;
    }
    SweepSetAside(run, call.archiveDir, call.setAsideDir);
}

static void SyncShowProgress(const Run& run, SyncCall& call) {
    const uint32_t tick = plat::Tick();
    if (tick <= call.nextDisplayTick) return;
    ShowProgressCount(ProgressText(run.EntriesDone, run.EntriesExpected, call.lastPercent));
    call.nextDisplayTick = tick + 333;
}

// A failed copy: the version just moved into the archive goes back, and so
// does the older version that had stepped aside for it.
static void SyncRestore(Run& run, const std::wstring& archivedPath, const std::wstring& target) {
    if (!plat::MoveEntry(archivedPath, target)) {
        RunErrorDetail(
            run, L"Wiederhestellung von Archivdatei hat leider nicht geklappt: " + archivedPath + L" nach " + target);
        return;
    }
    // Only when the archiving of this very file set a version aside (it is
    // then the newest in the list); with a free slot there is nothing to
    // put back and nothing to complain about.
    std::vector<SetAside>& list = run.SetAsideList;
    if (list.empty() || list.back().slot != archivedPath) return;
    // A version that cannot go back now is not purged: it waits for the
    // next visit of this directory, whose sweep puts it into its free slot.
    if (!plat::MoveEntry(list.back().aside, archivedPath))
        logs::AddLog(
            L"Wiederhestellung von alter Archivdatei misslungen: " + list.back().aside + L" nach " + archivedPath,
            core::kLogHint);
    list.pop_back();
}

static void SyncCopyFile(Run& run, SyncCall& call, const SyncEntry& s, const std::wstring& target,
                         const std::wstring& archivedPath, CopyPlan& copies, size_t at) {
    const std::wstring source = call.sourceDir + s.Name;
    ShowStatusLine(source);
    ShowFileSizeMB(std::to_wstring(s.Size / 1048576));
    if (run.LogExt == 1) {
        logs::AddLog(L"Kopiere: " + source, core::kLogNormal);
    } else if (!call.dirAnnounced) {
        logs::AddLog(call.sourceDir, core::kLogNormal);
        call.dirAnnounced = true;
    }
    // Waiting for a copy made ahead counts as copying time.
    const uint32_t start = plat::Tick();
    const std::shared_ptr<AheadCopy> made = archivedPath.empty() ? TakeCopy(copies, at, target) : nullptr;
    const bool ok = made ? PlaceCopyWithProgress(run, made->copy, target) : CopyFileWithProgress(run, source, target);
    const uint32_t elapsed = plat::Tick() - start;
    if (!ok) {
        if (!archivedPath.empty()) SyncRestore(run, archivedPath, target);
        // A copy stopped by "Abbrechen" is no error.
        if (!SyncCancelled()) {
            RunError(run, L"Kopierfehler: " + source + L"\t\t(" + logs::WindowsErrorText(run.LastCopyError) + L")");
            if (!WarnLongPath(run, source)) WarnLongPath(run, target);
        }
        return;
    }
    run.CopyMillis += elapsed;
    run.BytesCopied += s.Size;
    ++run.FilesCopied;
    ShowCopiedMB(core::FormatThousands(run.BytesCopied / 1048576));
    // The speed counts copying time only, not listing and comparing.
    if (run.CopyMillis > run.SpeedShownAt + 100) {
        ShowSpeedMBs(FormatSpeed(run.BytesCopied, run.CopyMillis));
        run.SpeedShownAt = run.CopyMillis;
    }
}

// A source entry that cannot take its place in the mirror: the destination
// entry in its way stays untouched, and the line says why.
static void SyncReportBlocked(Run& run, const SyncCall& call, const SyncEntry& s, const std::wstring& target,
                              const wchar_t* reason) {
    if (s.Size == kDirSize)
        RunError(run, L"Konnte Verzeichnis nicht erstellen: <" + target + L"\\>\t\t(" + reason + L")");
    else
        RunError(run, L"Kopierfehler: " + call.sourceDir + s.Name + L"\t\t(" + reason + L")");
}

// A file that became a folder, or a folder that became a file: the old entry
// goes to the archive as one whose source vanished (a folder whole, as one
// version), and the source entry is then handled as new. True when the way
// is clear. Without archiving nothing may leave the mirror, so the old entry
// stays and the source entry waits, reported on every run.
static bool SyncClearTypeChange(Run& run, const SyncCall& call, const SyncEntry& s, const SyncEntry& d) {
    const std::wstring path = call.destDir + d.Name;
    if (call.arc.Versions == 0) {
        SyncReportBlocked(run, call, s, path,
                          s.Size == kDirSize ? L"Zielverzeichnis ist eine Datei" : L"Zieldatei ist ein Verzeichnis");
        return false;
    }
    ArchiveOutcome outcome = ArchiveOutcome::NotNeeded;
    ArchiveEntry(run, path, call.archiveDir, call.setAsideDir, call.arc.Versions, call.arc.Interval,
                 ArchiveMode::Vanished, &outcome);
    // A failed move is logged and counted there; after a cancel nothing moves.
    return outcome == ArchiveOutcome::Moved;
}

// A source file with its destination namesake (or none): decide, archive
// the old copy when it is replaced, copy.
static void SyncHandleFile(Run& run, SyncCall& call, const SyncEntry& s, const SyncEntry* d, CopyPlan& copies,
                           size_t at) {
    const CopyDecision decision = d ? DecideCopy(s, *d, call.now, run.ItJobMode) : CopyDecision::Copy;
    switch (decision) {
        case CopyDecision::Skip:
            return;
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
    // Copying onto the existing name keeps its spelling, as overwriting a file
    // in place always did, and on a case-sensitive host it replaces the
    // paired file instead of adding a second one beside it.
    const std::wstring target = call.destDir + (d ? d->Name : s.Name);
    std::wstring archivedPath;
    if (decision == CopyDecision::ArchiveAndCopy) {
        ArchiveOutcome outcome = ArchiveOutcome::NotNeeded;
        archivedPath = ArchiveEntry(run, target, call.archiveDir, call.setAsideDir, call.arc.Versions,
                                    call.arc.Interval, ArchiveMode::Replace, &outcome);
        // The old version could not be kept: leave it in place (the error is
        // logged and counted, so the next run tries again).
        if (outcome == ArchiveOutcome::MoveFailed) return;
    }
    SyncCopyFile(run, call, s, target, archivedPath, copies, at);
    call.now = plat::Now();
}

namespace {
// What works ahead of one walk: the listings' readers, the copies' writers.
struct WalkAhead {
    ReadAhead listings;
    CopyAhead copies;
};
}  // namespace

static void SyncTree(Run& run, WalkAhead& walk, const std::wstring& sourceDirIn, const std::wstring& destDirIn) {
    if (IsExcluded(run.Excludes, sourceDirIn, run.job.Sid)) return;
    SyncCall call;
    call.sourceDir = core::AddBackslash(sourceDirIn);
    call.destDir = core::AddBackslash(destDirIn);

    SyncList source, dest;
    if (!SyncListBoth(run, walk.listings, call, source.listing, dest.listing)) return;

    const bool isJobRoot = plat::EqualNoCase(call.sourceDir, core::AddBackslash(run.job.Src));
    std::vector<uint32_t> temps;
    std::vector<std::wstring> excludedTempNames, links;
    FillSourceEntries(run, source, call.sourceDir, isJobRoot, excludedTempNames);
    FillDestEntries(dest, temps, links);

    SyncArchiveSettings(run, call);

    SortSyncList(source);
    if (!temps.empty()) SweepTempLeftovers(call.destDir, temps, source, excludedTempNames, dest);
    SortSyncList(dest);
    const AheadScope subdirsAhead(walk.listings, call.sourceDir, call.destDir, source, dest);
    CopyPlan copies(walk.copies, call.sourceDir, call.destDir, source, dest, links);

    // Both lists are sorted alike, so pairing is a merge: a destination entry
    // passed over is one without source and waits for the archive.
    std::vector<size_t> vanished;
    size_t j = 0;
    call.now = plat::Now();
    SyncEntry s, paired;  // the entries at hand; their names' room is reused
    for (size_t i = 0; i < source.size(); ++i) {
        source.Get(i, s);
        ++run.EntriesDone;
        ++run.JobEntriesDone;
        SyncShowProgress(run, call);
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
            if (!SyncClearTypeChange(run, call, s, *d)) continue;
            d = nullptr;
        } else if (!d && !links.empty()) {
            // A junction or link would lead the copy, and the archiving of
            // entries without source, into a folder outside the backup.
            if (const std::wstring* link = LinkNamed(links, s.Name)) {
                SyncReportBlocked(
                    run, call, s, call.destDir + *link,
                    s.Size == kDirSize ? L"Zielverzeichnis ist eine Verknüpfung" : L"Zieldatei ist eine Verknüpfung");
                continue;
            }
        }

        if (s.Size == kDirSize) {
            // A paired directory keeps its spelling, as files do.
            SyncTree(run, walk, call.sourceDir + s.Name, call.destDir + (d ? d->Name : s.Name));
            if (SyncCancelled()) break;
            call.now = plat::Now();
            continue;
        }
        CopyAheadFrom(copies, i);
        SyncHandleFile(run, call, s, d, copies, i);
    }

    // After a cancel nothing more goes to the archive; without archiving
    // here, entries without source stay where they are.
    if (!SyncCancelled() && call.arc.Versions != 0) {
        for (size_t index : vanished)
            ArchiveEntry(run, call.destDir + dest.Name(index), call.archiveDir, call.setAsideDir, call.arc.Versions,
                         call.arc.Interval, ArchiveMode::Vanished);
        for (; j < dest.size(); ++j)
            ArchiveEntry(run, call.destDir + dest.Name(j), call.archiveDir, call.setAsideDir, call.arc.Versions,
                         call.arc.Interval, ArchiveMode::Vanished);
    }
    PurgeSetAside(run);
    // A deeper directory with archiving of its own may have made this
    // directory's level of the set-aside folder, archiving here or not.
    if (!run.SetAsideDirs.empty())
        ReleaseSetAsideDir(run, call.setAsideDir.empty() ? SetAsideDirFor(run.job, call.destDir) : call.setAsideDir);
}

void SyncDirectory(Run& run, const std::wstring& sourceDir, const std::wstring& destDir) {
    WalkAhead walk;
    StartReadAhead(walk.listings, run, sourceDir, destDir);
    StartCopyAhead(walk.copies, run, sourceDir, destDir);
    SyncTree(run, walk, sourceDir, destDir);
}

}  // namespace engine
