// The three log channels "Meldungen", "Fehler" and "Hinweise" and the
// counters of a run. The channels are kept here as lines; the main window
// shows a channel's text and hands the user's edits back, so this is the
// only store of the log while the program runs.
//
// The namespace is `logs`, not `log`: the C library's log() lives in the
// global namespace and a namespace of that name would clash with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/report.h"
#include "log/line_store.h"

namespace logs {

// Channel indices equal the kinds that write to them.
constexpr int kChannelMessages = core::kLogNormal;  // tab "Meldungen"
constexpr int kChannelErrors = core::kLogError;     // tab "Fehler"
constexpr int kChannelHints = core::kLogHint;       // tab "Hinweise"
constexpr int kChannelCount = 3;

// 51 hyphens: opens each summary block of a run.
extern const wchar_t* const kSeparatorLine;

struct Channel {
    // Oldest line first, so that a new entry is added at the end; the text
    // the view shows is these lines read backwards.
    LineStore lines;
    // Raised by every change; `replacedAt` is the revision of the last change
    // that was not an addition at the top (edit handed back, load, clear).
    // A view that remembers the revision and line count it last showed can
    // tell whether inserting the newest lines at its top is enough.
    uint64_t revision = 0;
    uint64_t replacedAt = 0;
    // Set when loading this channel's file was broken off by closing the
    // window: the older part of the log (the last `brokenLoadKeepBytes`
    // bytes of that file) is not in the channel, so saving to that path puts
    // the channel's text above it instead of replacing the file.
    std::wstring brokenLoadPath;
    uint64_t brokenLoadKeepBytes = 0;
};

struct LogState {
    int32_t ErrorLineCount = 0;  // error entries since the last summary
    int32_t HintLineCount = 0;   // hint entries since the last summary
    int32_t HintsPending = 0;    // 1 after any hint entry; the run clears it
    int32_t RunErrorCount = 0;   // errors of the last run, for its summary; set by the run
    // Called with the channel index after each change of a channel.
    void (*ChannelChangedHook)(int channel) = nullptr;
    Channel channels[kChannelCount];
};

LogState& LS();
// Back to the start state (empty channels, counters 0, no hook); for tests.
void ResetLogState();

// The channel a kind writes to: 1 errors, 2 hints, anything else messages.
int ChannelOf(int kind);

// Adds `text` as the newest entry of the kind's channel, or with kind
// core::kLogRunEnd writes the end-of-run summary. A text with line breaks
// (CR LF, LF or CR) becomes several lines in their own order; an empty text
// adds an empty line.
void AddLog(const std::wstring& text, int kind);

// The whole text as the view shows it and the file stores it: newest line
// first, every line (the last included) ending in CR LF; "" when empty.
std::wstring ChannelText(int kind);
// The newest `count` lines (fewer if the channel is shorter) in the same form.
std::wstring ChannelNewestText(int kind, size_t count);
// Replaces the channel by a text from the view or a file; lines may end in
// CR LF, LF or a lone CR, and the last line need not end at all.
void SetChannelText(int kind, const std::wstring& text);
// Replaces the channel by lines already split, oldest first.
void SetChannelLines(int kind, LineStore&& lines);
// Every line, oldest first (for checks; the view takes ChannelText).
std::vector<std::wstring> ChannelLines(int kind);
void ClearChannel(int kind);
size_t ChannelLineCount(int kind);
uint64_t ChannelRevision(int kind);
uint64_t ChannelReplacedAt(int kind);

// `keepBytes` for a file that could not be read at all: everything the file
// holds when it is next saved is kept.
constexpr uint64_t kKeepWholeFile = UINT64_MAX;
// Marks the channel as holding only the newer part of the log at `path`;
// its last `keepBytes` bytes after the byte order mark are the older part.
// Stays until a load of the channel succeeds (or the state is reset);
// clearing or editing the channel does not end it.
void MarkLoadBroken(int kind, const std::wstring& path, uint64_t keepBytes);
void ClearLoadBroken(int kind);
// The path of the broken-off load, "" when the channel holds its whole file.
const std::wstring& LoadBrokenPath(int kind);
uint64_t LoadBrokenKeepBytes(int kind);
void SetLoadBrokenKeepBytes(int kind, uint64_t keepBytes);

}  // namespace logs
