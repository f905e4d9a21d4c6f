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

// Called by the implementations at the top of each operation: true when this
// call must fail; the error code is then already set.
#ifdef TRESORO_TEST_HOOKS
bool FaultHit(FaultOp op);
bool AnyFaultArmed();
#else
inline bool FaultHit(FaultOp) { return false; }
#endif

// Whether a fault or a halt is armed (never in the shipped program). Walks
// that would read listings ahead on other threads read them in call order
// instead, so that the n-th call of an operation stays the same call.
bool FaultInjectionArmed();

}  // namespace plat
