// The test intercept of the shutdown request, shared by both implementations.
#pragma once

#include <cstdint>

namespace plat {

// True when the request must not reach the system: `code` is then the
// intercept's answer, or kShutdownRefused in a test process without one.
// The shipped program has no intercept (see platform/fault.h).
#ifdef TRESORO_TEST_HOOKS
bool ShutdownIntercepted(uint32_t flags, uint32_t reason, int& code);
#else
inline bool ShutdownIntercepted(uint32_t, uint32_t, int&) { return false; }
#endif

}  // namespace plat
