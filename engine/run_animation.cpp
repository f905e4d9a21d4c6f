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
constexpr uint32_t kAnimStopWaitMillis = 5000;
constexpr uint32_t kAnimEventWaitMillis = 100;

// Owned by the main thread; the thread object of the current (or last) run.
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
    // StopRunAnimation joined or detached the last run's thread.
    if (g_animThread.joinable()) g_animThread.detach();
    RunAnimating = 1;
    g_animThread = std::thread(AnimateRunIcon);
}

// The animation may be stuck in a window call that needs the main thread
// (a tray update sends a message), so the main thread keeps dispatching while
// it waits, and gives up after five seconds instead of hanging.
void StopRunAnimation() {
    RunAnimating = 0;
    const uint32_t start = plat::Tick();
    while (RunAnimating.load() != -1 && plat::Tick() - start < kAnimStopWaitMillis) {
        WaitEvents(kAnimEventWaitMillis);
        // A display whose wait returns at once must not starve the thread.
        if (RunAnimating.load() != -1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!g_animThread.joinable()) return;
    if (RunAnimating.load() == -1)
        g_animThread.join();
    else
        g_animThread.detach();
}

}  // namespace engine
