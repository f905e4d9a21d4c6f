// The tray icon and the status image alternate while a run works, so that a
// minimised window still shows that something happens.
#include <chrono>
#include <thread>

#include "engine/display.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "platform/clock.h"

namespace engine {

constexpr int kAnimFrameMillis = 700;
constexpr int kAnimSleepStepMillis = 10;
constexpr uint32_t kAnimEventWaitMillis = 100;

// Owned by the main thread: started by a run, joined at its end.
static std::thread g_animThread;

// Sleeps one frame in short steps so that the end of a run does not wait a
// whole frame for the thread to notice.
static void AnimSleepFrame() {
    for (int slept = 0; slept < kAnimFrameMillis && RunAnimating.load() == 1; slept += kAnimSleepStepMillis)
        std::this_thread::sleep_for(std::chrono::milliseconds(kAnimSleepStepMillis));
}

void AnimateRunIcon() {
    int phase = 0;
    while (RunAnimating.load() == 1) {
        const Icon frame = phase == 1 ? Icon::Idle : Icon::Busy;
        ShowTrayIcon(frame);
        ShowStatusImage(frame);
        phase = phase == 1 ? 0 : 1;
        AnimSleepFrame();
    }
    RunAnimating = -1;
}

void StartRunAnimation() {
    // A run that ended without StopRunAnimation (a test's) leaves its thread
    // to end here.
    if (g_animThread.joinable()) StopRunAnimation();
    RunAnimating = 1;
    g_animThread = std::thread(AnimateRunIcon);
}

// The thread's window calls are posted to the main thread, which keeps
// dispatching while it waits, so a frame in flight always gets through and
// the thread ends within a sleep step.
void StopRunAnimation() {
    if (!g_animThread.joinable()) return;
    RunAnimating = 0;
    while (RunAnimating.load() != -1) {
        WaitEvents(kAnimEventWaitMillis);
        // A display whose wait returns at once must not starve the thread.
        if (RunAnimating.load() != -1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    g_animThread.join();
}

}  // namespace engine
