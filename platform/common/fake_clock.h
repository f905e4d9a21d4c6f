// The replaceable clock shared by both implementations of clock.h.
#pragma once

#include <cstdint>

namespace plat {

// True while a test has fixed the clock; the values are then the fake ones.
bool FakeClockNow(int64_t& now);
bool FakeClockTick(uint32_t& tick);

}  // namespace plat
