#include "ui/blink.h"

#include <chrono>
#include <thread>
#include <vector>

#include "engine/run_state.h"
#include "platform/gui.h"

namespace ui {

using engine::Blinking;

constexpr int kBlinkFirstPauseMillis = 100;
constexpr int kBlinkPhaseMillis = 700;
constexpr int kBlinkSleepStepMillis = 70;
constexpr int kBlinkFontPoints = 9;

// The window thread's own: started and joined there only.
static std::vector<std::thread> g_blinkThreads;

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
    for (int widget : widgets) g_blinkThreads.emplace_back(BlinkWidget, widget);
}

void JoinBlinkThreads() {
    for (std::thread& thread : g_blinkThreads) thread.join();
    g_blinkThreads.clear();
}

int32_t BlinkThreadsRunning() { return static_cast<int32_t>(g_blinkThreads.size()); }

}  // namespace ui
