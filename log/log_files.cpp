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

size_t LogByteOrderMarkLength(const std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return 3;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) return 2;
    return 0;
}

// The save of a channel whose load was broken off: the channel's text above
// the file's older part, which the channel never held. The first save after
// a file that could not be read at all takes the whole file as that part.
static bool LogFilesSaveAbove(int kind, const std::wstring& path, const std::wstring& text) {
    std::string old;
    if (!plat::ReadWholeFile(path, old)) {
        // Writing without the older part would shorten the file.
        if (plat::FileExists(path)) return false;
        old.clear();
    }
    const size_t bodyStart = LogByteOrderMarkLength(old);
    const size_t bodySize = old.size() - bodyStart;
    uint64_t keep = LoadBrokenKeepBytes(kind);
    if (keep > bodySize) keep = bodySize;                       // someone shortened it meanwhile
    if (text.empty() && keep == 0 && old.empty()) return true;  // nothing to keep or add
    std::string bytes = "\xEF\xBB\xBF" + plat::WideToUtf8(text);
    bytes.append(old, old.size() - static_cast<size_t>(keep), static_cast<size_t>(keep));
    if (bytes != old && !plat::WriteFileReplacing(path, bytes)) return false;
    SetLoadBrokenKeepBytes(kind, keep);
    return true;
}

bool SaveLogFile(int kind, const std::wstring& path) {
    const std::wstring text = ChannelText(kind);
    const std::wstring& brokenPath = LoadBrokenPath(kind);
    if (!brokenPath.empty() && plat::EqualNoCase(brokenPath, path)) return LogFilesSaveAbove(kind, path, text);
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
        // One that stays is tried again at the next start.
        if (e.modified + LogRetentionSeconds < now) (void)plat::DeleteFileAt(dir + e.name);
    }
}

}  // namespace logs
