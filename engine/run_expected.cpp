// The expected number of source entries of a run, from what each job
// handled last time; it turns the progress count into a percentage.
#include <limits>

#include "engine/run.h"
#include "platform/fs.h"

namespace engine {

int32_t ExpectedEntries(const std::vector<core::Job>& jobs, bool ignoreInterval, int64_t now) {
    int64_t total = 0;
    for (const core::Job& job : jobs) {
        if (!(job.Flags & core::kFlagSelected)) continue;
        if (!DueBySimpleTest(job, ignoreInterval, now)) continue;
        if (job.EntryCount != 0 && plat::DirExists(job.Src) && plat::DirExists(job.Dest)) {
            total += job.EntryCount;
            continue;
        }
        // A job that must run but cannot be counted makes any total wrong;
        // an optional one may just be skipped and is left out.
        if (!(job.Flags & core::kFlagOptional)) return 0;
    }
    if (total > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (total < 0) return 0;
    return static_cast<int32_t>(total);
}

}  // namespace engine
