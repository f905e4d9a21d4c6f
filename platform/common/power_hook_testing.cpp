#include "platform/common/power_hook.h"

#include <atomic>

#include "platform/power.h"
#include "platform/test_hooks.h"

namespace plat {

static std::atomic<ShutdownHook> g_powerHook{nullptr};
// Once a test has touched the intercept, this process is a test process and
// never powers anything off, even if a later test forgets its intercept.
static std::atomic<bool> g_powerRefuseReal{false};
static std::atomic<uint32_t> g_powerReason{0};

void SetShutdownHookForTest(ShutdownHook hook) {
    g_powerRefuseReal = true;
    g_powerHook = hook;
}

void ResetShutdownForTest() {
    SetShutdownHookForTest(nullptr);
    g_powerReason = 0;
}

uint32_t LastShutdownReasonForTest() { return g_powerReason.load(); }

static bool Intercepted(uint32_t flags, uint32_t reason, int& code) {
    if (const ShutdownHook hook = g_powerHook.load()) {
        g_powerReason = reason;
        code = hook(flags);
        return true;
    }
    if (g_powerRefuseReal.load()) {
        code = kShutdownRefused;
        return true;
    }
    return false;
}

static const bool g_hooked = [] {
    g_testHooks.shutdownIntercepted = &Intercepted;
    return true;
}();

}  // namespace plat
