// Filling the three log channels from the current month's files at start and
// emptying them on "Lösche Logs". The window is reached only through
// LogViewerWindow, which ui/ fills at start and tests fill with a recorder.
#pragma once

#include <cstddef>
#include <string>

namespace logs {

// Bytes decoded between two looks at the window while a file loads.
constexpr size_t LogChunkBytes = 3000000;

// What loading shows in the main window and asks of it. A null entry does
// nothing (or answers false).
struct LogViewerWindow {
    void (*statusLine)(const std::wstring& text) = nullptr;     // StatusLine
    void (*progressCount)(const std::wstring& text) = nullptr;  // ProgressCount
    // Takes every pending window event without waiting and drops it; true
    // when a close-window event was among them (it is used up: the program
    // stays open).
    bool (*drainUntilClose)() = nullptr;
};

void SetLogViewerWindow(const LogViewerWindow& window);

// Loads the current month's "Tresoro", "TresoroErr" and "TresoroHinw" files
// from ConfigDir into the messages, errors and hints channels, in that
// order, then empties StatusLine.
void LoadLogs();

// Loads one log file into the channel of `kind`, replacing its text:
// - a file last written more than LogRetentionSeconds ago is deleted first;
// - a missing or unreadable file empties the channel;
// - a byte order mark is skipped, the rest is read as UTF-8; lines end at
//   CR LF, LF or a lone CR, the last one need not end;
// - after each LogChunkBytes the chunk count goes to ProgressCount and the
//   window's events are drained. Closing the window there breaks off this
//   file's load: the channel keeps what it held and is marked, so that the
//   next save puts its text above the file's content instead of replacing it.
void LoadLogFile(const std::wstring& path, int kind);

// "Lösche Logs": empties messages, errors and hints. The files go at the next
// save, which deletes the file of an empty channel.
void ClearLogs();

}  // namespace logs
