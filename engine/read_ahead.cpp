// The readers behind ReadAhead: two threads that take the next wanted
// listing (the current directory's first, then the nearest ones ahead in
// walk order) and call the listing function, nothing else.
#include "engine/read_ahead.h"

#include <algorithm>

#include "core/text_helpers.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/text.h"

namespace engine {

// One side of a directory: what to list and what came of it.
struct AheadSide {
    std::wstring dir;
    Listing listing;
    bool wanted = false;
    bool started = false;
    bool done = false;
    bool ok = false;
    bool atTurn = false;  // begun after the directory's turn had come
    uint32_t error = 0;
};

struct AheadItem {
    AheadSide side[2];     // source, destination
    bool counted = false;  // holds one of the kMaxAhead places
    bool dropped = false;  // its turn passed without a claim
};

namespace {
// Two readers: one for each device, as source and destination usually are.
constexpr int kReaders = 2;
}  // namespace

static bool AheadInFlight(const AheadItem& item) {
    for (const AheadSide& side : item.side)
        if (side.started && !side.done) return true;
    return false;
}

// Under the lock: a dropped directory gives its listings and its place back
// as soon as no reader is on it.
static void AheadRelease(ReadAhead& ahead, AheadItem& item) {
    if (AheadInFlight(item)) return;
    for (AheadSide& side : item.side) side.listing = Listing();
    if (item.counted) {
        item.counted = false;
        --ahead.held;
    }
}

static void AheadDrop(ReadAhead& ahead, AheadItem& item) {
    item.dropped = true;
    AheadRelease(ahead, item);
}

static bool AheadTakeSide(AheadItem& item, int& sideIndex) {
    for (int index = 0; index < 2; ++index) {
        if (item.side[index].wanted && !item.side[index].started) {
            sideIndex = index;
            return true;
        }
    }
    return false;
}

// Under the lock: the next read. The current directory comes first; then
// the deepest level's next directories, which the walk reaches before the
// rest of the levels above. Only the first few of each level are looked at:
// farther ones could not take a place anyway.
static bool AheadPick(ReadAhead& ahead, std::shared_ptr<AheadItem>& item, int& sideIndex) {
    if (ahead.current && AheadTakeSide(*ahead.current, sideIndex)) {
        item = ahead.current;
        return true;
    }
    for (auto level = ahead.levels.rbegin(); level != ahead.levels.rend(); ++level) {
        const size_t end = std::min(level->items.size(), level->next + 2 * kMaxAhead);
        for (size_t index = level->next; index < end; ++index) {
            AheadItem& candidate = *level->items[index];
            if (candidate.dropped || !AheadTakeSide(candidate, sideIndex)) continue;
            if (!candidate.counted) {
                if (ahead.held >= kMaxAhead) return false;
                candidate.counted = true;
                ++ahead.held;
            }
            item = level->items[index];
            return true;
        }
    }
    return false;
}

static void AheadReader(ReadAhead* ahead) {
    std::unique_lock<std::mutex> hold(ahead->lock);
    for (;;) {
        std::shared_ptr<AheadItem> item;
        int sideIndex = 0;
        ahead->work.wait(hold, [&] { return ahead->stopping || AheadPick(*ahead, item, sideIndex); });
        if (ahead->stopping) return;
        AheadSide& side = item->side[sideIndex];
        side.started = true;
        side.atTurn = item == ahead->current;
        const std::wstring dir = side.dir;
        hold.unlock();
        Listing listing;
        const bool ok = ahead->list(dir, listing);
        const uint32_t error = ok ? 0 : plat::LastError();
        hold.lock();
        side.listing = std::move(listing);
        side.ok = ok;
        side.error = error;
        side.done = true;
        if (item->dropped) AheadRelease(*ahead, *item);
        ahead->ready.notify_all();
    }
}

// Work ahead only stays invisible where the run does not change what it
// reads: never where one tree lies inside the other, nor while faults are
// injected (their calls are counted in call order).
bool WalkMayRunAhead(const std::wstring& sourceDir, const std::wstring& destDir) {
    if (plat::FaultInjectionArmed()) return false;
    const std::wstring source = plat::ToUpper(core::AddBackslash(sourceDir));
    const std::wstring dest = plat::ToUpper(core::AddBackslash(destDir));
    return source.compare(0, dest.size(), dest) != 0 && dest.compare(0, source.size(), source) != 0;
}

void StartReadAhead(ReadAhead& ahead, const RunOptions& options, const std::wstring& sourceDir,
                    const std::wstring& destDir) {
    ahead.list = WalkListFn();
    if (!options.ListAhead || !WalkMayRunAhead(sourceDir, destDir)) return;
    for (int index = 0; index < kReaders; ++index) ahead.readers.emplace_back(AheadReader, &ahead);
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard<std::mutex> hold(lock);
        stopping = true;
    }
    work.notify_all();
    for (std::thread& reader : readers) reader.join();
}

