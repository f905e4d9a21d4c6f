// The test intercept of the shutdown request, shared by both implementations.
#pragma once

#include <cstdint>

namespace plat {

// True when the request must not reach the system: `code` is then the
// intercept's answer, or kShutdownRefused in a test process without one.
bool ShutdownIntercepted(uint32_t flags, int& code);

}  // namespace plat
