// The test intercept of the shutdown request, shared by both implementations.
#pragma once

#include <cstdint>

#include "platform/test_hooks.h"

namespace plat {

// True when the request must not reach the system: `code` is then the
// intercept's answer, or kShutdownRefused in a test process without one.
// The shipped program has no intercept (see platform/test_hooks.h).
inline bool ShutdownIntercepted(uint32_t flags, uint32_t reason, int& code) {
    return g_testHooks.shutdownIntercepted != nullptr && g_testHooks.shutdownIntercepted(flags, reason, code);
}

}  // namespace plat
