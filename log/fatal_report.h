// The report of a fault nothing else catches: one message saying where and
// what went wrong, then the process ends without saving anything.
//
// StatementMarker names the statement most recently begun by any thread: the
// unit in the upper 8 bits, the line in the lower 24. The program's own
// units (not core/, which sits below this layer and has no unit number) set
// it with TRESORO_MARK(unit) at the entry of each of their functions and
// before each step of a long function that is worth telling apart, e.g.
//     void LayoutMainWindow() {
//         TRESORO_MARK(logs::kUnitLayouts);
//         ...
// Being one value for all threads written without a lock, the line in a
// report may be another thread's last mark.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "log/sinks.h"

namespace logs {

constexpr uint32_t kUnitMain = 0;      // start-up, event loop, commands
constexpr uint32_t kUnitLayouts = 1;   // the window layouts
constexpr uint32_t kUnitShutdown = 2;  // the end of a run and the shutdown

extern std::atomic<uint32_t> StatementMarker;

inline void MarkStatement(uint32_t unit, uint32_t line) {
    StatementMarker.store((unit << 24) | (line & 0xFFFFFFu), std::memory_order_relaxed);
}

#define TRESORO_MARK(unit) ::logs::MarkStatement((unit), __LINE__)

// Exit code of a process ended by the report. Not the exception code: on
// POSIX only its low byte would survive, and some codes would read as 0.
constexpr int kFatalExitCode = 3;

// The program's first statement: from here on every unhandled fault, on any
// thread, ends in ReportFatalError.
void InstallErrorReport();

// "Error at line " + line + CR LF + "Error number: " + code as signed 32-bit
// decimal + CR LF + "Error description: " + the code's text.
std::wstring FatalReportText(uint32_t code, uint32_t marker);
// The text of an exception code, "Unknown error code" for one not known.
const wchar_t* FatalErrorDescription(uint32_t code);

// Where the report is shown, with title "Meldung"; the window sets its
// message box at start. Null restores the default, which writes
// "Tresoro Meldung" and the text to stderr.
void SetFatalMessageSink(MessageSink sink);

// Shows the report for `code` and the current StatementMarker, then ends the
// process with kFatalExitCode. Logs and configuration are not saved: after a
// fault their state may be damaged, and the files of the last save are
// better than a damaged copy. A second thread faulting while a report is
// shown waits until the process ends.
[[noreturn]] void ReportFatalError(uint32_t code);

}  // namespace logs
