// Fault injection for tests: make the n-th call of a file-system operation
// fail with a chosen error code, once or from then on. Every operation of
// fs.h counts its calls here, so tests can walk each failure branch.
//
// Only the test build carries it (platform/common/fault_testing.cpp, which
// fills platform/test_hooks.h). In the shipped program FaultHit finds no
// hook and answers false, and the functions declared below do not exist.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/test_hooks.h"

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
    Flush,      // a copy's data put on the disk before the copy gets its name
    ReadBlock,  // OpenForReading and every ReadBlock (file_read.h)
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
inline bool FaultHit(FaultOp op) { return g_testHooks.faultHit != nullptr && g_testHooks.faultHit(op); }
inline bool FaultRepeats(FaultOp op) { return g_testHooks.faultRepeats != nullptr && g_testHooks.faultRepeats(op); }
// For the benchmarks' figure without it (SetFlushSkippedForTest).
inline bool FlushSkipped() { return g_testHooks.flushSkipped != nullptr && g_testHooks.flushSkipped(); }

// Whether a fault or a halt is armed (never in the shipped program). Walks
// that would read listings ahead on other threads read them in call order
// instead, so that the n-th call of an operation stays the same call.
inline bool FaultInjectionArmed() { return g_testHooks.faultArmed != nullptr && g_testHooks.faultArmed(); }

}  // namespace plat
