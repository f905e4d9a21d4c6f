// The portable layer never shuts its host down: the request answers as a
// test's intercept says, and otherwise as a refused ExitWindowsEx. Its host
// is kept awake by nobody; the state is only kept for the tests to read.
#include "platform/power.h"
#include "platform/common/power_hook.h"
#include "platform/posix/host.h"

namespace plat {

uint32_t HoldSystemAwake(bool hold) {
    const uint32_t before = posix::T().awakeState;
    posix::T().awakeState = kAwakeContinuous | (hold ? kAwakeSystemRequired : 0u);
    return before;
}

int RequestShutdown(uint32_t flags, uint32_t reason) {
    int code = kShutdownRefused;
    ShutdownIntercepted(flags, reason, code);
    return code;
}

}  // namespace plat
