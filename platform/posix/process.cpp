// Named mutexes exist only inside this process here: enough for the tests of
// the single-instance guard, which mark a name as held by "another process".
#include "platform/process.h"
#include "platform/posix/host.h"

#include <mutex>
#include <set>
#include <thread>

namespace plat {

namespace {
std::mutex g_lock;
std::set<std::wstring> g_names;
}  // namespace

bool CreateInstanceMutex(const std::wstring& name, bool& alreadyExists) {
    std::lock_guard<std::mutex> guard(g_lock);
    alreadyExists = !g_names.insert(name).second;
    return true;
}

void SleepMilliseconds(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void SuppressErrorBoxes() { posix::T().errorBoxesOff = true; }

bool ErrorBoxesSuppressed() { return posix::T().errorBoxesOff; }

void SetForeignMutexForTest(const std::wstring& name) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_names.insert(name);
}

void ResetMutexesForTest() {
    std::lock_guard<std::mutex> guard(g_lock);
    g_names.clear();
}

}  // namespace plat
