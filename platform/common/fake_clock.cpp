#include "platform/common/fake_clock.h"

#include <atomic>

#include "platform/clock.h"

namespace plat {

// Atomics because the tick is also read by the blink and animation threads.
static std::atomic<bool> g_fake{false};
static std::atomic<int64_t> g_fakeStartNow{0};
static std::atomic<uint32_t> g_fakeTick{0};
static std::atomic<uint32_t> g_fakeStartTick{0};

bool FakeClockNow(int64_t& now) {
    if (!g_fake.load()) return false;
    // The wall clock moves with the tick, whole seconds at a time.
    now = g_fakeStartNow.load() + (g_fakeTick.load() - g_fakeStartTick.load()) / 1000;
    return true;
}

bool FakeClockTick(uint32_t& tick) {
    if (!g_fake.load()) return false;
    tick = g_fakeTick.load();
    return true;
}

void SetFakeClock(int64_t now, uint32_t tick) {
    g_fakeStartNow = now;
    g_fakeTick = tick;
    g_fakeStartTick = tick;
    g_fake = true;
}

void AdvanceFakeClock(uint32_t milliseconds) { g_fakeTick += milliseconds; }

void UseRealClock() { g_fake = false; }

}  // namespace plat
