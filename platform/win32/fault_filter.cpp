// The unhandled-exception filter. It calls the program's report directly on
// the faulting thread rather than changing the thread's context to resume
// there: the report never returns, so the result (one message, then the
// process ends) is the same, and nothing depends on the faulting frame.
// Only a stack overflow is reported from a thread of its own.
#include <windows.h>

#include <atomic>

#include "platform/fault_filter.h"

namespace plat {

static std::atomic<void (*)(uint32_t)> g_faultOnFault{nullptr};

static DWORD WINAPI FaultReportThread(void* code) {
    void (*onFault)(uint32_t) = g_faultOnFault.load();
    onFault(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code)));
    return 0;
}

static LONG WINAPI FaultFilterTop(EXCEPTION_POINTERS* info) {
    void (*onFault)(uint32_t) = g_faultOnFault.load();
    if (!onFault || !info || !info->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    const uint32_t code = static_cast<uint32_t>(info->ExceptionRecord->ExceptionCode);
    if (code == EXCEPTION_STACK_OVERFLOW) {
        // What is left of an overflowed stack is too little for a message
        // box; a fresh thread has a whole stack. The report ends the process,
        // so this thread just waits for that.
        HANDLE thread = CreateThread(nullptr, 0, &FaultReportThread,
                                     reinterpret_cast<void*>(static_cast<uintptr_t>(code)), 0, nullptr);
        if (thread) WaitForSingleObject(thread, INFINITE);
    }
    onFault(code);
    // Only without a report: Windows' own handling ends the process.
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallFatalFaultHandler(void (*onFault)(uint32_t exceptionCode)) {
    g_faultOnFault.store(onFault);
    // After a stack overflow the filter runs on what is left of the stack;
    // reserving room on the installing (main) thread leaves enough for the
    // filter to start the report's thread.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    SetUnhandledExceptionFilter(&FaultFilterTop);
}

}  // namespace plat
