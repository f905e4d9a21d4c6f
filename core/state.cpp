#include "core/state.h"

namespace core {

static State g_state;

State& S() { return g_state; }

void ResetState() { g_state = State{}; }

size_t JobIndex(const List<Job>& jobs, int32_t sid) {
    if (sid == 0) return kNoJob;
    for (size_t i = 0; i < jobs.items.size(); ++i)
        if (jobs.items[i].Sid == sid) return i;
    return kNoJob;
}

Job* FindJob(int32_t sid) {
    const size_t at = JobIndex(g_state.Jobs, sid);
    return at == kNoJob ? nullptr : &g_state.Jobs.items[at];
}

}  // namespace core
