// The comparers behind VerifyAhead, the plan of one directory level, and
// the turn of each planned file.
#include "engine/display.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "engine/verify.h"

namespace engine {

// Two comparers: each reads its two files in turn, so that two keep both
// cores and, on a cold cache, both disks busy.
constexpr int kComparers = 2;

void VerifyAhead::Comparer() {
    CompareBuffers buffers;
    plat::MutexLock hold(mutex_);
    for (;;) {
        ++idle_;
        work_.Wait(mutex_, [this]() REQUIRES(mutex_) { return stopping_ || !queue_.empty(); });
        --idle_;
        if (stopping_) return;
        const std::shared_ptr<VerifyItem> item = std::move(queue_.front());
        queue_.pop_front();
        if (item->claimed || item->stop) continue;
        item->started = true;
        hold.Unlock();
        VerifyItem& pair = *item;
        const CompareResult result =
            CompareContents(pair.source, pair.dest, pair.size, buffers, [&pair](uint64_t compared) {
                pair.compared = compared;
                return !pair.stop;
            });
        hold.Lock();
        item->result = result;
        item->done = true;
        if (awaited_ == item.get()) ready_.NotifyAll();
    }
}

void VerifyAhead::Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir) {
    on_ = options.Verify;
    if (!on_ || !options.CompareAhead || !WalkMayRunAhead(sourceDir, destDir)) return;
    for (int index = 0; index < kComparers; ++index) comparers_.emplace_back(&VerifyAhead::Comparer, this);
}

VerifyAhead::~VerifyAhead() {
    {
        plat::MutexLock hold(mutex_);
        stopping_ = true;
    }
    work_.NotifyAll();
    for (std::thread& comparer : comparers_) comparer.join();
}

void VerifyAhead::Hand(const std::vector<std::shared_ptr<VerifyItem>>& items) {
    bool wake = false;
    {
        plat::MutexLock hold(mutex_);
        queue_.insert(queue_.end(), items.begin(), items.end());
        wake = idle_ > 0;
    }
    if (wake) work_.NotifyAll();
}

bool VerifyAhead::Claim(VerifyItem& item) {
    plat::MutexLock hold(mutex_);
    item.claimed = !item.started && !item.done;
    return item.claimed;
}

void VerifyAhead::Wait(VerifyItem& item, const std::function<void()>& between) {
    plat::MutexLock hold(mutex_);
    awaited_ = &item;
    while (!ready_.WaitFor(mutex_, 50, [&item]() { return item.done; })) {
        hold.Unlock();
        between();
        hold.Lock();
    }
    awaited_ = nullptr;
}

static SyncEntry VerifySizeAndDate(const SyncList& list, size_t k) {
    const plat::ListingRecord& record = list.listing.records[list.kept[k]];
    SyncEntry entry;
    entry.Size = static_cast<int64_t>(record.size);
    entry.Date = record.modified;
    return entry;
}

// The pair of a planned file. Sizes that differ need no reading: its
// verdict is there before anyone could take it.
static std::shared_ptr<VerifyItem> VerifyItemFor(const VerifyPlan& plan, const VerifyPlan::Candidate& file) {
    auto item = std::make_shared<VerifyItem>();
    item->source = plan.sourceDir + plan.source.Name(file.source);
    item->dest = plan.destDir + plan.dest.Name(file.dest);
    item->size = plan.source.listing.records[plan.source.kept[file.source]].size;
    if (item->size != plan.dest.listing.records[plan.dest.kept[file.dest]].size) {
        item->result = {CompareOutcome::Differs};
        item->done = true;
    }
    return item;
}

// Hands out the planned files whose turn comes before the next
// subdirectory (whose walk would otherwise wait behind them), up to the
// bound. Only once half of those handed are taken: comparers that ran dry
// are then woken for many files at once, not for each file's turn.
static void VerifyHandOut(VerifyPlan& plan, size_t at) {
    if (!plan.ahead.HasComparers()) return;
    size_t next = plan.taken + plan.handed.size();
    if (next >= plan.files.size() || plan.handed.size() > kMaxComparesAhead / 2) return;
    if (plan.nextDir < at) plan.nextDir = at;
    while (plan.nextDir < plan.source.size() && !SyncIsDir(plan.source, plan.nextDir)) ++plan.nextDir;
    std::vector<std::shared_ptr<VerifyItem>> work;
    for (; next < plan.files.size() && plan.files[next].source < plan.nextDir && plan.handed.size() < kMaxComparesAhead;
         ++next) {
        plan.handed.push_back(VerifyItemFor(plan, plan.files[next]));
        if (!plan.handed.back()->done) work.push_back(plan.handed.back());
    }
    if (!work.empty()) plan.ahead.Hand(work);
}

