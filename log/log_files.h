// The monthly log files in the configuration directory: their names, saving
// a channel whole, and removing files that have not been written for about
// ten months.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace logs {

// 300 days: a month's file older than this is removed at start, so its name
// is reused a year later with fresh content.
constexpr int64_t LogRetentionSeconds = 25920000;

// "Tresoro", "TresoroErr" or "TresoroHinw" (by the kind's channel) + month
// without leading zero + ".log", e.g. "TresoroErr12.log".
std::wstring LogFileName(int kind, int month);
// Month of the local clock, 1 to 12.
int CurrentMonth();

// Writes the channel's text to `path` as UTF-8 with byte order mark, replacing
// the file whole; an empty channel deletes the file instead (a missing file
// is fine). False when the file could not be written or deleted; the entries
// stay in the channel either way and are written at the next save.
//
// A channel whose load of `path` was broken off (MarkLoadBroken) holds only
// the newer part of that file's log. Its save never deletes or shortens the
// file: the channel's text goes above the older part, so the file stays
// newest first. Emptying such a channel ("Lösche Logs") drops only what it
// holds; the older part, never shown, stays in the file. A file that exists
// but cannot be read is left alone (false).
bool SaveLogFile(int kind, const std::wstring& path);
// Saves messages, errors and hints to the current month's files in ConfigDir.
void SaveLogs();

// Length of the byte order mark at the start of a log file's bytes: 3 for
// UTF-8 (EF BB BF), 2 for the UTF-16 marks (FF FE, FE FF), 0 without one.
size_t LogByteOrderMarkLength(const std::string& bytes);

// Deletes every file "*.log" in `configDir` last written more than
// LogRetentionSeconds ago; directories and failures are left alone.
void DeleteOldLogs(const std::wstring& configDir);

}  // namespace logs
