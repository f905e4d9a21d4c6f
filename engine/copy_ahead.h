// Copying small new files ahead of their turn. While the run's thread
// compares and places, writer threads copy the next new small files of the
// directory at hand into files without a name or (Windows) under their
// temporary names (plat::PrepareCopy); at its turn the run's thread names
// each one once its data are on the disk (plat::PlacePreparedCopy), in the
// sequential order, with
// the same display, log lines, counters and event drains as a copy made
// there. Nothing gets a real name before its turn.
//
// Only files without a destination namesake are planned (their copy needs no
// archiving and replaces nothing), only those of at most kCopyAheadMaxBytes
// (a larger copy shows its progress, so it is made at its turn), and only
// those whose turn comes before the directory's next subdirectory are handed
// out, at most kMaxCopiesAhead at once: what waits is bounded and belongs to
// the directory at hand. A copy that could not be made ahead, or whose turn
// came before a writer began it, is made at its turn, where a failure shows
// as it always did. After "Abbrechen" nothing made ahead is placed.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/sync.h"
#include "platform/fs.h"
#include "platform/thread_safety.h"

namespace engine {

// Prepares one copy, as plat::PrepareCopy does.
using PrepareFn = bool (*)(const std::wstring& from, const std::wstring& to, bool archiveOnly, uint64_t maxBytes,
                           plat::PreparedCopy& copy);

constexpr uint64_t kCopyAheadMaxBytes = 300000;
constexpr size_t kMaxCopiesAhead = 32;
// Handed out again once no more than this many wait.
constexpr size_t kRefillCopiesAhead = kMaxCopiesAhead / 2;

// One file handed to the writers. Its names are set before it is handed
// out and only read after; everything else belongs to the CopyAhead's
// mutex (AheadCopy's state is only touched by CopyAhead's functions).
struct AheadCopy {
    std::wstring source, target;
    bool started = false;  // a writer took it
    bool claimed = false;  // its turn came first: the run's thread copies it
    bool done = false;
    bool ok = false;       // `copy` holds the finished copy
    bool dropped = false;  // its turn passed: the writer drops what it made
    plat::PreparedCopy copy;
};

// The writers of one walk; none when copies are made at their turn only.
// The run's thread calls every public function; the writers only run
// Writer.
class CopyAhead {
public:
    CopyAhead() = default;
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;
    ~CopyAhead() EXCLUDES(mutex_);

    // Starts the writers for the walk of sourceDir into destDir, unless the
    // run copies at each turn (its CopyAhead off, faults injected, one tree
    // inside the other).
    void Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir);
    // Starts the writers of a restore, whose copies keep their versions'
    // attributes; none while faults are injected.
    void StartRestore();

    // Whether planning is worth it: writers run.
    bool Planning() const;

    // Hands the copies to the writers, in order.
    void Hand(const std::vector<std::shared_ptr<AheadCopy>>& items) EXCLUDES(mutex_);

    // At the item's turn: its finished copy when a writer made it for
    // `target` (waiting for a writer that is making it); else it is dropped
    // and nothing is returned (copy at the turn). `mine` is false for an
    // item whose turn passed without it.
    std::optional<plat::PreparedCopy> Claim(AheadCopy& item, bool mine, const std::wstring& target) EXCLUDES(mutex_);

    // Drops what was handed out and never claimed.
    void DropAll(const std::deque<std::shared_ptr<AheadCopy>>& items) EXCLUDES(mutex_);

private:
    void StartWriters();
    void Writer() EXCLUDES(mutex_);

    // Set by Start before any writer runs, then only read.
    PrepareFn prepare_ = nullptr;
    bool archiveOnly_ = false;
    // Started and joined by the run's thread.
    std::vector<std::thread> writers_;

    mutable plat::Mutex mutex_;
    plat::CondVar work_;   // a copy to make, or stop
    plat::CondVar ready_;  // a copy made
    std::deque<std::shared_ptr<AheadCopy>> queue_ GUARDED_BY(mutex_);
    bool stopping_ GUARDED_BY(mutex_) = false;
    // Who sleeps: writers waiting for work, the run's thread for one copy;
    // a finished or handed-out copy wakes only those who wait for it.
    int idle_ GUARDED_BY(mutex_) = 0;
    const AheadCopy* awaited_ GUARDED_BY(mutex_) = nullptr;
};

// The new small files of one directory level, by their positions in the
// sorted source list, and the copies handed out for them. The run's thread
// alone uses it.
struct CopyPlan {
    CopyAhead& ahead;
    const SyncList& source;
    std::wstring sourceDir, destDir;
    std::vector<uint32_t> files;                    // ascending
    size_t taken = 0;                               // files[0, taken) had their turn
    std::deque<std::shared_ptr<AheadCopy>> handed;  // for files[taken, taken + handed.size())
    size_t nextDir = 0;                             // no subdirectory in the source positions before it (past the turn)

    // Plans the directory's new small files: those of the sorted `source`
    // that pair with no entry of the sorted `dest` and are not named like a
    // destination junction or link in `links`.
    CopyPlan(CopyAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
             const SyncList& dest, const std::vector<std::wstring>& links);
    CopyPlan(const CopyPlan&) = delete;
    CopyPlan& operator=(const CopyPlan&) = delete;
    // Drops what was handed out and never placed.
    ~CopyPlan();
};

// At the turn of source position `at`: hands out the planned files whose
// turn comes before the next subdirectory, up to the bound, once half of
// those handed out are taken (one file per turn would cost a hand-over and
// a wake-up per file).
void CopyAheadFrom(CopyPlan& plan, size_t at);

// The copy made ahead for source position `at` (waiting for a writer that
// is making it), or nothing: then copy at the turn. Planned files passed
// over on the way are dropped.
std::optional<plat::PreparedCopy> TakeCopy(CopyPlan& plan, size_t at, const std::wstring& target);

// The copy function walks use now (engine/walk_hooks.cpp).
PrepareFn WalkPrepareFn();
// Tests: every copy made ahead in later walks goes through `hook` (nullptr:
// the platform's; engine/walk_hooks_testing.cpp). Set only while no walk
// runs; the program never sets it.
void SetPrepareHookForTest(PrepareFn hook);
extern PrepareFn g_prepareHook;

}  // namespace engine
