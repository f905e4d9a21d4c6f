#include "engine/run_state.h"

#include "engine/countdown.h"

namespace engine {

static RunState g_run;
std::atomic<int32_t> RunAnimating{0};
std::atomic<int8_t> Blinking{0};

RunState& R() { return g_run; }

bool CancelPending() { return g_run.CancelRequested != 0; }

void ClearCancel() { g_run.CancelRequested = 0; }

void ResetRunState() {
    g_run = RunState{};
    Countdown() = CountdownState{};
    RunAnimating = 0;
    Blinking = 0;
}

}  // namespace engine
