// Fault signals reported with the Windows exception codes the rest of the
// program knows. The handler runs on an alternate stack, so the report still
// works after the installing thread overflowed its own stack.
#include <signal.h>
#include <ucontext.h>

#include <atomic>
#include <cstdint>

#include "platform/fault_filter.h"

namespace plat {

namespace {
std::atomic<void (*)(uint32_t)> g_faultOnFault{nullptr};
// Room for building and printing the report; the usual SIGSTKSZ is tight
// for that and no longer a constant on newer C libraries.
constexpr size_t kFaultStackBytes = 256 * 1024;
alignas(64) char g_faultStack[kFaultStackBytes];
constexpr int kFaultSignals[] = {SIGSEGV, SIGFPE, SIGILL, SIGBUS};
// A stack overflow faults just below the stack pointer (a push, a call or the
// probe of a big frame); a wild pointer almost never lies this close to it.
constexpr uintptr_t kFaultNearStack = 64 * 1024;
}  // namespace

static uintptr_t FaultStackPointer(const void* context) {
    const ucontext_t* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
    return static_cast<uintptr_t>(uc->uc_mcontext.sp);
#else
    (void)uc;
    return 0;  // unknown layout: every SIGSEGV reads as an access violation
#endif
}

static uint32_t FaultCode(int sig, const siginfo_t* info, const void* context) {
    switch (sig) {
        case SIGSEGV: {
            const uintptr_t sp = FaultStackPointer(context);
            const uintptr_t addr = reinterpret_cast<uintptr_t>(info->si_addr);
            if (sp != 0 && addr <= sp + 4096 && addr + kFaultNearStack >= sp) return 0xC00000FDu;
            return 0xC0000005u;
        }
        case SIGFPE:
            switch (info->si_code) {
                case FPE_INTDIV:
                    return 0xC0000094u;
                case FPE_INTOVF:
                    return 0xC0000095u;
                case FPE_FLTDIV:
                    return 0xC000008Eu;
                case FPE_FLTOVF:
                    return 0xC0000091u;
                case FPE_FLTUND:
                    return 0xC0000093u;
                case FPE_FLTRES:
                    return 0xC000008Fu;
                default:
                    return 0xC0000090u;
            }
        case SIGILL:
            return 0xC000001Du;
        case SIGBUS:
            return info->si_code == BUS_ADRALN ? 0x80000002u : 0xC0000006u;
        default:
            return 0xC0000005u;
    }
}

static void FaultHandler(int sig, siginfo_t* info, void* context) {
    void (*onFault)(uint32_t) = g_faultOnFault.load();
    if (onFault) onFault(FaultCode(sig, info, context));
    // Only without a report: the default action ends the process as if no
    // handler had been installed (the raised signal is delivered on return).
    signal(sig, SIG_DFL);
    raise(sig);
}

void InstallFatalFaultHandler(void (*onFault)(uint32_t exceptionCode)) {
    g_faultOnFault.store(onFault);
    stack_t altStack{};
    altStack.ss_sp = g_faultStack;
    altStack.ss_size = kFaultStackBytes;
    altStack.ss_flags = 0;
    sigaltstack(&altStack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = &FaultHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // A second fault while reporting ends the process at once instead of
    // entering the report again.
    sigemptyset(&action.sa_mask);
    for (int sig : kFaultSignals) sigaddset(&action.sa_mask, sig);
    for (int sig : kFaultSignals) sigaction(sig, &action, nullptr);
}

}  // namespace plat