// Pairs the sorted lists as the walk does and keeps the pairs of files the
// size-and-date rule calls equal. Files whose data lives online only are
// never opened, on either side.
VerifyPlan::VerifyPlan(VerifyAhead& ahead, const JobContext& job, const std::wstring& sourceDir,
                       const std::wstring& destDir, const SyncList& source, const SyncList& dest, int64_t now)
    : ahead(ahead), source(source), dest(dest), sourceDir(sourceDir), destDir(destDir) {
    if (!ahead.On()) return;
    size_t j = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        int order = 1;
        while (j < dest.size() && (order = CompareSyncNames(source, i, dest, j)) > 0) ++j;
        if (j >= dest.size() || order != 0) continue;
        const size_t d = j++;
        if (SyncIsDir(source, i) || SyncIsDir(dest, d) || SyncOnlineOnly(source, i) || SyncOnlineOnly(dest, d))
            continue;
        if (DecideCopy(VerifySizeAndDate(source, i), VerifySizeAndDate(dest, d), now, job.options.itJobMode) !=
            CopyDecision::Skip)
            continue;
        files.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(d)});
    }
    VerifyHandOut(*this, 0);
}

VerifyPlan::~VerifyPlan() {
    for (const std::shared_ptr<VerifyItem>& item : handed) item->stop = true;
    // A comparer still on one of them stops at its next block; what it
    // holds is its own.
}

// Compared on the run's thread: the bar for a file of several blocks, the
// event drain between blocks, and "Abbrechen".
static void VerifyHere(VerifyAhead& ahead, VerifyItem& item) {
    const bool bar = item.size > kVerifyBlock;
    item.result = CompareContents(item.source, item.dest, item.size, ahead.Own(), [&item, bar](uint64_t compared) {
        if (bar) ShowFileProgress(static_cast<int>(compared * 100 / item.size));
        DrainEvents();
        return !CancelPending();
    });
    if (bar) ShowFileProgress(0);
}

// A comparer has it (or its verdict was there from the start): it is
// waited for as a copy is, with the bar, the event drains and "Abbrechen",
// which stops the comparer at its next block.
static void VerifyWait(VerifyAhead& ahead, VerifyItem& item) {
    const bool bar = item.size > kVerifyBlock;
    ahead.Wait(item, [&item, bar] {
        if (bar) ShowFileProgress(static_cast<int>(item.compared * 100 / item.size));
        DrainEvents();
        if (CancelPending()) item.stop = true;
    });
    if (bar) ShowFileProgress(0);
}

bool VerifyDiffers(VerifyPlan& plan, RunTally& tally, size_t at) {
    // Planned files passed over on the way had no turn (a cancel, a
    // decision that changed since): they are dropped.
    while (plan.taken < plan.files.size() && plan.files[plan.taken].source < at) {
        ++plan.taken;
        if (plan.handed.empty()) continue;
        plan.handed.front()->stop = true;
        plan.handed.pop_front();
    }
    if (plan.taken >= plan.files.size() || plan.files[plan.taken].source != at) return false;
    const VerifyPlan::Candidate file = plan.files[plan.taken++];
    std::shared_ptr<VerifyItem> item;
    if (!plan.handed.empty()) {
        item = std::move(plan.handed.front());
        plan.handed.pop_front();
    }
    VerifyHandOut(plan, at);
    if (!item) item = VerifyItemFor(plan, file);
    // The same status line whoever compares it.
    if (item->size > kVerifyBlock) ShowStatusLine(item->source);
    if (plan.ahead.Claim(*item))
        VerifyHere(plan.ahead, *item);
    else
        VerifyWait(plan.ahead, *item);
    return TakeVerdict(tally, *item);
}

}  // namespace engine
