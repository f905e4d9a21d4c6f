#include "log/log_viewer.h"

#include <algorithm>
#include <string>

#include "core/report.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace logs {

static LogViewerWindow g_viewerWindow;

void SetLogViewerWindow(const LogViewerWindow& window) { g_viewerWindow = window; }

static void ViewerStatusLine(const std::wstring& text) {
    if (g_viewerWindow.statusLine) g_viewerWindow.statusLine(text);
}

static void ViewerProgressCount(const std::wstring& text) {
    if (g_viewerWindow.progressCount) g_viewerWindow.progressCount(text);
}

static bool ViewerCloseRequested() { return g_viewerWindow.drainUntilClose && g_viewerWindow.drainUntilClose(); }

// Bytes at the end of `bytes` that begin a UTF-8 sequence the chunk does not
// finish. They are carried into the next chunk, so a character cut by a
// chunk boundary is decoded whole instead of as two replacement characters.
// A broken sequence is not carried: it decodes the same wherever it lies.
static size_t ViewerIncompleteTail(const std::string& bytes) {
    const size_t n = bytes.size();
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte: look further back
        const size_t need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

// The file is read whole and decoded in chunks: the count in ProgressCount
// and the event drain after each chunk keep the window alive during a long
// load, which is what the chunks are for.
void LoadLogFile(const std::wstring& path, int kind) {
    int64_t modified = 0;
    if (!plat::GetModified(path, modified)) modified = 0;
    if (modified + LogRetentionSeconds < plat::Now()) plat::DeleteFileAt(path);

    ViewerStatusLine(L"Lade Logdatei (win close breaks): " + path);

    std::string bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        ClearChannel(kind);
        // A file that is there but cannot be read (locked, too large) still
        // holds the month's log; the next save must not delete it.
        if (plat::FileExists(path))
            MarkLoadBroken(kind, path, kKeepWholeFile);
        else
            ClearLoadBroken(kind);
        return;
    }

    const size_t bodyStart = LogByteOrderMarkLength(bytes);
    // Never more characters than bytes: the text is made room for once
    // instead of being copied at every regrowth of a file of megabytes.
    std::wstring result;
    result.reserve(bytes.size() - bodyStart);
    std::string carry;
    size_t pos = bodyStart;
    int chunks = 0;
    while (pos < bytes.size()) {
        const size_t take = std::min(LogChunkBytes, bytes.size() - pos);
        std::string piece = std::move(carry);
        piece.append(bytes, pos, take);
        pos += take;
        carry.clear();
        if (pos < bytes.size()) {
            const size_t tail = ViewerIncompleteTail(piece);
            carry.assign(piece, piece.size() - tail, tail);
            piece.resize(piece.size() - tail);
        }
        result += plat::Utf8ToWide(piece);
        ++chunks;
        ViewerProgressCount(std::to_wstring(chunks));
        if (ViewerCloseRequested()) {
            // The channel keeps what it held; the file's whole body is the
            // older part that a save must keep below it.
            MarkLoadBroken(kind, path, bytes.size() - bodyStart);
            return;
        }
    }
    std::string().swap(bytes);  // the file's bytes are not needed while the lines are made
    SetChannelText(kind, result);
    ClearLoadBroken(kind);
}

void LoadLogs() {
    const std::wstring& configDir = core::S().paths.ConfigDir;
    if (!configDir.empty()) {
        const std::wstring dir = core::AddBackslash(configDir);
        const int month = CurrentMonth();
        for (int kind : {core::kLogNormal, core::kLogError, core::kLogHint})
            LoadLogFile(dir + LogFileName(kind, month), kind);
    }
    ViewerStatusLine(L"");
}

void ClearLogs() {
    ClearChannel(core::kLogNormal);
    ClearChannel(core::kLogError);
    ClearChannel(core::kLogHint);
}

}  // namespace logs
