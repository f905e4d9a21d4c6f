// Local wall-clock time in seconds since 1970 (the program's date unit) and a
// millisecond tick. Tests can replace both.
#pragma once

#include <cstdint>

namespace plat {

int64_t Now();
uint32_t Tick();

// Test hooks: a fixed clock that moves only when told to.
void SetFakeClock(int64_t now, uint32_t tick = 0);
void AdvanceFakeClock(uint32_t milliseconds);
void UseRealClock();

// Calendar fields of a local date (seconds since 1970).
struct LocalDate {
    int year, month, day, hour, minute, second;
};
LocalDate SplitDate(int64_t seconds);

}  // namespace plat
