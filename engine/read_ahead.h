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

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/sync.h"
#include "platform/listing.h"

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

// The readers of one walk. Without threads (read-ahead off) every listing
// is read at its turn on the run's thread, in the sequential order.
struct ReadAhead {
    ListFn list = nullptr;
    std::mutex lock;
    std::condition_variable work;   // a read to do, or stop
    std::condition_variable ready;  // a read of the current directory done
    std::vector<AheadLevel> levels;
    std::shared_ptr<AheadItem> current;
    int held = 0;  // directories ahead whose reading has begun and are not yet claimed
    bool stopping = false;
    std::vector<std::thread> readers;

    ReadAhead() = default;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;
    ~ReadAhead();
};

// Whether anything may run ahead of the walk of sourceDir into destDir: not
// while faults are injected, not where one tree lies inside the other.
bool WalkMayRunAhead(const std::wstring& sourceDir, const std::wstring& destDir);

// Sets up the walk of sourceDir into destDir: with readers unless the run
// reads in call order (its ListAhead off, faults injected, one tree inside
// the other).
void StartReadAhead(ReadAhead& ahead, const RunOptions& options, const std::wstring& sourceDir,
                    const std::wstring& destDir);

// The listings of a directory at its turn. False when the source cannot be
// listed (LastError set); else `destListed` tells whether `dest` holds the
// destination's listing (LastError set when not).
bool TakeListings(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, Listing& source,
                  Listing& dest, bool& destListed);

// While a directory is walked, its subdirectories (taken from its sorted
// entries, paired as the walk pairs them) are wanted ahead; when the
// directory is done, what was not claimed is dropped.
struct AheadScope {
    ReadAhead& ahead;
    AheadScope(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
               const SyncList& dest);
    AheadScope(const AheadScope&) = delete;
    AheadScope& operator=(const AheadScope&) = delete;
    ~AheadScope();
};

// The listing function walks use now (engine/walk_hooks.cpp).
ListFn WalkListFn();
#ifdef TRESORO_TEST_HOOKS
// Tests: every listing of later walks goes through `hook` (nullptr: the
// platform's). Set only while no walk runs.
void SetListHookForTest(ListFn hook);
#endif

}  // namespace engine
