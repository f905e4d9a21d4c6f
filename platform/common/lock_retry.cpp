#include "platform/common/lock_retry.h"

#include "platform/fs.h"
#include "platform/process.h"
#include "platform/test_hooks.h"

namespace plat {

bool IsLockError(uint32_t code) {
    return code == kErrAccessDenied || code == kErrSharingViolation || code == kErrLockViolation;
}

void PauseForLock(uint32_t milliseconds) {
    // The program waits; the tests only count the pauses.
    if (g_testHooks.lockPause != nullptr) return g_testHooks.lockPause(milliseconds);
    SleepMilliseconds(milliseconds);
}

bool RefusedForGood(uint32_t code, const std::wstring& path, uint32_t refusing) {
    if (code != kErrAccessDenied) return false;
    const uint32_t attributes = GetAttributes(path);
    return attributes != kInvalidAttributes && (attributes & refusing) != 0;
}

}  // namespace plat
