// The report of a fault nothing else catches: its text, and in a child
// process the real fault, the one report and the exit code.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "log/fatal_report.h"
#include "platform/testing.h"
#include "platform/text.h"

namespace {

using LogFatalReport = testing::Test;

TEST_F(LogFatalReport, AccessViolationInTheMainUnit) {
    EXPECT_EQ(logs::FatalReportText(0xC0000005u, 1234),
              L"Error at line 1234\r\nError number: -1073741819\r\n"
              L"Error description: Invalid memory access");
}

TEST_F(LogFatalReport, UnitNumberIsNotShown) {
    EXPECT_EQ(logs::FatalReportText(0xC0000005u, (1u << 24) | 300u),
              L"Error at line 300\r\nError number: -1073741819\r\n"
              L"Error description: Invalid memory access");
    EXPECT_EQ(logs::FatalReportText(0xC00000FDu, 0xFFFFFFFFu),
              L"Error at line 16777215\r\nError number: -1073741571\r\n"
              L"Error description: Stack overflow");
}

TEST_F(LogFatalReport, IntegerDivisionKeepsItsTrailingBlank) {
    EXPECT_EQ(logs::FatalReportText(0xC0000094u, 7),
              L"Error at line 7\r\nError number: -1073741676\r\n"
              L"Error description: Division by zero ");
}

TEST_F(LogFatalReport, UnknownCodeInSignedDecimal) {
    EXPECT_EQ(logs::FatalReportText(0xE06D7363u, 0),
              L"Error at line 0\r\nError number: -529697949\r\n"
              L"Error description: Unknown error code");
    EXPECT_EQ(logs::FatalReportText(0x00000001u, 0),
              L"Error at line 0\r\nError number: 1\r\nError description: Unknown error code");
}

TEST_F(LogFatalReport, DescriptionsOfTheOddRows) {
    EXPECT_STREQ(logs::FatalErrorDescription(0x80000003u), L"Debugger breakpoint reached");
    EXPECT_STREQ(logs::FatalErrorDescription(0xC0000091u), L"Floating-point overflow (exponent to great)");
    EXPECT_STREQ(logs::FatalErrorDescription(0xC0000025u),
                 L"Exception handler tried to continue after non-continuable exception");
    EXPECT_STREQ(logs::FatalErrorDescription(0x80000004u), L"Single step trap");
    EXPECT_STREQ(logs::FatalErrorDescription(0xC0000094u), L"Division by zero ");
}

TEST_F(LogFatalReport, MarkKeepsUnitAboveLine) {
    TRESORO_MARK(logs::kUnitShutdown);
    const uint32_t line = __LINE__ - 1;
    EXPECT_EQ(logs::StatementMarker.load(), (2u << 24) | line);
    logs::MarkStatement(logs::kUnitLayouts, 0x1234567u);  // too long a line
    EXPECT_EQ(logs::StatementMarker.load(), (1u << 24) | 0x234567u);
}

// The faults a death test provokes. The values are volatile so that the
// compiler emits the faulting instruction instead of reasoning about it.
volatile uintptr_t g_badAddress = 16;
volatile int g_zero = 0;
volatile int g_sink = 0;
volatile int g_stopDepth = -1;

void TouchInvalidMemory() { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }

// The sanitizer build would stop at the division itself; the test needs the
// processor's fault.
__attribute__((no_sanitize("integer-divide-by-zero"))) void DivideByZero() { g_sink = 100 / g_zero; }

// Each frame reads its caller's frame, so every frame stays alive and the
// recursion cannot become a loop; it ends only when the stack does.
int Recurse(int depth, const volatile char* caller) {
    volatile char frame[512];
    frame[0] = static_cast<char>(caller ? caller[0] + 1 : 0);
    if (depth == g_stopDepth) return 0;
    return Recurse(depth + 1, frame) + frame[0];
}

// One line, so a death test's pattern can cover the whole report.
void ReportOnOneLine(const std::wstring& title, const std::wstring& text) {
    std::wstring line = title + L": ";
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        line += c == L'\n' ? std::wstring(L"; ") : std::wstring(1, c);
    }
    const std::string bytes = plat::WideToUtf8(line + L";\n");
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void InstallForDeathTest(bool oneLine) {
    logs::SetFatalMessageSink(oneLine ? &ReportOnOneLine : nullptr);
    logs::InstallErrorReport();
}

using LogFatalReportDeathTest = testing::Test;

TEST_F(LogFatalReportDeathTest, AccessViolationReportsOnceAndExitsNonZero) {
    EXPECT_EXIT(
        {
            InstallForDeathTest(true);
            logs::MarkStatement(logs::kUnitMain, 1234);
            TouchInvalidMemory();
        },
        testing::ExitedWithCode(logs::kFatalExitCode),
        "^Meldung: Error at line 1234; Error number: -1073741819; "
        "Error description: Invalid memory access;\n$");
}

TEST_F(LogFatalReportDeathTest, DefaultSinkWritesToStderr) {
    EXPECT_EXIT(
        {
            InstallForDeathTest(false);
            TouchInvalidMemory();
        },
        testing::ExitedWithCode(logs::kFatalExitCode), "Error description: Invalid memory access");
}

TEST_F(LogFatalReportDeathTest, IntegerDivisionByZero) {
    EXPECT_EXIT(
        {
            InstallForDeathTest(true);
            logs::MarkStatement(logs::kUnitLayouts, 300);
            DivideByZero();
        },
        testing::ExitedWithCode(logs::kFatalExitCode),
        "Error at line 300; Error number: -1073741676; Error description: Division by zero ;");
}

TEST_F(LogFatalReportDeathTest, FaultOnAnotherThread) {
    EXPECT_EXIT(
        {
            InstallForDeathTest(true);
            std::thread worker([] {
                logs::MarkStatement(logs::kUnitShutdown, 77);
                TouchInvalidMemory();
            });
            worker.join();
        },
        testing::ExitedWithCode(logs::kFatalExitCode),
        "Error at line 77; Error number: -1073741819; Error description: Invalid memory access;");
}

TEST_F(LogFatalReportDeathTest, StackOverflowStillReports) {
    if (!plat::PortableLayer())
        GTEST_SKIP() << "Wine 8 ends a thread that reaches its last stack page without "
                        "raising EXCEPTION_STACK_OVERFLOW, so no filter is ever called";
    EXPECT_EXIT(
        {
            InstallForDeathTest(true);
            g_sink = Recurse(0, nullptr);
        },
        testing::ExitedWithCode(logs::kFatalExitCode), "Error number: -1073741571; Error description: Stack overflow;");
}

}  // namespace
