// Loading the month's log files into the channels at start, breaking a load
// off by closing the window, and "Lösche Logs".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"
#include "core/state.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/temp_tree.h"

namespace {

// 15.01.26 12:00:00 local time: the month's files end in "1.log".
constexpr int64_t kJanuary15 = 1768478400;
constexpr int64_t kDay = 86400;
const std::string kMark = "\xEF\xBB\xBF";
const std::wstring kLoading = L"Lade Logdatei (win close breaks): ";

// What the window was shown and asked while loading.
struct ViewerRecord {
    std::vector<std::wstring> statusLines;
    std::vector<std::wstring> progress;
    int drains = 0;
    std::wstring closeWhileLoading;  // a close event arrives during this file
};
ViewerRecord g_record;

void RecordStatus(const std::wstring& text) { g_record.statusLines.push_back(text); }
void RecordProgress(const std::wstring& text) { g_record.progress.push_back(text); }
bool RecordDrain() {
    ++g_record.drains;
    const std::wstring& close = g_record.closeWhileLoading;
    return !close.empty() && !g_record.statusLines.empty() &&
           g_record.statusLines.back().find(close) != std::wstring::npos;
}

struct LogViewerFixture : testing::Test {
    testing_support::TempTree tree;
    void SetUp() override {
        g_record = ViewerRecord{};
        logs::ResetLogState();
        core::S().paths.ConfigDir = tree.root;
        plat::SetFakeClock(kJanuary15);
        logs::LogViewerWindow window;
        window.statusLine = &RecordStatus;
        window.progressCount = &RecordProgress;
        window.drainUntilClose = &RecordDrain;
        logs::SetLogViewerWindow(window);
    }
    void TearDown() override {
        logs::SetLogViewerWindow(logs::LogViewerWindow{});
        logs::ResetLogState();
    }
    // A log file written yesterday, so the age test keeps it.
    void WriteLog(const std::wstring& name, const std::string& bytes) {
        tree.Write(name, bytes);
        ASSERT_TRUE(plat::SetModified(tree.Path(name), kJanuary15 - kDay));
    }
    std::wstring Text(int kind) { return logs::ChannelText(kind); }
};

using LogViewerLoad = LogViewerFixture;
using LogViewerBreak = LogViewerFixture;
using LogViewerClear = LogViewerFixture;

// 100-byte lines, newest first as the program writes them.
std::string Lines(size_t count) {
    std::string bytes;
    bytes.reserve(count * 100);
    for (size_t i = 0; i < count; ++i) bytes += std::string(98, 'x') + "\r\n";
    return bytes;
}

TEST_F(LogViewerLoad, SevenMillionBytesComeInThreeChunks) {
    WriteLog(L"Tresoro1.log", Lines(70000));
    logs::LoadLogs();
    EXPECT_EQ(g_record.progress, (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(g_record.drains, 3);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogNormal), 70000u);
    // The missing error and hint files show their path but no count, so the
    // count of the large file stays; the status line ends empty.
    EXPECT_EQ(g_record.statusLines, (std::vector<std::wstring>{kLoading + tree.Path(L"Tresoro1.log"),
                                                               kLoading + tree.Path(L"TresoroErr1.log"),
                                                               kLoading + tree.Path(L"TresoroHinw1.log"), L""}));
}

TEST_F(LogViewerLoad, NoFilesGiveEmptyChannels) {
    logs::AddLog(L"vorher", core::kLogError);
    logs::LoadLogs();
    EXPECT_EQ(Text(core::kLogNormal), L"");
    EXPECT_EQ(Text(core::kLogError), L"");  // a missing file empties the channel
    EXPECT_EQ(Text(core::kLogHint), L"");
    EXPECT_TRUE(g_record.progress.empty());
    ASSERT_FALSE(g_record.statusLines.empty());
    EXPECT_EQ(g_record.statusLines.back(), L"");
}

TEST_F(LogViewerLoad, CharactersCutByChunkBoundariesDecodeWhole) {
    // "ä" takes the last byte of the first chunk and the first of the second;
    // a four-byte character starts two bytes before the end of the second.
    std::string bytes = std::string(2999999, 'a') +
                        "\xC3\xA4"
                        "\r\n";
    bytes += std::string(6000000 - 2 - bytes.size(), 'b') +
             "\xF0\x9F\x98\x80"
             "\r\n";
    bytes += "ende\r\n";
    WriteLog(L"Tresoro1.log", bytes);
    logs::LoadLogFile(tree.Path(L"Tresoro1.log"), core::kLogNormal);
    const std::wstring text = Text(core::kLogNormal);
    EXPECT_EQ(text.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_NE(text.find(L"a\x00E4\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"b\U0001F600\r\nende\r\n"), std::wstring::npos);
    EXPECT_EQ(logs::ChannelLineCount(core::kLogNormal), 3u);
    EXPECT_EQ(g_record.progress, (std::vector<std::wstring>{L"1", L"2", L"3"}));
}

TEST_F(LogViewerLoad, CharacterCutByTheEndOfTheFileStaysVisible) {
    WriteLog(L"Tresoro1.log", "abc\xC3");
    logs::LoadLogFile(tree.Path(L"Tresoro1.log"), core::kLogNormal);
    const std::wstring text = Text(core::kLogNormal);
    EXPECT_EQ(text.rfind(L"abc", 0), 0u);
    EXPECT_NE(text.find(L'\xFFFD'), std::wstring::npos);
}

TEST_F(LogViewerLoad, ByteOrderMarksAreSkipped) {
    WriteLog(L"Tresoro1.log", kMark + "eins\r\nzwei\r\n");
    logs::LoadLogFile(tree.Path(L"Tresoro1.log"), core::kLogNormal);
    EXPECT_EQ(Text(core::kLogNormal), L"eins\r\nzwei\r\n");
    // Without a mark the first byte is content.
    WriteLog(L"TresoroErr1.log", "\xC3\xA4rger\r\n");
    logs::LoadLogFile(tree.Path(L"TresoroErr1.log"), core::kLogError);
    EXPECT_EQ(Text(core::kLogError), L"\x00E4rger\r\n");
    // A UTF-16 mark is skipped too; what follows is still read as UTF-8.
    WriteLog(L"TresoroHinw1.log", "\xFF\xFEhinweis\r\n");
    logs::LoadLogFile(tree.Path(L"TresoroHinw1.log"), core::kLogHint);
    EXPECT_EQ(Text(core::kLogHint), L"hinweis\r\n");
    // A mark alone is an empty log: nothing to count.
    WriteLog(L"Tresoro1.log", kMark);
    logs::LoadLogFile(tree.Path(L"Tresoro1.log"), core::kLogNormal);
    EXPECT_EQ(Text(core::kLogNormal), L"");
    EXPECT_EQ(g_record.progress, (std::vector<std::wstring>{L"1", L"1", L"1"}));
}

TEST_F(LogViewerLoad, FileOlderThan300DaysIsDeletedBeforeLoading) {
    WriteLog(L"Tresoro1.log", kMark + "vom letzten Jahr\r\n");
    WriteLog(L"TresoroErr1.log", kMark + "jung genug\r\n");
    ASSERT_TRUE(plat::SetModified(tree.Path(L"Tresoro1.log"), kJanuary15 - 301 * kDay));
    ASSERT_TRUE(plat::SetModified(tree.Path(L"TresoroErr1.log"), kJanuary15 - 299 * kDay));
    logs::LoadLogs();
    EXPECT_FALSE(tree.Exists(L"Tresoro1.log"));
    EXPECT_EQ(Text(core::kLogNormal), L"");
    EXPECT_EQ(Text(core::kLogError), L"jung genug\r\n");
}

TEST_F(LogViewerBreak, ClosingDuringTheSecondFileKeepsItsLogOnDisk) {
    WriteLog(L"Tresoro1.log", kMark + "meldung\r\n");
    WriteLog(L"TresoroErr1.log", kMark + "fehler 2\r\nfehler 1\r\n");
    WriteLog(L"TresoroHinw1.log", kMark + "hinweis\r\n");
    g_record.closeWhileLoading = L"TresoroErr1.log";
    logs::LoadLogs();
    EXPECT_EQ(Text(core::kLogNormal), L"meldung\r\n");
    EXPECT_EQ(Text(core::kLogError), L"");
    EXPECT_EQ(Text(core::kLogHint), L"hinweis\r\n");  // the close was used up
    ASSERT_FALSE(g_record.statusLines.empty());
    EXPECT_EQ(g_record.statusLines.back(), L"");

    // The next save puts the new lines above the file's content...
    logs::AddLog(L"neu", core::kLogError);
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "neu\r\nfehler 2\r\nfehler 1\r\n");
    EXPECT_EQ(tree.Read(L"Tresoro1.log"), kMark + "meldung\r\n");
    // ...and every later save too, without repeating what is already there.
    logs::AddLog(L"neuer", core::kLogError);
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "neuer\r\nneu\r\nfehler 2\r\nfehler 1\r\n");
    // Emptying the channel drops only what it showed.
    logs::ClearLogs();
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "fehler 2\r\nfehler 1\r\n");
    EXPECT_FALSE(tree.Exists(L"Tresoro1.log"));
    EXPECT_FALSE(tree.Exists(L"TresoroHinw1.log"));
}

TEST_F(LogViewerBreak, NextMonthsFileGetsOnlyTheNewLines) {
    WriteLog(L"TresoroErr1.log", kMark + "januar\r\n");
    g_record.closeWhileLoading = L"TresoroErr1.log";
    logs::LoadLogs();
    logs::AddLog(L"februar", core::kLogError);
    plat::SetFakeClock(kJanuary15 + 20 * kDay);
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr2.log"), kMark + "februar\r\n");
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "januar\r\n");
}

