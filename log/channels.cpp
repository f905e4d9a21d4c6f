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

// Splits `text` at CR LF, LF and lone CR into new lines of `store`, the
// text's first line the newest.
static void ChannelsSplitInto(LineStore& store, const std::wstring& text, bool lastEnds) {
    const size_t first = store.spansOldestFirst.size();
    LineSplitter splitter{&store, store.bytes.size()};
    LineSplitterFeed(splitter, text.data(), text.size());
    LineSplitterFinish(splitter, lastEnds);
    std::reverse(store.spansOldestFirst.begin() + static_cast<std::ptrdiff_t>(first), store.spansOldestFirst.end());
}

static void ChannelsPushTop(Channel& ch, const std::wstring& line) { LineStoreAdd(ch.lines, line.data(), line.size()); }

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
    // Every break separates two lines here: "A\n" is "A" above an empty line,
    // as inserting the text above the older content shows it.
    ChannelsSplitInto(ch.lines, text, false);
    ChannelsNotify(channel, false);
}

static std::wstring ChannelsJoin(const Channel& ch, size_t count) {
    const size_t size = ch.lines.spansOldestFirst.size();
    count = std::min(count, size);
    const size_t first = size - count;  // oldest line included
    size_t total = 0;
    for (size_t i = first; i < size; ++i) total += LineStoreLineBound(ch.lines, i);
    std::wstring text;
    text.reserve(total);
    for (size_t i = size; i > first; --i) {
        LineStoreAppendLine(ch.lines, i - 1, text);
        text += L"\r\n";
    }
    return text;
}

std::wstring ChannelText(int kind) {
    const Channel& ch = ChannelsGet(kind);
    return ChannelsJoin(ch, ch.lines.spansOldestFirst.size());
}

std::wstring ChannelNewestText(int kind, size_t count) { return ChannelsJoin(ChannelsGet(kind), count); }

void SetChannelText(int kind, const std::wstring& text) {
    LineStore lines;
    ChannelsSplitInto(lines, text, true);
    SetChannelLines(kind, std::move(lines));
}

void SetChannelLines(int kind, LineStore&& lines) {
    ChannelsGet(kind).lines = std::move(lines);
    ChannelsNotify(ChannelOf(kind), true);
}

std::vector<std::wstring> ChannelLines(int kind) {
    const LineStore& store = ChannelsGet(kind).lines;
    std::vector<std::wstring> lines;
    lines.reserve(store.spansOldestFirst.size());
    for (size_t i = 0; i < store.spansOldestFirst.size(); ++i) lines.push_back(LineStoreLine(store, i));
    return lines;
}

void ClearChannel(int kind) { SetChannelLines(kind, LineStore{}); }

size_t ChannelLineCount(int kind) { return ChannelsGet(kind).lines.spansOldestFirst.size(); }

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
