// The monthly log files in the configuration directory: their names, saving
// a channel whole, and removing files that have not been written for about
// ten months.
#pragma once

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
bool SaveLogFile(int kind, const std::wstring& path);
// Saves messages, errors and hints to the current month's files in ConfigDir.
void SaveLogs();

// Deletes every file "*.log" in `configDir` last written more than
// LogRetentionSeconds ago; directories and failures are left alone.
void DeleteOldLogs(const std::wstring& configDir);

}  // namespace logs