// Under the lock: the directory whose turn has come, as planned by its
// parent or new. Planned ones passed over on the way were never visited
// (cancelled, excluded, blocked) and are dropped.
static std::shared_ptr<AheadItem> AheadClaim(ReadAhead& ahead, const std::wstring& sourceDir,
                                             const std::wstring& destDir) {
    if (!ahead.levels.empty()) {
        AheadLevel& level = ahead.levels.back();
        for (size_t index = level.next; index < level.items.size(); ++index) {
            std::shared_ptr<AheadItem> item = level.items[index];
            if (item->side[0].dir != sourceDir || item->side[1].dir != destDir) continue;
            for (size_t passed = level.next; passed < index; ++passed) AheadDrop(ahead, *level.items[passed]);
            level.next = index + 1;
            if (item->counted) {
                item->counted = false;
                --ahead.held;
            }
            return item;
        }
    }
    auto item = std::make_shared<AheadItem>();
    item->side[0].dir = sourceDir;
    item->side[0].wanted = true;
    item->side[1].dir = destDir;
    return item;
}

bool TakeListings(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, Listing& source,
                  Listing& dest, bool& destListed) {
    destListed = false;
    if (ahead.readers.empty()) {
        if (!ahead.list(sourceDir, source)) return false;
        destListed = ahead.list(destDir, dest);
        return true;
    }
    std::shared_ptr<AheadItem> item;
    {
        std::unique_lock<std::mutex> hold(ahead.lock);
        item = AheadClaim(ahead, sourceDir, destDir);
        // The destination is read now, beside the source, where it was not
        // read ahead.
        item->side[1].wanted = true;
        ahead.current = item;
        ahead.work.notify_all();
        ahead.ready.wait(hold, [&] { return item->side[0].done && item->side[1].done; });
        ahead.current = nullptr;
    }
    // No reader touches the item any more.
    AheadSide& s = item->side[0];
    if (s.ok && (s.atTurn || plat::DirExists(sourceDir))) {
        source = std::move(s.listing);
    } else if (s.atTurn) {
        plat::SetLastError(s.error);
        return false;
    } else if (!ahead.list(sourceDir, source)) {
        // Failed ahead, or gone since: its turn says what the walk says.
        return false;
    }
    AheadSide& d = item->side[1];
    if (d.ok) {
        dest = std::move(d.listing);
        destListed = true;
    } else if (d.atTurn) {
        plat::SetLastError(d.error);
    } else {
        destListed = ahead.list(destDir, dest);
    }
    return true;
}

// The walk's own pairing (sync.cpp): a merge of the sorted lists, names
// compared ignoring case. A directory paired with a destination directory
// is read ahead on both sides; any other source directory on its side only
// (its destination is made or cleared at its turn).
AheadScope::AheadScope(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir,
                       const SyncList& source, const SyncList& dest)
    : ahead(ahead) {
    if (ahead.readers.empty()) return;
    AheadLevel level;
    size_t j = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        while (j < dest.size() && CompareSyncNames(source, i, dest, j) > 0) ++j;
        const bool paired = j < dest.size() && CompareSyncNames(source, i, dest, j) == 0;
        const size_t d = paired ? j++ : 0;
        if (!SyncIsDir(source, i)) continue;
        const bool pairedDir = paired && SyncIsDir(dest, d);
        auto item = std::make_shared<AheadItem>();
        item->side[0].dir = sourceDir + source.Name(i) + L'\\';
        item->side[0].wanted = true;
        item->side[1].dir = destDir + (pairedDir ? dest.Name(d) : source.Name(i)) + L'\\';
        item->side[1].wanted = pairedDir;
        level.items.push_back(std::move(item));
    }
    {
        std::lock_guard<std::mutex> hold(ahead.lock);
        ahead.levels.push_back(std::move(level));
    }
    ahead.work.notify_all();
}

AheadScope::~AheadScope() {
    if (ahead.readers.empty()) return;
    {
        std::lock_guard<std::mutex> hold(ahead.lock);
        AheadLevel& level = ahead.levels.back();
        for (size_t index = level.next; index < level.items.size(); ++index) AheadDrop(ahead, *level.items[index]);
        ahead.levels.pop_back();
    }
    ahead.work.notify_all();
}

}  // namespace engine
