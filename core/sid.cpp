#include "core/sid.h"

#include <chrono>
#include <random>
#include <string>
#include <unordered_set>

#include "core/report.h"
#include "core/state.h"

namespace core {

static constexpr int kSidMaxDraws = 10001;

int32_t (*g_sidSource)() = nullptr;

// Some std::random_device implementations (older MinGW runtimes) yield the
// same sequence in every process, so the clock is mixed into the seed: two
// installations must not hand out the same identifiers in the same order.
static std::mt19937& SidEngine() {
    static std::mt19937 engine = [] {
        std::random_device device;
        auto ticks = static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::seed_seq seed{
            device(), device(), device(), device(), static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32)};
        return std::mt19937(seed);
    }();
    return engine;
}

// Only positive values: 0 means "no Sid" to every caller, and a negative
// number would be refused by them as well.
static int32_t SidDraw() {
    if (g_sidSource) return g_sidSource();
    static std::uniform_int_distribution<int32_t> range(1, 2147483647);
    return range(SidEngine());
}

static bool SidTaken(const SidCounts& taken, int32_t sid) {
    return sid <= 0 || taken.count(sid) > 0;  // a replaced source may deliver anything
}

SidCounts CurrentSidCounts() {
    SidCounts counts;
    for (const Job& job : S().Jobs.items) ++counts[job.Sid];
    return counts;
}

void MoveSidCount(SidCounts& counts, int32_t oldSid, int32_t newSid) {
    auto it = counts.find(oldSid);
    if (it != counts.end() && --it->second <= 0) counts.erase(it);
    ++counts[newSid];
}

int32_t NewSid() { return NewSid(CurrentSidCounts()); }

int32_t NewSid(const SidCounts& taken) {
    int draws = 0;
    int32_t sid = 0;
    do {
        sid = SidDraw();
        ++draws;
    } while (SidTaken(taken, sid) && draws < kSidMaxDraws);
    if (draws >= kSidMaxDraws) {
        Log(L"PrgErr: Konnte keine Sid erstellen! Nach 10000 Versuchen gestoppt! "
            L"Jobs()-Listengrösse:" +
                std::to_wstring(S().Jobs.Size()),
            kLogError);
        Message(L"Meldung", L"Fehler! Konnte keine Sid erstellen! Nach 10000 Versuchen gestoppt!");
        return 0;
    }
    return sid;
}

// Removes the entries whose Sid is not in `sids`, keeping the order.
template <typename T>
static void SidDropOrphans(List<T>& list, const std::unordered_set<int32_t>& sids) {
    std::erase_if(list.items, [&](const T& entry) { return sids.count(entry.Sid) == 0; });
}

void RemoveOrphans() {
    std::unordered_set<int32_t> sids;
    for (const Job& job : S().Jobs.items) sids.insert(job.Sid);
    SidDropOrphans(S().Excludes, sids);
    SidDropOrphans(S().ArcIndiv, sids);
}

}  // namespace core
