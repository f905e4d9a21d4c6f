// The look-ahead of the mass-change guard: the subdirectories the walk has
// not entered yet, listed and counted as the walk would list and count
// them, with nothing changed (no temporary copy swept, no archive folder
// made). It runs only once an eighth of the backup has changed, so an
// ordinary run never reads a listing twice.
#include <algorithm>

#include "engine/guard.h"
#include "engine/read_ahead.h"

namespace engine {

static void AheadAdd(LevelChanges& total, const LevelChanges& more) {
    auto add = [](int32_t& count, int32_t by) { count = by > INT32_MAX - count ? INT32_MAX : count + by; };
    add(total.replaced, more.replaced);
    add(total.vanishedAtEnd, more.vanishedAtEnd);
    add(total.typeChanged, more.typeChanged);
}

static void AheadCountPairs(const JobContext& job, const std::wstring& sourceDir, const std::wstring& destDir,
                            const SyncList& source, const SyncList& dest, size_t from, LevelChanges& total);

// One directory pair below the walk, and everything below it.
static void AheadCountTree(const JobContext& job, const std::wstring& sourceDir, const std::wstring& destDir,
                           LevelChanges& total) {
    if (IsExcluded(job.inputs.Excludes, sourceDir, job.job.Sid)) return;
    const ListFn list = WalkListFn();
    SyncList source, dest;
    // What cannot be listed now is the walk's to report at its turn.
    if (!list(sourceDir, source.listing) || !list(destDir, dest.listing)) return;
    RunTally unused;  // below the job's root no entry is refused with an error
    std::vector<std::wstring> excludedTempNames, dangling, links;
    std::vector<uint32_t> temps;
    FillSourceEntries(job, unused, source, sourceDir, false, excludedTempNames, dangling);
    FillDestEntries(dest, temps, links);
    SortSyncList(source);
    SortSyncList(dest);
    (void)SetOnlineOnlyApart(source, dest);
    const bool archiving = job.NormalMode() && ArcSettingsFor(job.inputs.ArcIndiv, job.job, destDir).Versions != 0;
    AheadAdd(total, CountLevelChanges(job, destDir, source, dest, archiving));
    AheadCountPairs(job, sourceDir, destDir, source, dest, 0, total);
}

// The directories of source positions `from` on that pair with directories
// of the destination: their contents are what the walk will compare there.
static void AheadCountPairs(const JobContext& job, const std::wstring& sourceDir, const std::wstring& destDir,
                            const SyncList& source, const SyncList& dest, size_t from, LevelChanges& total) {
    MergeSyncLists(
        source, dest,
        [&](size_t i, size_t d) {
            if (i < from || d == kNoPair || !SyncIsDir(source, i) || !SyncIsDir(dest, d)) return;
            AheadCountTree(job, sourceDir + source.Name(i) + L'\\', destDir + dest.Name(d) + L'\\', total);
        },
        [](size_t) {});
}

LevelChanges CountRestOfWalk(const JobContext& job, const JobGuard& guard) {
    LevelChanges total;
    for (const GuardFrame& frame : guard.frames)
        AheadCountPairs(job, *frame.sourceDir, *frame.destDir, *frame.source, *frame.dest, frame.next, total);
    return total;
}

}  // namespace engine
