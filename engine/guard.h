// What keeps a job's walk from pushing a good mirror into "@" when its
// source only looks changed: the empty mount point of an unplugged drive, a
// signed-out cloud folder, a folder emptied by mistake, files an encrypting
// program rewrote. A source that holds nothing while its mirror holds
// entries is not mirrored at all; a change of more than half of the backup
// at once is held back from the directory where it would pass the bound.
// Files whose data lives online only are never opened. The counts are the
// walk's own (JobGuard), one per job; the run's tally learns only what it
// reports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/run_context.h"
#include "engine/sync.h"

namespace engine {

// Entries of either kind (vanished, replaced) a job may change in one run
// without a question: at most half of its last count, and fewer than 50 never
// stop a job. kNoBound when the job was never counted.
constexpr int32_t kNoBound = -1;
int32_t MassChangeAllowance(int32_t entryCount);

// A level of the walk whose subdirectories are not all walked yet: what the
// look-ahead still has to count. Held by SyncTree (GuardLevelScope).
struct GuardFrame {
    const std::wstring* sourceDir = nullptr;
    const std::wstring* destDir = nullptr;
    const SyncList* source = nullptr;
    const SyncList* dest = nullptr;
    size_t next = 0;  // the first source position the walk has not entered
};

struct JobGuard {
    int32_t allowed = kNoBound;
    // The job's last EntryCount, for the lines that explain the bound.
    int32_t lastCount = 0;
    // Entries counted so far that would go to "@" as vanished (a folder with
    // everything it holds), and files that would be replaced.
    int32_t vanished = 0;
    int32_t replaced = 0;
    // Once the bound would be passed, nothing more is archived or replaced;
    // heldBack counts the entries left as they are.
    bool holding = false;
    int32_t heldBack = 0;
    // The user answered "Ja": no bound for this job in this run.
    bool lifted = false;
    // Source files not copied because their data is online only.
    int32_t onlineOnly = 0;
    // Once an eighth of the backup has changed, the rest of the walk is
    // counted at once (from the listings alone), so that a change spread
    // over many folders is noticed before it goes on; once per job.
    bool lookedAhead = false;
    std::vector<GuardFrame> frames;
};

// While SyncTree walks a level: its lists and how far it got.
struct GuardLevelScope {
    JobGuard& guard;
    GuardLevelScope(JobGuard& guard, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
                    const SyncList& dest)
        : guard(guard) {
        guard.frames.push_back({&sourceDir, &destDir, &source, &dest, 0});
    }
    GuardLevelScope(const GuardLevelScope&) = delete;
    GuardLevelScope& operator=(const GuardLevelScope&) = delete;
    ~GuardLevelScope() { guard.frames.pop_back(); }
};
// The walk enters the subdirectory at source position `at`.
inline void GuardEnter(JobGuard& guard, size_t at) { guard.frames.back().next = at + 1; }

// The guard of the job about to be walked.
JobGuard StartJobGuard(const core::Job& job);

// At the job's root, with both listings read: a source that holds no entry
// while the mirror holds some is not mirrored. A counted error (for an
// optional job a hint), and the job is held back. True when the walk must
// stop here.
bool GuardEmptySource(const JobContext& job, RunTally& tally, const std::wstring& destDir, const SyncList& source,
                      const SyncList& dest);

// Source files whose data is online only leave both sorted lists (their
// mirror copies with them, which so stay as they are); returns how many.
int32_t SetOnlineOnlyApart(SyncList& source, SyncList& dest);

// What one directory level would change, counted before anything there is
// done.
struct LevelChanges {
    int32_t replaced = 0;
    // Destination entries without source, with what they hold; they go to
    // "@" at the end of the level.
    int32_t vanishedAtEnd = 0;
    // Entries of the other kind in the way of a source entry.
    int32_t typeChanged = 0;
};

// Counts the level (sorted lists, paired as the walk pairs them) and adds it
// to the job's counts; past an eighth of the backup, the rest of the walk
// too (CountRestOfWalk). Where either count passes the bound, an
// interactive run asks once per job whether to go on; an unattended run, or
// the answer "Nein", holds back from here. Without a bound nothing is
// counted. `archiving`: vanished entries go to "@" here.
LevelChanges GuardLevel(const JobContext& job, JobGuard& guard, const std::wstring& destDir, const SyncList& source,
                        const SyncList& dest, bool archiving);
// The count alone (guard_count.cpp). A source entry blocked by a link, or a
// kind change without archiving, changes nothing and is not counted.
LevelChanges CountLevelChanges(const JobContext& job, const std::wstring& destDir, const SyncList& source,
                               const SyncList& dest, bool archiving);

// What the subdirectories the walk has not entered yet would change, at
// every level of `guard.frames` (guard_ahead.cpp): their listings read and
// counted as the walk would, nothing changed.
LevelChanges CountRestOfWalk(const JobContext& job, const JobGuard& guard);

// Whether the walk must leave vanished and changed entries where they are.
inline bool GuardHolds(const JobGuard& guard) { return guard.holding; }

// Entries below a directory, counted through the walk's listing function
// (links are not entered; what cannot be listed counts as empty).
int32_t EntriesBelow(const std::wstring& dir);

// After the job's walk: the counted error of a job held back, the hint of
// the files left online.
void FinishJobGuard(const JobContext& job, const JobGuard& guard, RunTally& tally);

}  // namespace engine
