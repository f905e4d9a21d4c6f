// Reading listings ahead of the walk: the source and destination listings of
// a directory are read at the same time (usually two devices), and those of
// the subdirectories the depth-first walk visits next are read while the
// current directory is compared. Only reading runs ahead, on two reader
// threads that call nothing but the listing function; every decision and
// every change stays on the run's thread, at the directory's turn.
//
// What is read ahead is used only where the sequential walk would have seen
// the same: a destination subdirectory is read ahead only when it was a
// directory in its parent's listing and pairs with a source directory (the
// run changes nothing under such a name before its turn); anything that
// failed ahead, and a source directory gone by its turn, is listed again at
// its turn, so that failures show where and as the sequential walk shows
// them. At most kMaxAhead directories are read and held ahead.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/sync.h"
#include "platform/listing.h"
#include "platform/thread_safety.h"

namespace engine {

// One directory's listing as the platform gives it; moved around whole.
using Listing = plat::Listing;
// Lists one directory (with a trailing "\"), as plat::ListDirCompact does.
using ListFn = bool (*)(const std::wstring& dir, Listing& out);

constexpr int kMaxAhead = 8;

struct AheadItem;

// The pending subdirectories of one directory level, in walk order.
struct AheadLevel {
    std::vector<std::shared_ptr<AheadItem>> items;
    size_t next = 0;  // the first one whose turn has not come
};

// Whether anything may run ahead of the walk of sourceDir into destDir: not
// while faults are injected, not where one tree lies inside the other.
bool WalkMayRunAhead(const std::wstring& sourceDir, const std::wstring& destDir);

// The readers of one walk. Without threads (read-ahead off) every listing
// is read at its turn on the run's thread, in the sequential order. The
// run's thread calls every public function; the readers only run Reader.
// Everything the two share (the levels, the items in them, the current
// directory) is guarded by one mutex; an item's listing leaves that guard
// only once both its reads are done and the run's thread has claimed it.
class ReadAhead {
public:
    ReadAhead() = default;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;
    ~ReadAhead() EXCLUDES(mutex_);

    // Sets up the walk of sourceDir into destDir: with readers unless the
    // run reads in call order (its ListAhead off, faults injected, one tree
    // inside the other).
    void Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir);

    // The listings of a directory at its turn. False when the source cannot
    // be listed (LastError set); else `destListed` tells whether `dest`
    // holds the destination's listing (LastError set when not).
    [[nodiscard]] bool Take(const std::wstring& sourceDir, const std::wstring& destDir, Listing& source, Listing& dest,
                            bool& destListed) EXCLUDES(mutex_);

    // Lists a directory now, on the calling thread, as the readers would.
    [[nodiscard]] bool ListNow(const std::wstring& dir, Listing& out) const { return list_(dir, out); }

    bool HasReaders() const { return !readers_.empty(); }

    // AheadScope's two halves: a directory's subdirectories wanted ahead,
    // and what of them was not claimed dropped.
    void PushLevel(AheadLevel level) EXCLUDES(mutex_);
    void PopLevel() EXCLUDES(mutex_);

private:
    void Reader() EXCLUDES(mutex_);
    bool HasWork() const REQUIRES(mutex_);
    std::shared_ptr<AheadItem> Pick(int& sideIndex) REQUIRES(mutex_);
    std::shared_ptr<AheadItem> Claim(const std::wstring& sourceDir, const std::wstring& destDir) REQUIRES(mutex_);
    void Release(AheadItem& item) REQUIRES(mutex_);
    void Drop(AheadItem& item) REQUIRES(mutex_);

    // Set by Start before any reader runs, then only read.
    ListFn list_ = nullptr;
    // Started and joined by the run's thread.
    std::vector<std::thread> readers_;

    mutable plat::Mutex mutex_;
    plat::CondVar work_;   // a read to do, or stop
    plat::CondVar ready_;  // a read of the current directory done
    std::vector<AheadLevel> levels_ GUARDED_BY(mutex_);
    std::shared_ptr<AheadItem> current_ GUARDED_BY(mutex_);
    // Directories ahead whose reading has begun and are not yet claimed.
    int held_ GUARDED_BY(mutex_) = 0;
    bool stopping_ GUARDED_BY(mutex_) = false;
};

// While a directory is walked, its subdirectories (taken from its sorted
// entries, paired as the walk pairs them) are wanted ahead; when the
// directory is done, what was not claimed is dropped.
class AheadScope {
public:
    AheadScope(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
               const SyncList& dest);
    AheadScope(const AheadScope&) = delete;
    AheadScope& operator=(const AheadScope&) = delete;
    ~AheadScope();

private:
    ReadAhead& ahead_;
};

// The listing function walks use now (engine/walk_hooks.cpp).
ListFn WalkListFn();
// Tests: every listing of later walks goes through `hook` (nullptr: the
// platform's; engine/walk_hooks_testing.cpp). Set only while no walk runs;
// the program never sets it.
void SetListHookForTest(ListFn hook);
extern ListFn g_listHook;

}  // namespace engine
