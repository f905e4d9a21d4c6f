// The three channels: where entries go, their order, the counters and the
// closing summary of a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/clock.h"

namespace {

// 07.12.25 09:05:03 local time.
constexpr int64_t kDecember7 = 1765098303;
const std::wstring kSep = L"---------------------------------------------------";

struct LogFixture : testing::Test {
    void SetUp() override { logs::ResetLogState(); }
    void TearDown() override {
        logs::ResetLogState();
        core::SetSinks(core::Sinks{});
    }
};

using LogChannels = LogFixture;
using LogSummary = LogFixture;
using LogSinks = LogFixture;

TEST_F(LogChannels, NewestEntryComesFirst) {
    logs::AddLog(L"eins", core::kLogNormal);
    logs::AddLog(L"zwei", core::kLogNormal);
    logs::AddLog(L"drei", core::kLogNormal);
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"drei\r\nzwei\r\neins\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogNormal), 3u);
}

TEST_F(LogChannels, MultiLineTextKeepsItsOwnOrderAboveOlderLines) {
    logs::AddLog(L"alt", core::kLogError);
    logs::AddLog(L"a\r\nb\nc\rd", core::kLogError);
    EXPECT_EQ(logs::ChannelText(core::kLogError), L"a\r\nb\r\nc\r\nd\r\nalt\r\n");
    // A break at the end separates an empty line, as the view shows it.
    logs::AddLog(L"x\n", core::kLogError);
    EXPECT_EQ(logs::ChannelNewestText(core::kLogError, 2), L"x\r\n\r\n");
    // The entry counts once however many lines it has.
    EXPECT_EQ(logs::LS().ErrorLineCount, 3);
}

TEST_F(LogChannels, EmptyTextAddsAnEmptyLine) {
    logs::AddLog(L"vorher", core::kLogHint);
    logs::AddLog(L"", core::kLogHint);
    EXPECT_EQ(logs::ChannelText(core::kLogHint), L"\r\nvorher\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 2u);
}

TEST_F(LogChannels, KindsGoToTheirChannelsAndUnknownKindsToMessages) {
    logs::AddLog(L"fehler", core::kLogError);
    logs::AddLog(L"hinweis", core::kLogHint);
    logs::AddLog(L"sieben", 7);
    logs::AddLog(L"minus zwei", -2);
    logs::AddLog(L"normal", core::kLogNormal);
    EXPECT_EQ(logs::ChannelText(core::kLogError), L"fehler\r\n");
    EXPECT_EQ(logs::ChannelText(core::kLogHint), L"hinweis\r\n");
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"normal\r\nminus zwei\r\nsieben\r\n");
    EXPECT_EQ(logs::ChannelText(7), logs::ChannelText(core::kLogNormal));
}

TEST_F(LogChannels, CountersFollowErrorAndHintEntries) {
    logs::AddLog(L"n", core::kLogNormal);
    EXPECT_EQ(logs::LS().HintsPending, 0);
    logs::AddLog(L"h1", core::kLogHint);
    logs::AddLog(L"h2", core::kLogHint);
    logs::AddLog(L"e", core::kLogError);
    EXPECT_EQ(logs::LS().HintLineCount, 2);
    EXPECT_EQ(logs::LS().ErrorLineCount, 1);
    EXPECT_EQ(logs::LS().HintsPending, 1);
    // Error entries do not touch the run's error counter: the run raises it.
    EXPECT_EQ(logs::LS().RunErrorCount, 0);
}

TEST_F(LogChannels, UserEditRoundTrip) {
    logs::AddLog(L"Kopiere: C:\\a.txt", core::kLogNormal);
    logs::AddLog(L"Archiviere: C:\\b.txt", core::kLogNormal);
    std::wstring text = logs::ChannelText(core::kLogNormal);
    logs::SetChannelText(core::kLogNormal, text);
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), text);

    // The user deletes the newest line and types a note at the end, without a
    // line break; the control may hand back lone CRs.
    logs::SetChannelText(core::kLogNormal, L"Kopiere: C:\\a.txt\rNotiz äöü");
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"Kopiere: C:\\a.txt\r\nNotiz äöü\r\n");
    logs::AddLog(L"neu", core::kLogNormal);
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"neu\r\nKopiere: C:\\a.txt\r\nNotiz äöü\r\n");
}

TEST_F(LogChannels, SetTextAcceptsEveryLineEndAndEmptyLines) {
    logs::SetChannelText(core::kLogHint, L"a\nb\r\n\r\nc\r");
    EXPECT_EQ(logs::ChannelText(core::kLogHint), L"a\r\nb\r\n\r\nc\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 4u);
    logs::SetChannelText(core::kLogHint, L"\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 1u);
    logs::SetChannelText(core::kLogHint, L"");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 0u);
    EXPECT_EQ(logs::ChannelText(core::kLogHint), L"");
}

TEST_F(LogChannels, ClearEmptiesOnlyThatChannel) {
    logs::AddLog(L"m", core::kLogNormal);
    logs::AddLog(L"e", core::kLogError);
    logs::ClearChannel(core::kLogNormal);
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"");
    EXPECT_EQ(logs::ChannelText(core::kLogError), L"e\r\n");
}

