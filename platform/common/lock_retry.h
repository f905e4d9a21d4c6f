// Another attempt at a file that another program holds for a moment: a
// virus scanner, the search indexer or a sync client opens a freshly
// written file, and for that moment its rename, move or deletion fails with
// ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION or ERROR_LOCK_VIOLATION.
// Both file-system layers wrap those operations in RetryWhileLocked, so the
// fault layer walks the same rule in both builds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/fault.h"

namespace plat {

// The pauses before the second, third, ... attempt: a scanner is mostly done
// within the first, and a file still held after about a second in all is
// held for longer (open in a program); it is then the error it always was.
constexpr uint32_t kLockPauses[] = {100, 200, 300, 400};

bool IsLockError(uint32_t code);

// Waits `milliseconds` (the tests only count them, see platform/fault.h).
void PauseForLock(uint32_t milliseconds);

// Whether a failure with `code` is ERROR_ACCESS_DENIED because of what
// `path` is, which no wait changes: it carries one of `refusing` (a
// read-only file that DeleteFileW or MoveFileExW refuses, a directory where
// a file was meant). Asked only after a failure.
bool RefusedForGood(uint32_t code, const std::wstring& path, uint32_t refusing);

// Runs `attempt` (true on success, LastError set on failure) for one call of
// `op`, counted once by the fault layer, and again after each pause while it
// fails with a lock error that `forGood(code)` does not call final.
template <class Attempt, class ForGood>
bool RetryWhileLocked(FaultOp op, const Attempt& attempt, const ForGood& forGood) {
    if (!FaultHit(op) && attempt()) return true;
    for (const uint32_t pause : kLockPauses) {
        const uint32_t code = LastError();
        if (!IsLockError(code) || forGood(code)) {
            SetLastError(code);
            return false;
        }
        PauseForLock(pause);
        if (!FaultRepeats(op) && attempt()) return true;
    }
    return false;
}

template <class Attempt>
bool RetryWhileLocked(FaultOp op, const Attempt& attempt) {
    return RetryWhileLocked(op, attempt, [](uint32_t) { return false; });
}

}  // namespace plat
