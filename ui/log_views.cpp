#include "ui/log_views.h"

#include <cstdint>

#include "log/channels.h"
#include "platform/clock.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace ui {

namespace {

constexpr uint32_t kLogFlushMillis = 250;

struct ShownLog {
    uint64_t revision = 0;  // channel revision the view shows
    size_t lines = 0;       // channel line count at that revision
};

ShownLog g_shown[logs::kChannelCount];
bool g_pending = false;
uint32_t g_lastFlush = 0;

void LogChannelChanged(int) { g_pending = true; }

// The lines logged since the view was last brought up to date, when only
// additions happened; false when the view needs the whole text again.
bool LogNewestUnshown(int channel, std::wstring& text) {
    const ShownLog& shown = g_shown[channel];
    if (logs::ChannelReplacedAt(channel) > shown.revision) return false;
    const size_t lines = logs::ChannelLineCount(channel);
    text = lines > shown.lines ? logs::ChannelNewestText(channel, lines - shown.lines) : std::wstring();
    return true;
}

void LogMarkShown(int channel) {
    g_shown[channel] = ShownLog{logs::ChannelRevision(channel), logs::ChannelLineCount(channel)};
}

void LogFlushChannel(int channel) {
    const int view = LogViewOf(channel);
    if (logs::ChannelRevision(channel) == g_shown[channel].revision) return;
    std::wstring newest;
    if (LogNewestUnshown(channel, newest)) {
        if (!newest.empty()) plat::InsertEditorTextAtTop(view, newest);
    } else {
        plat::SetGadgetText(view, logs::ChannelText(channel));
    }
    LogMarkShown(channel);
}

}  // namespace

int LogViewOf(int channel) {
    switch (channel) {
        case logs::kChannelMessages:
            return MessageLogView;
        case logs::kChannelErrors:
            return ErrorLogView;
        case logs::kChannelHints:
            return HintLogView;
        default:
            return 0;
    }
}

int ChannelOfLogView(int view) {
    for (int c = 0; c < logs::kChannelCount; ++c)
        if (LogViewOf(c) == view) return c;
    return -1;
}

void BindLogViews() {
    logs::LS().ChannelChangedHook = LogChannelChanged;
    g_pending = true;
}

void FlushLogViews(bool force) {
    if (!g_pending) return;
    const uint32_t now = plat::Tick();
    if (!force && now - g_lastFlush < kLogFlushMillis) return;
    g_lastFlush = now;
    g_pending = false;
    for (int c = 0; c < logs::kChannelCount; ++c) LogFlushChannel(c);
}

void TakeLogViewEdit(int widget) {
    const int channel = ChannelOfLogView(widget);
    if (channel < 0) return;
    std::wstring newest;
    const bool onlyAdded = LogNewestUnshown(channel, newest);
    std::wstring text = plat::GetGadgetText(widget);
    // A view's text ends without a line break where the channel's ends with
    // one; the lines logged meanwhile go on top of what the user sees.
    if (onlyAdded && !newest.empty()) {
        plat::InsertEditorTextAtTop(widget, newest);
        text = newest + text;
    }
    // After a replacement the view was not yet shown (a load or "Lösche
    // Logs" a moment ago), the user's text wins: it is what they looked at.
    logs::SetChannelText(channel, text);
    LogMarkShown(channel);
}

void ResetLogViews() {
    for (ShownLog& s : g_shown) s = ShownLog{};
    g_pending = false;
    g_lastFlush = 0;
}

}  // namespace ui
