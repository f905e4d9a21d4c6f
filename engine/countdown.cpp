#include "engine/countdown.h"

#include <string>

#include "engine/display.h"
#include "engine/run_state.h"
#include "engine/verify.h"
#include "platform/clock.h"

namespace engine {

constexpr uint32_t kCountdownStepMillis = 1000;

static CountdownState g_countdown;

CountdownState& Countdown() { return g_countdown; }

// Both countdowns blink the status line with the button; a run already
// blinking keeps its threads.
static void CountdownBlink() {
    if (Blinking.load() != 0) return;
    Blinking = 1;
    BlinkStatusAndCancel();
}

void StartCountdownTick() {
    CountdownState& countdown = g_countdown;
    if (countdown.StartCountdown > 0) {
        CountdownBlink();
        if (CancelPending()) {
            // The display is cleared on the next turn, by the branch below.
            // Start-up locked the controls and showed the first number when
            // it armed the countdown, so there is a display to clear even
            // when no step has been taken yet.
            countdown.StartCountdown = 0;
            ClearCancel();
            countdown.CountdownShown = true;
            return;
        }
        const uint32_t tick = plat::Tick();
        // A full second counts as one step: the main loop's heartbeat is
        // exactly one second, and "more than" would step only every other beat.
        if (tick - countdown.LastStepTick < kCountdownStepMillis) return;
        countdown.LastStepTick = tick;
        countdown.CountdownShown = true;
        countdown.StartCountdown -= 1;
        if (countdown.StartCountdown > 0) {
            ShowStatusLine(L"Backup wird in " + std::to_wstring(countdown.StartCountdown) + L" Sekunden gestartet!");
            return;
        }
        StopBlinking();
        // The run shows its result in the status line and unlocks the
        // controls itself; clearing the countdown's display afterwards would
        // wipe the result of the unattended run.
        countdown.CountdownShown = false;
        if (countdown.VerifyAndQuit) {
            RunOptions options = VerifyOptions();
            options.Unattended = true;
            StartTimedRun(options);
            return;
        }
        RunOptions options;
        options.Unattended = true;
        StartTimedRun(options);
        return;
    }
    if (countdown.CountdownShown) {
        ShowStatusLine(L"");
        LockRunControls(false);
        StopBlinking();
        countdown.CountdownShown = false;
    }
}

// Measured with the tick, not the wall clock: an unattended start at boot
// is when the clock is set by time synchronisation, and a clock set back
// must not stretch the countdown, nor one set forward cut it short.
void EndCountdown(int32_t seconds) {
    CountdownState& countdown = g_countdown;
    const std::wstring prefix = ShutdownChecked() ? L"Windows herunterfahren (stoppen mit 'Abbrechen'): "
                                                  : L"Programm wird beendet (stoppen mit 'Abbrechen'): ";
    CountdownBlink();
    const uint32_t startTick = plat::Tick();
    int64_t remaining = 1;
    int64_t shown = 0;
    while (remaining > 0) {
        remaining = int64_t{seconds} - (plat::Tick() - startTick) / kCountdownStepMillis;
        if (remaining < 0) remaining = 0;
        if (remaining != shown) {
            // The bar runs down from 100 to 0; 64 bits, as "/S" takes any number.
            ShowFileProgress(static_cast<int>(remaining * 100 / seconds));
            ShowStatusLine(prefix + std::to_wstring(remaining));
            shown = remaining;
        }
        WaitWindowEvent(kCountdownStepMillis);
        if (CancelPending()) break;
    }
    StopBlinking();
    countdown.EndDelay = 0;
    if (CancelPending()) {
        ShowStatusLine(L"");
        ReleaseCancelButton();
    } else {
        countdown.QuitRequested = 1;
    }
}

}  // namespace engine
