// Mirroring one source directory tree into one destination tree on behalf
// of a job: both directories are listed, entries paired by name ignoring
// case, new and newer files copied (the replaced copy archived first),
// destination entries without source handed to the archive. Runs on the
// main thread; the window stays alive through the display's event drain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "engine/run_context.h"
#include "platform/fs.h"
#include "platform/listing.h"

namespace engine {

// One entry of a directory listing as the synchronisation keeps it (the
// platform's plat::Listing is the listing as the system gives it).
struct SyncEntry {
    std::wstring Name;
    int64_t Size = 0;  // bytes; kDirSize for a directory
    int64_t Date = 0;  // last write, local seconds since 1970
};
constexpr int64_t kDirSize = -2;

// Mirrors sourceDir into destDir for the job, recursively. Progress, errors
// and hints go to the display and the log; entries, copies and errors count
// in `tally`. Returns early after a cancel.
void SyncDirectory(const JobContext& job, RunTally& tally, const std::wstring& sourceDir, const std::wstring& destDir);

// True when an exclusion of the job `sid` in `excludes` occurs anywhere in
// the upper-cased path (a substring match, no prefix or whole-path test).
bool IsExcluded(const std::vector<core::Exclude>& excludes, const std::wstring& path, int32_t sid);
// Whether the job has any exclusion at all (saves the per-entry test).
bool HasExclusions(const std::vector<core::Exclude>& excludes, int32_t sid);

// Logs the two long-path lines (details of a counted error) and returns true
// when the path has more than 240 characters.
bool WarnLongPath(RunTally& tally, const std::wstring& path);

// Copies source over target only when the copy is complete, so a failed or
// cancelled copy never destroys the old target or leaves a half-written file
// under its name; in normal mode the copy carries the archive bit alone.
// Shows progress, drains window events and cancels on CancelRequested.
struct CopyOutcome {
    bool ok = false;
    uint32_t error = 0;      // the system's code when not ok (1235 after a cancel)
    bool decrypted = false;  // an encrypted file the destination could not store encrypted
};
[[nodiscard]] CopyOutcome CopyFileWithProgress(const std::wstring& source, const std::wstring& target,
                                               bool archiveOnly);

// Places a copy made ahead (plat::PrepareCopy) under target at its turn,
// with the progress calls, event drains and cancel of a small copy made
// there; consumes it. Returns as CopyFileWithProgress.
[[nodiscard]] CopyOutcome PlaceCopyWithProgress(plat::PreparedCopy& copy, const std::wstring& target);

// The temporary name a copy is written under before it replaces target
// (where the platform needs a name for it).
std::wstring TempCopyName(const std::wstring& target);
// Whether a name carries the temporary-copy suffix (case ignored).
bool IsTempCopyName(const std::wstring& name);

// ---- The copy decision ----

enum class CopyDecision {
    Skip,            // not copied, nothing said
    Copy,            // copied without archiving (forced mode)
    ArchiveAndCopy,  // the old copy goes to the archive first, then copied
    SkipFutureDate,  // hint: the source carries a date in the future
    SkipDestNewer,   // hint: the destination copy is newer
};

// True when delta seconds are a clean 1- or 2-hour shift, give or take 2 s
// (summer time, FAT against NTFS).
bool IsHourShift(int64_t delta);

// Decides for a source file paired with a destination entry (a directory
// has Size kDirSize, so it always differs in size). `now` in local seconds.
CopyDecision DecideCopy(const SyncEntry& source, const SyncEntry& dest, int64_t now, ItJobMode itJobMode);

// ---- Archive settings per directory ----

struct ArcSettings {
    int32_t Interval = 0;
    int32_t Versions = 0;
};

// An archive-setting path made comparable with destDir: upper case, and
// unless it is a network path, its drive replaced by destDir's drive (a
// destination found under another letter keeps its settings).
std::wstring ArcIndivPathFor(const std::wstring& path, const std::wstring& destDir);

// The job's settings, overridden by every entry of `arcIndiv` for the job
// that applies to destDir (recursive: contained anywhere in it; else
// equal); the last one wins.
ArcSettings ArcSettingsFor(const std::vector<core::ArcIndivEntry>& arcIndiv, const core::Job& job,
                           const std::wstring& destDir);

// The archive directory for destDir: job.Dest + "@\" + destDir's part below
// job.Dest.
std::wstring ArchiveDirFor(const core::Job& job, const std::wstring& destDir);

// Where versions of destDir's archive directory wait while their slots are
// reused: job.Dest + "@\@\" + destDir's part below job.Dest, each level
// + ".d".
std::wstring SetAsideDirFor(const core::Job& job, const std::wstring& destDir);

// ---- Display texts ----

// "12'345 - 67%" or "12'345" alone when no total is known or the
// percentage has run away (999 and above).
std::wstring ProgressText(int32_t entriesDone, int32_t entriesExpected, int32_t& lastPercent);
// MB/s with 3 decimals and "." whatever the locale: "12.345".
std::wstring FormatSpeed(int64_t bytes, uint32_t millis);

// ---- Listings (one directory level) ----

// One side of a directory level: the platform's compact listing and the
// entries the mirror works with, as positions in it. A SyncEntry is made
// only for the entry at hand, so that a directory of 100,000 entries costs
// its listing and four bytes an entry, not a string per name.
struct SyncList {
    plat::Listing listing;
    std::vector<uint32_t> kept;  // listing positions; by name once sorted