TEST_F(LogViewerBreak, UnreadableFileIsKeptWholeBelowTheNewLines) {
    WriteLog(L"TresoroErr1.log", kMark + "alt\r\n");
    plat::InjectFault(plat::FaultOp::Read, 1, 32);  // sharing violation
    logs::LoadLogFile(tree.Path(L"TresoroErr1.log"), core::kLogError);
    EXPECT_EQ(Text(core::kLogError), L"");
    logs::AddLog(L"neu", core::kLogError);
    EXPECT_TRUE(logs::SaveLogFile(core::kLogError, tree.Path(L"TresoroErr1.log")));
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "neu\r\nalt\r\n");
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "neu\r\nalt\r\n");

    // While the file cannot be read at save time either, it is left alone.
    logs::AddLog(L"neuer", core::kLogError);
    plat::InjectFault(plat::FaultOp::Read, 1, 32);
    EXPECT_FALSE(logs::SaveLogFile(core::kLogError, tree.Path(L"TresoroErr1.log")));
    EXPECT_EQ(tree.Read(L"TresoroErr1.log"), kMark + "neu\r\nalt\r\n");

    // A load that succeeds ends the protection: the file equals the channel.
    logs::LoadLogFile(tree.Path(L"TresoroErr1.log"), core::kLogError);
    logs::ClearLogs();
    logs::SaveLogs();
    EXPECT_FALSE(tree.Exists(L"TresoroErr1.log"));
}

