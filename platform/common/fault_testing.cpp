#include "platform/fault.h"

#include <array>
#include <atomic>

#include "platform/errors.h"

namespace plat {

namespace {
struct FaultSlot {
    int countdown = 0;  // 0 = armed for nothing
    bool persistent = false;
    bool firing = false;
    uint32_t code = 0;
};
std::array<FaultSlot, static_cast<size_t>(FaultOp::Count_)> g_slots;
// Armed by InjectHalt: the operation whose countdown ends the run, and
// whether it has ended it.
int g_haltOp = -1;
bool g_halted = false;
std::function<void(uint32_t)> g_lockPause;
uint32_t g_lockPaused = 0;
// Read by the writer threads that prepare copies.
std::atomic<bool> g_flushSkipped{false};
}  // namespace

void InjectFault(FaultOp op, int nth, uint32_t code, bool persistent) {
    FaultSlot& slot = g_slots[static_cast<size_t>(op)];
    slot.countdown = nth < 1 ? 1 : nth;
    slot.persistent = persistent;
    slot.firing = false;
    slot.code = code;
}

void InjectHalt(FaultOp op, int nth) {
    InjectFault(op, nth, kErrRequestAborted);
    g_haltOp = static_cast<int>(op);
    g_halted = false;
}

bool HaltReached() { return g_halted; }

void ClearFaults() {
    g_slots = {};
    g_haltOp = -1;
    g_halted = false;
    g_lockPause = nullptr;
    g_lockPaused = 0;
}

void SetLockPauseForTest(std::function<void(uint32_t)> pause) { g_lockPause = std::move(pause); }

uint32_t LockPausedForTest() { return g_lockPaused; }

static void TakeLockPause(uint32_t milliseconds) {
    g_lockPaused += milliseconds;
    if (g_lockPause) g_lockPause(milliseconds);
}

void SetFlushSkippedForTest(bool skip) { g_flushSkipped = skip; }

static bool FlushSkippedNow() { return g_flushSkipped; }

static bool AnyFaultArmed() {
    if (g_halted) return true;
    for (const FaultSlot& slot : g_slots)
        if (slot.countdown != 0 || slot.firing) return true;
    return false;
}

static bool Hit(FaultOp op) {
    if (g_halted) {
        SetLastError(kErrRequestAborted);
        return true;
    }
    FaultSlot& slot = g_slots[static_cast<size_t>(op)];
    if (slot.firing) {
        SetLastError(slot.code);
        return true;
    }
    if (slot.countdown == 0) return false;
    if (--slot.countdown > 0) return false;
    if (slot.persistent) slot.firing = true;
    if (static_cast<int>(op) == g_haltOp) g_halted = true;
    SetLastError(slot.code);
    return true;
}

static bool Repeats(FaultOp op) {
    const FaultSlot& slot = g_slots[static_cast<size_t>(op)];
    if (!g_halted && !slot.firing) return false;
    SetLastError(g_halted ? kErrRequestAborted : slot.code);
    return true;
}

// Every test program links this file, so its hooks are in place before
// main; the program links it never.
static const bool g_hooked = [] {
    g_testHooks.faultHit = &Hit;
    g_testHooks.faultRepeats = &Repeats;
    g_testHooks.faultArmed = &AnyFaultArmed;
    g_testHooks.flushSkipped = &FlushSkippedNow;
    g_testHooks.lockPause = &TakeLockPause;
    return true;
}();

}  // namespace plat