    size_t size() const { return kept.size(); }
    std::wstring Name(size_t k) const { return plat::ListingName(listing, kept[k]); }
    // Entry k into `out`, reusing the room of its name.
    void Get(size_t k, SyncEntry& out) const;
};

// Whether kept entry k is a directory (its SyncEntry's Size is kDirSize).
inline bool SyncIsDir(const SyncList& list, size_t k) {
    return (list.listing.records[list.kept[k]].attributes & plat::kAttrDirectory) != 0;
}

// Whether kept entry k is a file whose data a cloud client keeps online
// only: it is never opened.
inline bool SyncOnlineOnly(const SyncList& list, size_t k) {
    const uint32_t attributes = list.listing.records[list.kept[k]].attributes;
    return !(attributes & plat::kAttrDirectory) && (attributes & plat::kAttrOnlineOnly);
}

// Sorts the kept entries by name ignoring case; names equal but for case
// (possible on case-sensitive hosts) in a fixed order, the same on both sides.
void SortSyncList(SyncList& list);

// CompareNoCase of entry i of `a` and entry j of `b`.
inline int CompareSyncNames(const SyncList& a, size_t i, const SyncList& b, size_t j) {
    return plat::CompareListingNoCase(a.listing, a.kept[i], b.listing, b.kept[j]);
}

// The pairing of the walk over two sorted lists, for what looks at a level
// without acting on it: `paired(i, j)` for each source position with its
// destination namesake (kNoPair without one), `alone(j)` for each
// destination entry without source, in the order the walk meets them.
constexpr size_t kNoPair = SIZE_MAX;
template <typename Paired, typename Alone>
void MergeSyncLists(const SyncList& source, const SyncList& dest, Paired paired, Alone alone) {
    size_t j = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        int order = 1;
        while (j < dest.size() && (order = CompareSyncNames(source, i, dest, j)) > 0) alone(j++);
        paired(i, j < dest.size() && order == 0 ? j++ : kNoPair);
    }
    for (; j < dest.size(); ++j) alone(j);
}

// Keeps the source entries of the listing, in listing order: without
// excluded entries, junctions and links to directories, and without "@" in
// the job's root (a run error in normal mode, a hint in the IT-job modes).
// A file link is kept as the file it leads to (its record gets that file's
// attributes, size and date); the names of those that lead nowhere go to
// `danglingLinks`. Names of excluded files that look like temporary copies
// go to `excludedTempNames`: their destination namesakes are real copies.
void FillSourceEntries(const JobContext& job, RunTally& tally, SyncList& source, const std::wstring& sourceDir,
                       bool isJobRoot, std::vector<std::wstring>& excludedTempNames,
                       std::vector<std::wstring>& danglingLinks);

// Keeps the destination entries of the listing, in listing order: without
// "@", junctions and links to directories at any depth. Files that look like
// temporary copies go to `temps` (listing positions) instead, the names of
// junctions and links to `links` (a source entry of that name must not
// reach through).
void FillDestEntries(SyncList& dest, std::vector<uint32_t>& temps, std::vector<std::wstring>& links);

// The mirror entries of the sorted lists whose names differ from their
// source's only in case ("Foto.JPG" renamed to "foto.jpg" in the source)
// take the source's spelling by a rename, `dest` with them; nothing is
// copied or archived for that. An entry whose rename fails keeps its name
// until the next run. Before anything reads names ahead of the walk.
void FollowCaseRenames(const std::wstring& destDir, const SyncList& source, SyncList& dest);

// The name in `links` (FillDestEntries) that a source entry called `name`
// would reach through, or nullptr.
const std::wstring* LinkNamed(const std::vector<std::wstring>& links, const std::wstring& name);

// Deletes the temporary copies an interrupted run left in destDir. One that
// a source file of the same name owns (sorted `source`, or an excluded
// source name) is a real copy and is kept in `dest` (unsorted).
void SweepTempLeftovers(const std::wstring& destDir, std::vector<uint32_t>& temps, const SyncList& source,
                        const std::vector<std::wstring>& excludedTempNames, SyncList& dest);

}  // namespace engine
