#include "log/channels.h"

#include <algorithm>
#include <limits>

#include "core/text_helpers.h"
#include "platform/clock.h"

namespace logs {

const wchar_t* const kSeparatorLine = L"---------------------------------------------------";

static LogState g_logState;

LogState& LS() { return g_logState; }

void ResetLogState() { g_logState = LogState{}; }

int ChannelOf(int kind) {
    if (kind == core::kLogError) return kChannelErrors;
    if (kind == core::kLogHint) return kChannelHints;
    return kChannelMessages;
}

static Channel& ChannelsGet(int kind) { return g_logState.channels[ChannelOf(kind)]; }

// Counters are 32-bit as the run reports them; a run long enough to reach the
// limit keeps the limit instead of wrapping into negative counts.
static void ChannelsCount(int32_t& counter) {
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

static void ChannelsNotify(int channel, bool replaced) {
    Channel& ch = g_logState.channels[channel];
    ++ch.revision;
    if (replaced) ch.replacedAt = ch.revision;
    if (g_logState.ChannelChangedHook) g_logState.ChannelChangedHook(channel);
}

// Splits at CR LF, LF and lone CR. With `lastEnds` a break after the last
// line ends it (the form of a whole view or file); without, every break
// separates two lines, so "A\n" is "A" above an empty line, as inserting the
// text above the older content shows it.
static std::vector<std::wstring> ChannelsSplit(const std::wstring& text, bool lastEnds) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = text[i];
        if (c != L'\r' && c != L'\n') continue;
        lines.emplace_back(text, start, i - start);
        if (c == L'\r' && i + 1 < n && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < n || !lastEnds) lines.emplace_back(text, start, n - start);
    return lines;
}

// Puts the lines above the channel's content; `lines` is in reading order.
static void ChannelsPushTop(Channel& ch, std::vector<std::wstring>&& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) ch.linesOldestFirst.push_back(std::move(*it));
}

static void ChannelsPushTop(Channel& ch, std::wstring line) { ch.linesOldestFirst.push_back(std::move(line)); }

// The closing block of a run: read top-down the separator, then the date
// line, then the entries of the run. The printed count is the run's error
// counter, which need not equal the number of error lines.
static void ChannelsWriteSummary() {
    LogState& st = g_logState;
    if (st.HintLineCount > 0) {
        Channel& ch = st.channels[kChannelHints];
        ChannelsPushTop(ch, core::FormatLogDate(plat::Now()));
        ChannelsPushTop(ch, kSeparatorLine);
        ChannelsNotify(kChannelHints, false);
    }
    if (st.ErrorLineCount > 0) {
        Channel& ch = st.channels[kChannelErrors];
        ChannelsPushTop(ch,
                        core::FormatLogDate(plat::Now()) + L"   Anzahl Fehler: " + std::to_wstring(st.RunErrorCount));
        ChannelsPushTop(ch, kSeparatorLine);
        ChannelsNotify(kChannelErrors, false);
    }
    st.HintLineCount = 0;
    st.ErrorLineCount = 0;
}

void AddLog(const std::wstring& text, int kind) {
    if (kind == core::kLogRunEnd) {
        ChannelsWriteSummary();
        return;
    }
    LogState& st = g_logState;
    const int channel = ChannelOf(kind);
    if (channel == kChannelErrors) {
        ChannelsCount(st.ErrorLineCount);
    } else if (channel == kChannelHints) {
        st.HintsPending = 1;
        ChannelsCount(st.HintLineCount);
    }
    Channel& ch = st.channels[channel];
    if (text.find_first_of(L"\r\n") == std::wstring::npos)
        ChannelsPushTop(ch, text);
    else
        ChannelsPushTop(ch, ChannelsSplit(text, false));
    ChannelsNotify(channel, false);
}

static std::wstring ChannelsJoin(const Channel& ch, size_t count) {
    const auto& lines = ch.linesOldestFirst;
    count = std::min(count, lines.size());
    const size_t first = lines.size() - count;  // oldest line included
    size_t total = 0;
    for (size_t i = first; i < lines.size(); ++i) total += lines[i].size() + 2;
    std::wstring text;
    text.reserve(total);
    for (size_t i = lines.size(); i > first; --i) {
        text += lines[i - 1];
        text += L"\r\n";
    }
    return text;
}

std::wstring ChannelText(int kind) {
    const Channel& ch = ChannelsGet(kind);
    return ChannelsJoin(ch, ch.linesOldestFirst.size());
}

std::wstring ChannelNewestText(int kind, size_t count) { return ChannelsJoin(ChannelsGet(kind), count); }

void SetChannelText(int kind, const std::wstring& text) {
    Channel& ch = ChannelsGet(kind);
    std::vector<std::wstring> lines = ChannelsSplit(text, true);
    std::reverse(lines.begin(), lines.end());
    ch.linesOldestFirst = std::move(lines);
    ChannelsNotify(ChannelOf(kind), true);
}

void ClearChannel(int kind) {
    Channel& ch = ChannelsGet(kind);
    ch.linesOldestFirst.clear();
    ch.linesOldestFirst.shrink_to_fit();
    ChannelsNotify(ChannelOf(kind), true);
}

size_t ChannelLineCount(int kind) { return ChannelsGet(kind).linesOldestFirst.size(); }

void MarkLoadBroken(int kind, const std::wstring& path, uint64_t keepBytes) {
    Channel& ch = ChannelsGet(kind);
    ch.brokenLoadPath = path;
    ch.brokenLoadKeepBytes = keepBytes;
}

void ClearLoadBroken(int kind) {
    Channel& ch = ChannelsGet(kind);
    ch.brokenLoadPath.clear();
    ch.brokenLoadKeepBytes = 0;
}

const std::wstring& LoadBrokenPath(int kind) { return ChannelsGet(kind).brokenLoadPath; }

uint64_t LoadBrokenKeepBytes(int kind) { return ChannelsGet(kind).brokenLoadKeepBytes; }

void SetLoadBrokenKeepBytes(int kind, uint64_t keepBytes) { ChannelsGet(kind).brokenLoadKeepBytes = keepBytes; }

uint64_t ChannelRevision(int kind) { return ChannelsGet(kind).revision; }

uint64_t ChannelReplacedAt(int kind) { return ChannelsGet(kind).replacedAt; }

}  // namespace logs
