// Whether a source file replaces its copy, by date and (in the forced
// IT-job mode) by size. Rows are tried in order; the first that fits decides.
#include "engine/run_state.h"
#include "engine/sync.h"

namespace engine {

static constexpr int64_t kDecisionTolerance = 2;  // seconds; FAT keeps 2-second times
static constexpr int64_t kDecisionHour = 3600;

// A clock change or a FAT volume against NTFS shifts every date by whole
// hours; such a file has not changed and must not be copied again. FAT's
// 2-second rounding can land on either side of the hour, so the tolerance
// holds around exactly 0, 1 and 2 hours, below as well as above.
bool IsHourShift(int64_t delta) {
    const int64_t distance = delta < 0 ? -delta : delta;
    for (int64_t hours = 0; hours <= 2; ++hours) {
        const int64_t off = distance - hours * kDecisionHour;
        if (off >= -kDecisionTolerance && off <= kDecisionTolerance) return true;
    }
    return false;
}

CopyDecision DecideCopy(const SyncEntry& source, const SyncEntry& dest, int64_t now, ItJobMode itJobMode) {
    const bool forced = itJobMode == ItJobMode::Forced;
    // Size alone never triggers a copy, except in the forced mode.
    if (source.Size != dest.Size && forced) return CopyDecision::Copy;
    const int64_t delta = source.Date - dest.Date;
    if (delta > kDecisionTolerance) {
        if (IsHourShift(delta)) return CopyDecision::Skip;
        return CopyDecision::ArchiveAndCopy;
    }
    if (source.Date > now) return forced ? CopyDecision::Copy : CopyDecision::SkipFutureDate;
    if (delta < -kDecisionTolerance) {
        if (IsHourShift(delta)) return CopyDecision::Skip;
        return forced ? CopyDecision::Copy : CopyDecision::SkipDestNewer;
    }
    return CopyDecision::Skip;
}

}  // namespace engine