std::vector<int> g_changed;
void RecordChange(int channel) { g_changed.push_back(channel); }

TEST_F(LogChannels, HookAndRevisionsTellAViewWhatChanged) {
    g_changed.clear();
    logs::LS().ChannelChangedHook = &RecordChange;
    logs::AddLog(L"a", 7);
    logs::AddLog(L"b", core::kLogHint);
    const uint64_t shown = logs::ChannelRevision(core::kLogNormal);
    logs::AddLog(L"c", core::kLogNormal);
    logs::AddLog(L"d", core::kLogNormal);
    // Only additions since the view's revision: the newest lines are enough.
    EXPECT_LT(logs::ChannelReplacedAt(core::kLogNormal), shown);
    EXPECT_EQ(logs::ChannelNewestText(core::kLogNormal, 2), L"d\r\nc\r\n");
    logs::ClearChannel(core::kLogNormal);
    EXPECT_GT(logs::ChannelReplacedAt(core::kLogNormal), shown);
    EXPECT_EQ(g_changed, (std::vector<int>{0, 2, 0, 0, 0}));
}

TEST_F(LogChannels, ManyLinesStayIntact) {
    const int n = 200000;
    for (int i = 0; i < n; ++i) logs::AddLog(L"Kopiere: " + std::to_wstring(i), core::kLogNormal);
    ASSERT_EQ(logs::ChannelLineCount(core::kLogNormal), static_cast<size_t>(n));
    const std::wstring text = logs::ChannelText(core::kLogNormal);
    EXPECT_EQ(text.rfind(L"Kopiere: 199999\r\nKopiere: 199998\r\n", 0), 0u);
    const std::wstring tail = L"Kopiere: 1\r\nKopiere: 0\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    size_t breaks = 0;
    for (wchar_t c : text) breaks += c == L'\n';
    EXPECT_EQ(breaks, static_cast<size_t>(n));
}

TEST_F(LogSummary, HintsOnlyAddSeparatorAndDateToHints) {
    plat::SetFakeClock(kDecember7);
    logs::AddLog(L"Wird nicht kopiert: x", core::kLogHint);
    logs::AddLog(L"", core::kLogRunEnd);
    EXPECT_EQ(logs::ChannelText(core::kLogHint), kSep + L"\r\n07.12.25 09:05:03\r\nWird nicht kopiert: x\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogError), 0u);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogNormal), 0u);
    EXPECT_EQ(logs::LS().HintLineCount, 0);
    // The run clears HintsPending itself when it writes its closing lines.
    EXPECT_EQ(logs::LS().HintsPending, 1);
}

TEST_F(LogSummary, ErrorBlockPrintsTheRunsErrorCount) {
    plat::SetFakeClock(kDecember7);
    for (int i = 0; i < 3; ++i) logs::AddLog(L"Kopierfehler: " + std::to_wstring(i), core::kLogError);
    logs::LS().RunErrorCount = 5;
    logs::AddLog(L"ignored", core::kLogRunEnd);
    const std::wstring text = logs::ChannelText(core::kLogError);
    EXPECT_EQ(text, kSep +
                        L"\r\n07.12.25 09:05:03   Anzahl Fehler: 5\r\n"
                        L"Kopierfehler: 2\r\nKopierfehler: 1\r\nKopierfehler: 0\r\n");
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 0u);
    EXPECT_EQ(logs::LS().ErrorLineCount, 0);
    EXPECT_EQ(logs::LS().RunErrorCount, 5);
}

TEST_F(LogSummary, QuietRunAddsNothingAndCountersStartOver) {
    logs::AddLog(L"Kopiere: a", core::kLogNormal);
    logs::AddLog(L"", core::kLogRunEnd);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogError), 0u);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 0u);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogNormal), 1u);

    // After a summary only the next run's entries are summarised.
    plat::SetFakeClock(kDecember7);
    logs::AddLog(L"e1", core::kLogError);
    logs::AddLog(L"h1", core::kLogHint);
    logs::AddLog(L"", core::kLogRunEnd);
    logs::AddLog(L"", core::kLogRunEnd);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogError), 3u);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogHint), 3u);
    EXPECT_EQ(logs::LS().ErrorLineCount, 0);
    EXPECT_EQ(logs::LS().HintLineCount, 0);
}

TEST_F(LogSinks, CoreLogReachesTheChannels) {
    logs::InstallCoreSinks(nullptr);
    core::Log(L"aus core", core::kLogError);
    core::Message(L"Meldung", L"ohne Empfänger");  // null message sink: no effect
    EXPECT_EQ(logs::ChannelText(core::kLogError), L"aus core\r\n");
    EXPECT_EQ(logs::LS().ErrorLineCount, 1);
}

}  // namespace
