#include "log/log_viewer.h"

#include <algorithm>
#include <string>

#include "core/report.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "log/channels.h"
#include "log/line_store.h"
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

// Lines in the file's bytes after `from`: LF, CR LF and a lone CR end one,
// and text after the last break is one more. Decoding keeps every CR and LF
// byte as it is, so this is the count of the lines loaded (or one more).
static size_t ViewerLineCountBound(const std::string& bytes, size_t from) {
    size_t count = 1;
    for (size_t lf = bytes.find('\n', from); lf != std::string::npos; lf = bytes.find('\n', lf + 1)) ++count;
    for (size_t cr = bytes.find('\r', from); cr != std::string::npos; cr = bytes.find('\r', cr + 1))
        if (cr + 1 == bytes.size() || bytes[cr + 1] != '\n') ++count;
    return count;
}

// The file is read whole and decoded in chunks: the count in ProgressCount
// and the event drain after each chunk keep the window alive during a long
// load, which is what the chunks are for.
void LoadLogFile(const std::wstring& path, int kind) {
    int64_t modified = 0;
    if (!plat::GetModified(path, modified)) modified = 0;
    // A file past its time that cannot be deleted is still shown.
    if (modified + LogRetentionSeconds < plat::Now()) (void)plat::DeleteFileAt(path);

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

    // The lines are split straight from small decoded slices into one
    // compact store, made room for once: never more bytes than the file's
    // for well-formed text, and the file's line count.
    const size_t bodyStart = LogByteOrderMarkLength(bytes);
    LineStore loaded;
    loaded.bytes.reserve(bytes.size() - bodyStart);
    loaded.spansOldestFirst.reserve(ViewerLineCountBound(bytes, bodyStart));
    Utf8LineDecoder decoder;
    decoder.splitter.store = &loaded;
    size_t pos = bodyStart;
    int chunks = 0;
    while (pos < bytes.size()) {
        const size_t take = std::min(LogChunkBytes, bytes.size() - pos);
        Utf8LineDecoderFeed(decoder, bytes.data() + pos, take, pos + take == bytes.size());
        pos += take;
        ++chunks;
        ViewerProgressCount(std::to_wstring(chunks));
        if (ViewerCloseRequested()) {
            // The channel keeps what it held; the file's whole body is the
            // older part that a save must keep below it.
            MarkLoadBroken(kind, path, bytes.size() - bodyStart);
            return;
        }
    }
    std::string().swap(bytes);
    LineSplitterFinish(decoder.splitter, true);
    // The file holds the newest line first.
    std::reverse(loaded.spansOldestFirst.begin(), loaded.spansOldestFirst.end());
    SetChannelLines(kind, std::move(loaded));
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
