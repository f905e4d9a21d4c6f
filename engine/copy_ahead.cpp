// The writers behind CopyAhead: threads that take the next handed-out file
// and prepare its copy without a name, nothing else.
#include "engine/copy_ahead.h"

#include <algorithm>

#include "engine/read_ahead.h"
#include "platform/fault.h"

namespace engine {

void CopyAhead::Writer() {
    plat::MutexLock hold(mutex_);
    for (;;) {
        ++idle_;
        work_.Wait(mutex_, [this]() REQUIRES(mutex_) { return stopping_ || !queue_.empty(); });
        --idle_;
        if (stopping_) return;
        const std::shared_ptr<AheadCopy> item = std::move(queue_.front());
        queue_.pop_front();
        if (item->claimed || item->dropped) continue;
        item->started = true;
        hold.Unlock();
        plat::PreparedCopy copy;
        const bool ok = prepare_(item->source, item->target, archiveOnly_, kCopyAheadMaxBytes, copy);
        hold.Lock();
        // A copy whose turn has passed is dropped here, as it leaves scope.
        if (!item->dropped) item->copy = std::move(copy);
        item->ok = ok;
        item->done = true;
        if (awaited_ == item.get()) ready_.NotifyAll();
    }
}

void CopyAhead::Start(const RunOptions& options, const std::wstring& sourceDir, const std::wstring& destDir) {
    prepare_ = WalkPrepareFn();
    archiveOnly_ = options.itJobMode == ItJobMode::Normal;
    if (options.CopyAhead && WalkMayRunAhead(sourceDir, destDir)) StartWriters();
}

void CopyAhead::StartRestore() {
    prepare_ = WalkPrepareFn();
    archiveOnly_ = false;
    if (!plat::FaultInjectionArmed()) StartWriters();
}

// A small copy mostly waits on the file system (on Windows its flush above
// all), so that several in turn keep the run's thread supplied.
void CopyAhead::StartWriters() {
    for (int index = 0; index < plat::PreparedCopyWriters(); ++index) writers_.emplace_back(&CopyAhead::Writer, this);
}

CopyAhead::~CopyAhead() {
    {
        plat::MutexLock hold(mutex_);
        stopping_ = true;
    }
    work_.NotifyAll();
    for (std::thread& writer : writers_) writer.join();
}

bool CopyAhead::Planning() const { return !writers_.empty(); }

// As many writers wake as there are new copies, at most every one asleep.
void CopyAhead::Hand(const std::vector<std::shared_ptr<AheadCopy>>& items) {
    size_t wake = 0;
    {
        plat::MutexLock hold(mutex_);
        queue_.insert(queue_.end(), items.begin(), items.end());
        wake = std::min(items.size(), static_cast<size_t>(idle_));
    }
    if (wake == static_cast<size_t>(writers_.size()))
        work_.NotifyAll();
    else
        for (size_t i = 0; i < wake; ++i) work_.NotifyOne();
}

std::optional<plat::PreparedCopy> CopyAhead::Claim(AheadCopy& item, bool mine, const std::wstring& target) {
    plat::MutexLock hold(mutex_);
    if (!mine || item.target != target || !item.started) {
        // Passed over, or no writer began it yet: copied at the turn.
        item.claimed = true;
        item.dropped = true;
        item.copy = plat::PreparedCopy();
        return std::nullopt;
    }
    awaited_ = &item;
    ready_.Wait(mutex_, [&item]() { return item.done; });
    awaited_ = nullptr;
    if (!item.ok) return std::nullopt;
    return std::move(item.copy);
}

void CopyAhead::DropAll(const std::deque<std::shared_ptr<AheadCopy>>& items) {
    plat::MutexLock hold(mutex_);
    for (const std::shared_ptr<AheadCopy>& item : items) {
        item->dropped = true;
        item->copy = plat::PreparedCopy();
    }
}

// Pairs the lists as the walk does. Only worth it where there is something
// new: when every source entry has a namesake, the destination has at least
// as many entries (a nothing-to-do run pays nothing).
CopyPlan::CopyPlan(CopyAhead& ahead, const std::wstring& sourceDir, const std::wstring& destDir, const SyncList& source,
                   const SyncList& dest, const std::vector<std::wstring>& links)
    : ahead(ahead), source(source), sourceDir(sourceDir), destDir(destDir) {
    if (source.size() <= dest.size() || !ahead.Planning()) return;
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

CopyPlan::~CopyPlan() { ahead.DropAll(handed); }

void CopyAheadFrom(CopyPlan& plan, size_t at) {
    size_t next = plan.taken + plan.handed.size();
    if (next >= plan.files.size() || plan.handed.size() > kRefillCopiesAhead) return;
    if (plan.nextDir < at) plan.nextDir = at;
    while (plan.nextDir < plan.source.size() && !SyncIsDir(plan.source, plan.nextDir)) ++plan.nextDir;
    std::vector<std::shared_ptr<AheadCopy>> added;
    for (; next < plan.files.size() && plan.files[next] < plan.nextDir && plan.handed.size() < kMaxCopiesAhead;
         ++next) {
        auto item = std::make_shared<AheadCopy>();
        const std::wstring name = plan.source.Name(plan.files[next]);
        item->source = plan.sourceDir + name;
        item->target = plan.destDir + name;
        plan.handed.push_back(item);
        added.push_back(std::move(item));
    }
    if (!added.empty()) plan.ahead.Hand(added);
}

std::optional<plat::PreparedCopy> TakeCopy(CopyPlan& plan, size_t at, const std::wstring& target) {
    while (plan.taken < plan.files.size() && plan.files[plan.taken] <= at) {
        const bool mine = plan.files[plan.taken] == at;
        ++plan.taken;
        if (plan.handed.empty()) continue;
        const std::shared_ptr<AheadCopy> item = std::move(plan.handed.front());
        plan.handed.pop_front();
        std::optional<plat::PreparedCopy> made = plan.ahead.Claim(*item, mine, target);
        if (made) return made;
    }
    return std::nullopt;
}

}  // namespace engine
