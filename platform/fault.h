// Fault injection for tests: make the n-th call of a file-system operation
// fail with a chosen error code, once or from then on. Every operation of
// fs.h counts its calls here, so tests can walk each failure branch.
//
// Only the builds the tests link carry it (compiled with TRESORO_TEST_HOOKS,
// see the top-level CMakeLists.txt). In the shipped program FaultHit is a
// constant false that the compiler folds away, and the functions below do
// not exist.
#pragma once

#include <cstdint>
#include <functional>

namespace plat {

enum class FaultOp {
    List,
    CreateDir,
    Move,
    Delete,     // DeleteFileAt
    RemoveDir,  // RemoveDir and every removal inside RemoveTree
    Copy,
    Read,    // ReadWholeFile
    Write,   // writing the temporary file of WriteFileReplacing
    Rename,  // the rename that puts a temporary file in place (WriteFileReplacing, MoveReplacing)
    SetAttributes,
    Flush,  // a copy's data put on the disk before the copy gets its name
    Count_
};

// The `nth` call from now (1 = the next one) of `op` fails with `code`;
// with `persistent` every later call fails too.
void InjectFault(FaultOp op, int nth, uint32_t code, bool persistent = false);
// The `nth` call from now of `op`, and every call of every operation after
// it, fails: the disk stays as a run killed just before that call left it.
void InjectHalt(FaultOp op, int nth);
// Whether the halt injected last has been reached.
bool HaltReached();
void ClearFaults();

// The pauses between the attempts at a locked file (platform/common/
// lock_retry.h) are not waited in the tests: they are added up, and handed
// to `pause` when one is set (a test may release its lock there).
// ClearFaults resets both.
void SetLockPauseForTest(std::function<void(uint32_t milliseconds)> pause);
uint32_t LockPausedForTest();  // milliseconds since ClearFaults
// For the benchmarks' figure without it: the copies skip their flush.
void SetFlushSkippedForTest(bool skip);

// Called by the implementations at the top of each operation: true when this
// call must fail; the error code is then already set. FaultRepeats asks the
// same for another attempt within the same call (a retry): it fails only
// where a fault fires from then on, and counts nothing.
#ifdef TRESORO_TEST_HOOKS
bool FaultHit(FaultOp op);
bool FaultRepeats(FaultOp op);
bool AnyFaultArmed();
bool FlushSkippedForTest();
void TakeLockPauseForTest(uint32_t milliseconds);
#else
inline bool FaultHit(FaultOp) { return false; }
inline bool FaultRepeats(FaultOp) { return false; }
inline bool FlushSkippedForTest() { return false; }
#endif

// Whether a fault or a halt is armed (never in the shipped program). Walks
// that would read listings ahead on other threads read them in call order
// instead, so that the n-th call of an operation stays the same call.
bool FaultInjectionArmed();

}  // namespace plat
