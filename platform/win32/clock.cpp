// The local wall clock and the millisecond tick, each replaceable by the
// fake clock of the tests.
#include <windows.h>

#include "platform/clock.h"
#include "platform/common/fake_clock.h"
#include "platform/win32/wide_path.h"

namespace plat {

int64_t Now() {
    int64_t now;
    if (FakeClockNow(now)) return now;
    // Local time read as if it were UTC: the program's date unit is local
    // wall-clock seconds, the same unit ListDir gives file dates in.
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME ft;
    if (!SystemTimeToFileTime(&local, &ft)) return 0;
    return win32::LocalFileTimeSeconds(ft);
}

uint32_t Tick() {
    uint32_t tick;
    if (FakeClockTick(tick)) return tick;
    // 32 bits that wrap after 49.7 days; callers take differences, which
    // survive the wrap in unsigned arithmetic.
    return GetTickCount();
}

}  // namespace plat
