#include "log/fatal_report.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/fault_filter.h"
#include "platform/text.h"

namespace logs {

std::atomic<uint32_t> StatementMarker{0};

namespace {
struct FatalCodeText {
    uint32_t code;
    const wchar_t* text;
};

// Searched from the top; the texts are the ones users and support know.
constexpr FatalCodeText kFatalTexts[] = {
    {0xC0000005u, L"Invalid memory access"},
    {0xC000008Cu, L"Array bounds exceeded"},
    {0x80000003u, L"Debugger breakpoint reached"},
    {0x80000002u, L"Misaligned data access"},
    {0xC000008Du, L"Denormal floating-point operand"},
    {0xC000008Eu, L"Division by zero (floating-point)"},
    {0xC000008Fu, L"Inexact floating-point result"},
    {0xC0000090u, L"Invalid floating-point operation"},
    {0xC0000091u, L"Floating-point overflow (exponent to great)"},
    {0xC0000092u, L"Floating-point stack overflow or underflow"},
    {0xC0000093u, L"Floating-point underflow (exponent too small)"},
    {0xC000001Du, L"Illegal instruction"},
    {0xC0000006u, L"Memory page error"},
    {0xC0000094u, L"Division by zero "},
    {0xC0000095u, L"Integer overflow"},
    {0xC0000026u, L"Exception handler returned unknown value"},
    {0xC0000025u, L"Exception handler tried to continue after non-continuable exception"},
    {0xC0000096u, L"Privileged instruction"},
    {0x80000004u, L"Single step trap"},
    {0xC00000FDu, L"Stack overflow"},
};

std::atomic<MessageSink> g_fatalSink{nullptr};
std::atomic<bool> g_fatalReporting{false};
}  // namespace

const wchar_t* FatalErrorDescription(uint32_t code) {
    for (const FatalCodeText& row : kFatalTexts)
        if (row.code == code) return row.text;
    return L"Unknown error code";
}

std::wstring FatalReportText(uint32_t code, uint32_t marker) {
    return L"Error at line " + std::to_wstring(marker & 0xFFFFFFu) + L"\r\n" + L"Error number: " +
           std::to_wstring(static_cast<int32_t>(code)) + L"\r\n" + L"Error description: " + FatalErrorDescription(code);
}

void SetFatalMessageSink(MessageSink sink) { g_fatalSink.store(sink); }

static void FatalToStderr(const std::wstring& title, const std::wstring& text) {
    const std::string bytes = plat::WideToUtf8(L"Tresoro " + title + L"\n" + text + L"\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void ReportFatalError(uint32_t code) {
    // The marker as the fault left it, before the report's own work.
    const uint32_t marker = StatementMarker.load(std::memory_order_relaxed);
    if (g_fatalReporting.exchange(true)) {
        // Another thread is reporting and will end the process; a second box
        // would only hide the first fault.
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    MessageSink sink = g_fatalSink.load();
    if (!sink) sink = &FatalToStderr;
    sink(L"Meldung", FatalReportText(code, marker));
    // No destructors, no atexit handlers: nothing of the damaged state is
    // written anywhere, and the non-zero code tells whoever started us.
    std::_Exit(kFatalExitCode);
}

static void FatalOnFault(uint32_t code) { ReportFatalError(code); }

void InstallErrorReport() { plat::InstallFatalFaultHandler(&FatalOnFault); }

}  // namespace logs
