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

// A dropped directory gives its listings and its place back as soon as no
// reader is on it.
void ReadAhead::Release(AheadItem& item) {
    if (AheadInFlight(item)) return;
    for (AheadSide& side : item.side) side.listing = Listing();
    if (item.counted) {
        item.counted = false;
        --held_;
    }
}

void ReadAhead::Drop(AheadItem& item) {
    item.dropped = true;
    Release(item);
}

static bool AheadSideToRead(const AheadItem& item, int& sideIndex) {
    for (int index = 0; index < 2; ++index) {
        if (item.side[index].wanted && !item.side[index].started) {
            sideIndex = index;
            return true;
        }
    }
    return false;
}

// The next read, found without changing anything. The current directory
// comes first; then the deepest level's next directories, which the walk
// reaches before the rest of the levels above. Only the first few of each
// level are looked at: farther ones could not take a place anyway. An item
// that would need a place beyond kMaxAhead stops the search.
static const std::shared_ptr<AheadItem>* AheadFind(const std::shared_ptr<AheadItem>& current,
                                                   const std::vector<AheadLevel>& levels, int held, int& sideIndex) {
    if (current && AheadSideToRead(*current, sideIndex)) return &current;
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        const size_t end = std::min(level->items.size(), level->next + 2 * kMaxAhead);
        for (size_t index = level->next; index < end; ++index) {
            const AheadItem& candidate = *level->items[index];
            if (candidate.dropped || !AheadSideToRead(candidate, sideIndex)) continue;
            if (!candidate.counted && held >= kMaxAhead) return nullptr;
            return &level->items[index];
        }
    }
    return nullptr;
}

bool ReadAhead::HasWork() const {
    int sideIndex = 0;
    return AheadFind(current_, levels_, held_, sideIndex) != nullptr;
}

// The read HasWork found, with its place taken.
std::shared_ptr<AheadItem> ReadAhead::Pick(int& sideIndex) {
    const std::shared_ptr<AheadItem>* found = AheadFind(current_, levels_, held_, sideIndex);
    if (!found) return nullptr;
    AheadItem& item = **found;
    if (*found != current_ && !item.counted) {
        item.counted = true;
        ++held_;
    }
    return *found;
}

void ReadAhead::Reader() {
    plat::MutexLock hold(mutex_);
    for (;;) {
        work_.Wait(mutex_, [this]() REQUIRES(mutex_) { return stopping_ || HasWork(); });
        if (stopping_) return;
        int sideIndex = 0;
        const std::shared_ptr<AheadItem> item = Pick(sideIndex);
        if (!item) continue;
        AheadSide& side = item->side[sideIndex];
        side.started = true;
        side.atTurn = item == current_;
        const std::wstring dir = side.dir;
        hold.Unlock();
        Listing listing;
        const bool ok = list_(dir, listing);
        const uint32_t error = ok ? 0 : plat::LastError();
        hold.Lock();
        side.listing = std::move(listing);
        side.ok = ok;
        side.error = error;
        side.done = true;
        if (item->dropped) Release(*item);
        ready_.NotifyAll();
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

void ReadAhead::Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir) {
    list_ = WalkListFn();
    if (!options.ListAhead || !WalkMayRunAhead(sourceDir, destDir)) return;
    for (int index = 0; index < kReaders; ++index) readers_.emplace_back(&ReadAhead::Reader, this);
}

ReadAhead::~ReadAhead() {
    {
        plat::MutexLock hold(mutex_);
        stopping_ = true;
    }
    work_.NotifyAll();
    for (std::thread& reader : readers_) reader.join();
}

// The directory whose turn has come, as planned by its parent or new.
// Planned ones passed over on the way were never visited (cancelled,
// excluded, blocked) and are dropped.
std::shared_ptr<AheadItem> ReadAhead::Claim(const std::wstring& sourceDir, const std::wstring& destDir) {
    if (!levels_.empty()) {
        AheadLevel& level = levels_.back();
        for (size_t index = level.next; index < level.items.size(); ++index) {
            std::shared_ptr<AheadItem> item = level.items[index];
            if (item->side[0].dir != sourceDir || item->side[1].dir != destDir) continue;
            for (size_t passed = level.next; passed < index; ++passed) Drop(*level.items[passed]);
            level.next = index + 1;
            if (item->counted) {
                item->counted = false;
                --held_;
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

bool ReadAhead::Take(const std::wstring& sourceDir, const std::wstring& destDir, Listing& source, Listing& dest,
                     bool& destListed) {
    destListed = false;
    if (readers_.empty()) {
        if (!list_(sourceDir, source)) return false;
        destListed = list_(destDir, dest);
        return true;
    }
    // Both sides leave the guard together, once no reader is on either.
    AheadSide s, d;
    {
        plat::MutexLock hold(mutex_);
        const std::shared_ptr<AheadItem> item = Claim(sourceDir, destDir);
        // The destination is read now, beside the source, where it was not
        // read ahead.
        item->side[1].wanted = true;
        current_ = item;
        work_.NotifyAll();
        ready_.Wait(mutex_, [&item]() { return item->side[0].done && item->side[1].done; });
        current_ = nullptr;
        s = std::move(item->side[0]);
        d = std::move(item->side[1]);
    }
    if (s.ok && (s.atTurn || plat::DirExists(sourceDir))) {
        source = std::move(s.listing);
    } else if (s.atTurn) {
        plat::SetLastError(s.error);
        return false;
    } else if (!list_(sourceDir, source)) {
        // Failed ahead, or gone since: its turn says what the walk says.
        return false;
    }
    if (d.ok) {
        dest = std::move(d.listing);
        destListed = true;
    } else if (d.atTurn) {
        plat::SetLastError(d.error);
    } else {
        destListed = list_(destDir, dest);
    }
    return true;
}

void ReadAhead::PushLevel(AheadLevel level) {
    {
        plat::MutexLock hold(mutex_);
        levels_.push_back(std::move(level));
    }
    work_.NotifyAll();
}

void ReadAhead::PopLevel() {
    {
        plat::MutexLock hold(mutex_);
        AheadLevel& level = levels_.back();
        for (size_t index = level.next; index < level.items.size(); ++index) Drop(*level.items[index]);
        levels_.pop_back();
    }
    work_.NotifyAll();
}

// The walk's own pairing (sync.cpp): a merge of the sorted lists, names
// compared ignoring case. A directory paired with a destination directory
// is read ahead on both sides; any other source directory on its side only
// (its destination is made or cleared at its turn).
AheadScope::AheadScope(ReadAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir,
                       const SyncList& source, const SyncList& dest)
    : ahead_(ahead) {
    if (!ahead.HasReaders()) return;
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
    ahead.PushLevel(std::move(level));
}

AheadScope::~AheadScope() {
    if (ahead_.HasReaders()) ahead_.PopLevel();
}

}  // namespace engine
