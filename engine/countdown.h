// The timed start ("/S") and the end of a run: the countdowns in the status
// line that the user stops with "Abbrechen", the program end and the
// Windows shutdown after an unattended run.
#pragma once

#include <cstdint>

namespace engine {

// The state of the timed start and of the program's end; main thread only.
struct CountdownState {
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
    // What the program ends with: set by the end of an unattended run
    // (engine/notice.h) or of a "/VERIFY" run, 0 until then.
    int32_t ExitCode = 0;
    // "/VERIFY": the timed start runs "Prüfen" and the program then ends at
    // once (EndVerifyRun), with the exit code it leaves here.
    bool VerifyAndQuit = false;
};

// The one countdown state of the process: set by the command line and the
// window, stepped by the main loop and the end of a run.
CountdownState& Countdown();

// One turn of the start countdown, called by the main loop after every
// general event and every wait time-out (at least once a second). While
// StartCountdown > 0 it blinks the status line and "Abbrechen", drops the
// timed run when CancelRequested is set (clearing both), and otherwise,
// once a second has passed since its last step, counts one second down and
// shows it; at 0 it starts RunBackup with the intervals respected (through
// the display's startTimedRun). After a
// dropped countdown the next turn clears the status line and unlocks the
// controls.
void StartCountdownTick();

// Counts `seconds` down in the status line ("Programm wird beendet ..." or,
// with "Herunterfahren wenn fertig" ticked, "Windows herunterfahren ...")
// and the progress bar, taking one window event per pass (up to 1000 ms).
// Completed, it sets QuitRequested; cancelled, it clears the status line and
// releases "Abbrechen". EndDelay is 0 afterwards either way.
void EndCountdown(int32_t seconds);

// After a run that was not cancelled (`errors`: it counted any): the
// program-end countdown of EndDelay seconds (300 more after errors), then with "Herunterfahren wenn fertig"
// a further 15 seconds (300 after errors); unless cancelled, the
// configuration is written, Windows is asked to power off and the program
// ends at once. Returns when nothing ends the program here; QuitRequested
// then tells the main loop whether to end it.
void RunEndSequence(bool errors);

// Whether the end sequence after this run would count down (EndDelay set,
// or "Herunterfahren wenn fertig" ticked); errors then delay it.
bool EndSequencePending();

}  // namespace engine
