// What follows an unattended run: the program-end countdown of "/S<n>" and
// the shutdown countdown of "Herunterfahren wenn fertig".
#include <cstdint>

#include "core/config.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "engine/shutdown.h"

namespace engine {

// Errors give the user five more minutes to read them before anything ends.
constexpr int64_t kEndErrorExtraSeconds = 300;
constexpr int64_t kShutdownGraceSeconds = 15;

// "/S" accepts any number, so the sum may pass the 32-bit range.
static int32_t EndSeconds(int64_t seconds) { return seconds > INT32_MAX ? INT32_MAX : static_cast<int32_t>(seconds); }

void RunEndSequence(bool errors) {
    const CountdownState& countdown = Countdown();
    if (countdown.EndDelay > 0)
        EndCountdown(EndSeconds(int64_t{countdown.EndDelay} + (errors ? kEndErrorExtraSeconds : 0)));
    if (!ShutdownChecked()) return;
    // EndDelay is 0 here when the countdown above ran: a further 15 or 300 s.
    EndCountdown(EndSeconds(int64_t{countdown.EndDelay} + (errors ? kEndErrorExtraSeconds : kShutdownGraceSeconds)));
    // A cancel in the first countdown stops this one after its first wait.
    if (CancelPending()) return;
    // The job dates of this run must survive the power-off; the logs were
    // saved by the run.
    core::WriteConfig();
    ShutDown();
    // A failed request ends the program too: the user has been told, and an
    // unattended machine should not be left with the program waiting.
    EndProgramNow();
}

bool EndSequencePending() { return Countdown().EndDelay > 0 || ShutdownChecked(); }

}  // namespace engine
