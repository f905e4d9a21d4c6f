// What stays process-wide around the runs: the cancel request from the
// window, the timed start and end, the animation and blink threads. What
// one run owns is in run_context.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/run_context.h"

namespace engine {

struct RunState {
    // Set by the window's event handler ("Abbrechen", close box); main thread only.
    int32_t CancelRequested = 0;
    // Seconds; owned by the timed start. EndDelay > 0 after "/S<n>".
    int32_t StartCountdown = 0;
    int32_t EndDelay = 0;
    // Tick of the start countdown's last step; 0 at start, so the first
    // tick of the main loop already takes a step.
    uint32_t LastStepTick = 0;
    // A start countdown was shown and its status line must be cleared.
    bool CountdownShown = false;
    // Set by a completed end countdown (and by "Beenden" and the close box);
    // the main loop then saves the logs and the configuration and ends.
    int32_t QuitRequested = 0;
};

RunState& R();
// Whether the user asked to stop ("Abbrechen", the close box): the run's
// steps ask this, not the state behind it.
bool CancelPending();
// Shared with the icon animation and blink threads, hence atomic.
// RunAnimating: 1 while the animation shall run, 0 to stop it, -1 once stopped.
extern std::atomic<int32_t> RunAnimating;
extern std::atomic<int8_t> Blinking;

// Back to the start state; for tests.
void ResetRunState();

}  // namespace engine
