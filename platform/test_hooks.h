// Where the test build reaches into the program: each entry is null in the
// program, which never fills them; the test build's *_testing.cpp files
// fill them before main (a static initialiser each), so a call site costs a
// load and a compare. Tresoro.exe links no *_testing.cpp file
// (tests/no_test_hooks.cmake checks its symbols).
#pragma once

#include <cstdint>

namespace plat {

enum class FaultOp;

struct TestHooks {
    // Fault injection (platform/common/fault_testing.cpp).
    bool (*faultHit)(FaultOp op) = nullptr;
    bool (*faultRepeats)(FaultOp op) = nullptr;
    bool (*faultArmed)() = nullptr;
    bool (*flushSkipped)() = nullptr;
    // Counts the pauses at a locked file instead of waiting them.
    void (*lockPause)(uint32_t milliseconds) = nullptr;
    // The shutdown intercept (platform/common/power_hook_testing.cpp).
    bool (*shutdownIntercepted)(uint32_t flags, uint32_t reason, int& code) = nullptr;
    // The notification area refuses an add, as Explorer does while it
    // starts (platform/win32/gui_testing.cpp).
    bool (*trayAddRefused)() = nullptr;
};

extern TestHooks g_testHooks;

}  // namespace plat
