// The writers behind CopyAhead: threads that take the next handed-out file
// and prepare its copy without a name, nothing else.
#include "engine/copy_ahead.h"

#include "engine/read_ahead.h"
#include "platform/errors.h"

namespace engine {

// Two writers: a small copy mostly waits on the file system, so that two of
// them in turn keep the run's thread supplied.
constexpr int kWriters = 2;

static void AheadWriter(CopyAhead* ahead) {
    std::unique_lock<std::mutex> hold(ahead->lock);
    for (;;) {
        ahead->work.wait(hold, [&] { return ahead->stopping || !ahead->queue.empty(); });
        if (ahead->stopping) return;
        std::shared_ptr<AheadCopy> item = std::move(ahead->queue.front());
        ahead->queue.pop_front();
        if (item->claimed || item->dropped) continue;
        item->started = true;
        const std::wstring source = item->source, target = item->target;
        const bool archiveOnly = ahead->archiveOnly;
        hold.unlock();
        plat::PreparedCopy copy;
        const bool ok = ahead->prepare(source, target, archiveOnly, kCopyAheadMaxBytes, copy);
        const uint32_t error = ok ? 0 : plat::LastError();
        hold.lock();
        if (error == plat::kErrNotSupported) ahead->unsupported = true;
        item->copy = std::move(copy);
        item->ok = ok;
        item->done = true;
        if (item->dropped) plat::DropPreparedCopy(item->copy);
        ahead->ready.notify_all();
    }
}

void StartCopyAhead(CopyAhead& ahead, const RunOptions& options, const std::wstring& sourceDir,
                    const std::wstring& destDir) {
    ahead.prepare = WalkPrepareFn();
    ahead.archiveOnly = options.itJobMode == ItJobMode::Normal;
    if (!options.CopyAhead || !plat::CanPrepareCopies() || !WalkMayRunAhead(sourceDir, destDir)) return;
    for (int index = 0; index < kWriters; ++index) ahead.writers.emplace_back(AheadWriter, &ahead);
}

CopyAhead::~CopyAhead() {
    {
        std::lock_guard<std::mutex> hold(lock);
        stopping = true;
    }
    work.notify_all();
    for (std::thread& writer : writers) writer.join();
}

// Pairs the lists as the walk does. Only worth it where there is something
// new: when every source entry has a namesake, the destination has at least
// as many entries (a nothing-to-do run pays nothing).
CopyPlan::CopyPlan(CopyAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
                   const SyncList& dest, const std::vector<std::wstring>& links)
    : ahead(ahead), source(source), sourceDir(sourceDir), destDir(destDir) {
    if (ahead.writers.empty() || source.size() <= dest.size()) return;
    {
        std::lock_guard<std::mutex> hold(ahead.lock);
        if (ahead.unsupported) return;
    }
    size_t j = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        int order = 1;
        while (j < dest.size() && (order = CompareSyncNames(source, i, dest, j)) > 0) ++j;
        const bool paired = j < dest.size() && order == 0;
        if (paired) ++j;
        if (paired || SyncIsDir(source, i)) continue;
        if (source.listing.records[source.kept[i]].size > kCopyAheadMaxBytes) continue;
        if (!links.empty() && LinkNamed(links, source.Name(i))) continue;
        files.push_back(static_cast<uint32_t>(i));
    }
}

CopyPlan::~CopyPlan() {
    std::lock_guard<std::mutex> hold(ahead.lock);
    for (const std::shared_ptr<AheadCopy>& item : handed) {
        item->dropped = true;
        if (item->done) plat::DropPreparedCopy(item->copy);
    }
}

void CopyAheadFrom(CopyPlan& plan, size_t at) {
    size_t next = plan.taken + plan.handed.size();
    if (next >= plan.files.size() || plan.handed.size() >= kMaxCopiesAhead) return;
    if (plan.nextDir < at) plan.nextDir = at;
    while (plan.nextDir < plan.source.size() && !SyncIsDir(plan.source, plan.nextDir)) ++plan.nextDir;
    size_t added = 0;
    for (; next < plan.files.size() && plan.files[next] < plan.nextDir && plan.handed.size() < kMaxCopiesAhead;
         ++next) {
        auto item = std::make_shared<AheadCopy>();
        const std::wstring name = plan.source.Name(plan.files[next]);
        item->source = plan.sourceDir + name;
        item->target = plan.destDir + name;
        plan.handed.push_back(item);
        ++added;
    }
    if (added == 0) return;
    {
        std::lock_guard<std::mutex> hold(plan.ahead.lock);
        plan.ahead.queue.insert(plan.ahead.queue.end(), plan.handed.end() - static_cast<std::ptrdiff_t>(added),
                                plan.handed.end());
    }
    plan.ahead.work.notify_all();
}

std::shared_ptr<AheadCopy> TakeCopy(CopyPlan& plan, size_t at, const std::wstring& target) {
    // Only the run's thread touches the plan: most copies need no lock.
    if (plan.taken >= plan.files.size() || plan.files[plan.taken] > at) return nullptr;
    std::unique_lock<std::mutex> hold(plan.ahead.lock);
    while (plan.taken < plan.files.size() && plan.files[plan.taken] <= at) {
        const bool mine = plan.files[plan.taken] == at;
        ++plan.taken;
        std::shared_ptr<AheadCopy> item;
        if (!plan.handed.empty()) {
            item = std::move(plan.handed.front());
            plan.handed.pop_front();
        }
        if (!item) continue;
        if (!mine || item->target != target || !item->started) {
            // Passed over, or no writer began it yet: copied at the turn.
            item->claimed = true;
            item->dropped = true;
            if (item->done) plat::DropPreparedCopy(item->copy);
            continue;
        }
        plan.ahead.ready.wait(hold, [&] { return item->done; });
        if (item->ok) return item;
    }
    return nullptr;
}

}  // namespace engine
