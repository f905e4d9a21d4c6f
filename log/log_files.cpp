#include "log/log_files.h"

#include <vector>

#include "core/state.h"
#include "core/text_helpers.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace logs {

std::wstring LogFileName(int kind, int month) {
    const int channel = ChannelOf(kind);
    const wchar_t* stem = channel == kChannelErrors  ? L"TresoroErr"
                          : channel == kChannelHints ? L"TresoroHinw"
                                                     : L"Tresoro";
    return stem + std::to_wstring(month) + L".log";
}

int CurrentMonth() { return plat::SplitDate(plat::Now()).month; }

bool SaveLogFile(int kind, const std::wstring& path) {
    const std::wstring text = ChannelText(kind);
    if (text.empty()) {
        if (plat::DeleteFileAt(path)) return true;
        return !plat::FileExists(path);
    }
    // Temporary file and rename: a crash or a full disk while saving must not
    // destroy the month's log that is already on disk.
    return plat::WriteFileReplacing(path, "\xEF\xBB\xBF" + plat::WideToUtf8(text));
}

void SaveLogs() {
    const std::wstring& configDir = core::S().paths.ConfigDir;
    // Without a configuration directory there is no place for the logs; a
    // bare file name would land in whatever the working directory is.
    if (configDir.empty()) return;
    const std::wstring dir = core::AddBackslash(configDir);
    const int month = CurrentMonth();
    for (int kind : {core::kLogNormal, core::kLogError, core::kLogHint})
        SaveLogFile(kind, dir + LogFileName(kind, month));
}

// The listing pattern alone is not enough on Windows: with short names
// enabled "*.log" also matches "notes.logbook" through its 8.3 alias.
static bool LogFilesHasLogSuffix(const std::wstring& name) {
    return name.size() > 4 && plat::EqualNoCase(name.substr(name.size() - 4), L".log");
}

void DeleteOldLogs(const std::wstring& configDir) {
    if (configDir.empty()) return;
    const std::wstring dir = core::AddBackslash(configDir);
    std::vector<plat::DirEntry> entries;
    if (!plat::ListDir(dir, L"*.log", entries)) return;
    const int64_t now = plat::Now();
    for (const plat::DirEntry& e : entries) {
        if (e.attributes & plat::kAttrDirectory) continue;
        if (!LogFilesHasLogSuffix(e.name)) continue;
        if (e.modified + LogRetentionSeconds < now) plat::DeleteFileAt(dir + e.name);
    }
}

}  // namespace logs
