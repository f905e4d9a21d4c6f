// Counting what a directory level would change before anything there
// changes: the walk's own pairing over the sorted lists, the copy decision
// of each paired file, and what each folder leaving the mirror holds. Also
// the source files whose data is online only, which the walk never sees.
#include <algorithm>

#include "engine/guard.h"
#include "engine/read_ahead.h"
#include "platform/clock.h"
#include "platform/fs.h"

namespace engine {

int32_t EntriesBelow(const std::wstring& dir) {
    const ListFn list = WalkListFn();
    int64_t count = 0;
    std::vector<std::wstring> pending{dir.empty() || dir.back() == L'\\' ? dir : dir + L'\\'};
    plat::Listing listing;
    std::wstring name;
    while (!pending.empty()) {
        const std::wstring at = std::move(pending.back());
        pending.pop_back();
        if (!list(at, listing)) continue;
        count += static_cast<int64_t>(listing.size());
        for (uint32_t i = 0; i < listing.size(); ++i) {
            const uint32_t attributes = listing.records[i].attributes;
            if (!(attributes & plat::kAttrDirectory)) continue;
            if (plat::IsLinkEntry(attributes, listing.ReparseTag(i))) continue;
            plat::ListingNameInto(listing, i, name);
            pending.push_back(at + name + L'\\');
        }
    }
    return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

// An entry of a sorted list as the copy decision reads it; the name is not
// wanted there.
static SyncEntry GuardEntryOf(const SyncList& list, size_t k) {
    const plat::ListingRecord& record = list.listing.records[list.kept[k]];
    SyncEntry entry;
    entry.Size = SyncIsDir(list, k) ? kDirSize : static_cast<int64_t>(record.size);
    entry.Date = record.modified;
    return entry;
}

// One entry leaving the mirror, with everything it holds.
static int32_t GuardLeaving(const SyncList& dest, size_t k, const std::wstring& destDir) {
    if (!SyncIsDir(dest, k)) return 1;
    const int32_t below = EntriesBelow(destDir + dest.Name(k));
    return below == INT32_MAX ? below : below + 1;
}

static void GuardAdd(int32_t& count, int32_t more) { count = more > INT32_MAX - count ? INT32_MAX : count + more; }

LevelChanges CountLevelChanges(const JobContext& job, const std::wstring& destDir, const SyncList& source,
                               const SyncList& dest, bool archiving) {
    LevelChanges level;
    const int64_t now = plat::Now();
    MergeSyncLists(
        source, dest,
        [&](size_t i, size_t j) {
            if (j == kNoPair) return;
            const bool sourceIsDir = SyncIsDir(source, i);
            if (sourceIsDir != SyncIsDir(dest, j)) {
                if (archiving) GuardAdd(level.typeChanged, GuardLeaving(dest, j, destDir));
            } else if (!sourceIsDir) {
                const CopyDecision decision =
                    DecideCopy(GuardEntryOf(source, i), GuardEntryOf(dest, j), now, job.options.itJobMode);
                if (decision == CopyDecision::Copy || decision == CopyDecision::ArchiveAndCopy)
                    GuardAdd(level.replaced, 1);
            }
        },
        [&](size_t j) {
            if (archiving) GuardAdd(level.vanishedAtEnd, GuardLeaving(dest, j, destDir));
        });
    return level;
}

int32_t SetOnlineOnlyApart(SyncList& source, SyncList& dest) {
    size_t first = 0;
    while (first < source.size() && !SyncOnlineOnly(source, first)) ++first;
    if (first == source.size()) return 0;
    std::vector<uint32_t> keptSource, keptDest;
    keptSource.reserve(source.size());
    keptDest.reserve(dest.size());
    int32_t count = 0;
    MergeSyncLists(
        source, dest,
        [&](size_t i, size_t j) {
            // The mirror's copy of an online-only file is neither paired nor
            // left without source: it stays as it is.
            if (SyncOnlineOnly(source, i)) {
                ++count;
                return;
            }
            keptSource.push_back(source.kept[i]);
            if (j != kNoPair) keptDest.push_back(dest.kept[j]);
        },
        [&](size_t j) { keptDest.push_back(dest.kept[j]); });
    source.kept = std::move(keptSource);
    dest.kept = std::move(keptDest);
    return count;
}

}  // namespace engine
