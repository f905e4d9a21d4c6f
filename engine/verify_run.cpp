// "Prüfen" as a run: its options, and the end of a "/VERIFY" run.
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "engine/verify.h"

namespace engine {

RunOptions VerifyOptions() {
    RunOptions options;
    options.IgnoreInterval = true;
    options.Verify = true;
    return options;
}

int32_t VerifyExitCode(const Run& run, bool cancelled) {
    return cancelled || run.tally.FilesDiffering != 0 || run.tally.RunErrorCount != 0 ? 1 : 0;
}

void EndVerifyRun(const Run& run) {
    CountdownState& countdown = Countdown();
    countdown.ExitCode = VerifyExitCode(run, CancelPending());
    countdown.QuitRequested = 1;
    LockRunControls(false);
    ShowFileProgress(0);
    ReleaseCancelButton();
}

void EndStartedRun(const Run& run) {
    if (Countdown().VerifyAndQuit)
        EndVerifyRun(run);
    else
        EndRun(run);
}

}  // namespace engine
