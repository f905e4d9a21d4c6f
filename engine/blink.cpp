#include "engine/blink.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/run_state.h"
#include "platform/gui.h"

namespace engine {

constexpr int kBlinkFirstPauseMillis = 100;
constexpr int kBlinkPhaseMillis = 700;
constexpr int kBlinkSleepStepMillis = 70;
constexpr int kBlinkStopWaitMillis = 1000;
constexpr int kBlinkStopPollMillis = 2;
constexpr int kBlinkFontPoints = 9;

static std::atomic<int32_t> g_blinkThreads{0};

// Sleeps in steps of 70 ms so that a cleared Blinking is seen quickly;
// false when it was cleared.
static bool BlinkSleep(int milliseconds) {
    for (int slept = 0; slept < milliseconds; slept += kBlinkSleepStepMillis) {
        if (Blinking.load() == 0) return false;
        const int step = milliseconds - slept < kBlinkSleepStepMillis ? milliseconds - slept : kBlinkSleepStepMillis;
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
    }
    return Blinking.load() != 0;
}

void BlinkWidget(int widget) {
    if (!BlinkSleep(kBlinkFirstPauseMillis)) return;
    const uint32_t own = plat::GetGadgetColor(widget);
    plat::SetGadgetFont(widget, plat::Font{L"Arial", kBlinkFontPoints, true});
    // The first phase shows the own colour, so the text turns bold before
    // it turns red. SetGadgetColor redraws, so the text need not be set again.
    bool red = false;
    while (Blinking.load() != 0) {
        plat::SetGadgetColor(widget, red ? plat::ColorRgb(255, 0, 0) : own);
        red = !red;
        BlinkSleep(kBlinkPhaseMillis);
    }
    plat::SetGadgetColor(widget, own);
    plat::SetGadgetFont(widget, plat::Font{L"Arial", kBlinkFontPoints, false});
}

void StartBlinkThreads(std::initializer_list<int> widgets) {
    for (int widget : widgets) {
        // Counted before the thread exists, so a stop right after waits for it.
        ++g_blinkThreads;
        std::thread([widget] {
            BlinkWidget(widget);
            --g_blinkThreads;
        }).detach();
    }
}

// The threads never wait for the main thread (the gui seam posts their
// changes), so this wait is short; the bound only guards against the
// unforeseen. Real time, because a test's fake clock does not move here.
void StopBlinking() {
    Blinking = 0;
    for (int waited = 0; g_blinkThreads.load() > 0 && waited < kBlinkStopWaitMillis; waited += kBlinkStopPollMillis)
        std::this_thread::sleep_for(std::chrono::milliseconds(kBlinkStopPollMillis));
}

int32_t BlinkThreadsRunning() { return g_blinkThreads.load(); }

}  // namespace engine
