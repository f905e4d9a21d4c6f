// The event queue of the headless model. Queued events come first; when
// there are none, the next queued user action is carried out, which may
// queue events in turn. A wait with nothing to deliver lets the fake clock
// run instead of sleeping.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/clock.h"
#include "platform/common/fake_clock.h"
#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

// Waits in a row without an event after which a test is taken to hang:
// more than a day of one-second heartbeats.
static constexpr uint64_t kEventsIdleLimit = 100000;

static bool EventsTake(GuiEvent& out) {
    Model& m = M();
    RetryTrayAdds();
    for (;;) {
        if (!m.events.empty()) {
            out = m.events.front();
            m.events.pop_front();
            m.idleWaits = 0;
            return true;
        }
        if (m.actions.empty()) return false;
        UserAction action = m.actions.front();
        m.actions.pop_front();
        if (!ApplyAction(action)) ++m.dropped;
    }
}

bool PollEvent(GuiEvent& out) {
    Guard guard(M().lock);
    out = GuiEvent{};
    return EventsTake(out);
}

bool WaitEvent(uint32_t timeoutMs, GuiEvent& out) {
    {
        Guard guard(M().lock);
        out = GuiEvent{};
        if (EventsTake(out)) return true;
        if (++M().idleWaits > kEventsIdleLimit) {
            std::fprintf(stderr,
                         "headless gui: the program has waited for the user %llu times in a row "
                         "with nothing queued; a test is missing a user action\n",
                         static_cast<unsigned long long>(M().idleWaits - 1));
            std::abort();
        }
    }
    // Nobody would ever come: an endless wait returns at once on the model.
    if (timeoutMs == 0 || timeoutMs == kWaitForever) return false;
    uint32_t tick = 0;
    if (FakeClockTick(tick))
        AdvanceFakeClock(timeoutMs);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return false;
}

}  // namespace plat
