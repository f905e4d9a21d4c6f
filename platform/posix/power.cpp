// The portable layer never shuts its host down: the request answers as a
// test's intercept says, and otherwise as a refused ExitWindowsEx.
#include "platform/power.h"
#include "platform/common/power_hook.h"

namespace plat {

int RequestShutdown(uint32_t flags) {
    int code = kShutdownRefused;
    ShutdownIntercepted(flags, code);
    return code;
}

}  // namespace plat
