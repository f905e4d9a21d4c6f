// The last resort for a fault nothing else handles (invalid memory access,
// division by zero, stack overflow, illegal instruction): the program is told
// the Windows exception code on the faulting thread, so it can report the
// fault before the process goes.
#pragma once

#include <cstdint>

namespace plat {

// Installs `onFault` process-wide; a later call replaces it. `onFault` runs
// on the faulting thread and must not return (it ends the process). If it
// does return, the process ends the way it would have without the handler.
//
// Windows: the unhandled-exception filter, so faults that a debugger or a
// handler of the program takes never get here. Elsewhere the fault signals
// are mapped to the Windows codes (SIGSEGV 0xC0000005, or 0xC00000FD when
// the fault lies at the stack pointer; SIGFPE by its kind 0xC0000094,
// 0xC000008E, ...; SIGILL 0xC000001D; SIGBUS 0xC0000006). The handler runs
// on a stack of its own for the installing thread, so a stack overflow of
// that thread still reaches it; a stack overflow of another thread ends the
// process without a report.
void InstallFatalFaultHandler(void (*onFault)(uint32_t exceptionCode));

}  // namespace plat