TEST_F(LogViewerClear, ClearThenSaveDeletesOnlyThisMonthsFiles) {
    WriteLog(L"Tresoro1.log", kMark + "m\r\n");
    WriteLog(L"TresoroErr1.log", kMark + "f\r\n");
    WriteLog(L"TresoroHinw1.log", kMark + "h\r\n");
    WriteLog(L"Tresoro12.log", kMark + "dezember\r\n");
    WriteLog(L"TresoroErr12.log", kMark + "dezember\r\n");
    logs::LoadLogs();
    ASSERT_EQ(Text(core::kLogHint), L"h\r\n");
    logs::ClearLogs();
    for (int kind : {core::kLogNormal, core::kLogError, core::kLogHint}) EXPECT_EQ(logs::ChannelLineCount(kind), 0u);
    EXPECT_TRUE(tree.Exists(L"Tresoro1.log"));  // left alone until the save
    logs::SaveLogs();
    EXPECT_FALSE(tree.Exists(L"Tresoro1.log"));
    EXPECT_FALSE(tree.Exists(L"TresoroErr1.log"));
    EXPECT_FALSE(tree.Exists(L"TresoroHinw1.log"));
    EXPECT_TRUE(tree.Exists(L"Tresoro12.log"));
    EXPECT_TRUE(tree.Exists(L"TresoroErr12.log"));
}

}  // namespace
