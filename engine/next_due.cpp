// When a job with a backup interval is due again. The day of a run starts at
// GFirstNext o'clock, so a backup made in the small hours still counts for
// the evening before and the job is due again the same morning.
#include "engine/run.h"
#include "platform/clock.h"

namespace engine {

constexpr int64_t kDueDaySeconds = 86400;

// Local midnight of a date; the division truncates as the program always did.
static int64_t DueDay(int64_t date) { return date / kDueDaySeconds * kDueDaySeconds; }

int64_t NextDue(const core::Job& job, int32_t firstNext) {
    const int64_t firstHour = firstNext;
    const int64_t last = job.LastBup;
    const int64_t interval = job.BupInterval;
    const int lastHour = plat::SplitDate(last).hour;
    const int64_t days = lastHour < firstHour ? interval - 1 : interval;
    return DueDay(last + days * kDueDaySeconds) + firstHour * 3600;
}

bool DueBySimpleTest(const core::Job& job, bool ignoreInterval, int64_t now) {
    if (ignoreInterval || job.BupInterval == 0) return true;
    return job.LastBup + static_cast<int64_t>(job.BupInterval) * kDueDaySeconds < now;
}

}  // namespace engine
