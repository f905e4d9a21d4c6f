// What stays process-wide around the runs: the cancel request from the
// window, the animation and blink threads. What one run owns is in
// run_context.h; the timed start and end keep theirs in countdown.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/run_context.h"

namespace engine {

struct RunState {
    // Set by the window's event handler ("Abbrechen", close box); main thread only.
    int32_t CancelRequested = 0;
};

RunState& R();
// Whether the user asked to stop ("Abbrechen", the close box): the run's
// steps ask this, not the state behind it.
bool CancelPending();
// Forgets a cancel request: one left over must not stop what starts next.
void ClearCancel();
// Shared with the icon animation and blink threads, hence atomic.
// RunAnimating: 1 while the animation shall run, 0 to stop it, -1 once stopped.
extern std::atomic<int32_t> RunAnimating;
extern std::atomic<int8_t> Blinking;

// Back to the start state, the countdowns' included; for tests.
void ResetRunState();

}  // namespace engine
