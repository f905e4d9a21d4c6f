#include <chrono>
#include <ctime>

#include "platform/clock.h"
#include "platform/common/fake_clock.h"
#include "platform/posix/host.h"

namespace plat {

int64_t Now() {
    int64_t now;
    if (FakeClockNow(now)) return now;
    return posix::UtcToLocal(time(nullptr));
}

uint32_t Tick() {
    uint32_t tick;
    if (FakeClockTick(tick)) return tick;
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace plat
