// The monthly log files on disk and the text of a copy error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state.h"
#include "log/channels.h"
#include "log/error_text.h"
#include "log/log_files.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/temp_tree.h"

namespace {

// 07.12.25 09:05:03 and 15.01.26 12:00:00, local time.
constexpr int64_t kDecember7 = 1765098303;
constexpr int64_t kJanuary15 = 1768478400;
constexpr int64_t kDay = 86400;

struct LogFilesFixture : testing::Test {
    testing_support::TempTree tree;
    void SetUp() override {
        logs::ResetLogState();
        core::S().paths.ConfigDir = tree.root;
    }
    void TearDown() override { logs::ResetLogState(); }
};

using LogFiles = LogFilesFixture;
using LogOldFiles = LogFilesFixture;
using LogErrorText = LogFilesFixture;

TEST_F(LogFiles, NamesCarryTheMonthWithoutLeadingZero) {
    plat::SetFakeClock(kJanuary15);
    EXPECT_EQ(logs::CurrentMonth(), 1);
    EXPECT_EQ(logs::LogFileName(core::kLogNormal, 1), L"Tresoro1.log");
    EXPECT_EQ(logs::LogFileName(core::kLogError, 1), L"TresoroErr1.log");
    EXPECT_EQ(logs::LogFileName(core::kLogHint, 1), L"TresoroHinw1.log");
    plat::SetFakeClock(kDecember7);
    EXPECT_EQ(logs::CurrentMonth(), 12);
    EXPECT_EQ(logs::LogFileName(core::kLogNormal, 12), L"Tresoro12.log");
    EXPECT_EQ(logs::LogFileName(core::kLogError, 12), L"TresoroErr12.log");
    EXPECT_EQ(logs::LogFileName(core::kLogHint, 12), L"TresoroHinw12.log");
    EXPECT_EQ(logs::LogFileName(7, 11), L"Tresoro11.log");
}

TEST_F(LogFiles, SaveWritesThreeFilesWithMarkAndCrLf) {
    plat::SetFakeClock(kDecember7);
    logs::AddLog(L"Kopiere: C:\\Daten\\Brief.txt", core::kLogNormal);
    logs::AddLog(L"", core::kLogNormal);
    logs::AddLog(L"Kopierfehler: ä", core::kLogError);
    logs::AddLog(L"Wird nicht kopiert: ß", core::kLogHint);
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"Tresoro12.log"), "\xEF\xBB\xBF\r\nKopiere: C:\\Daten\\Brief.txt\r\n");
    EXPECT_EQ(tree.Read(L"TresoroErr12.log"), "\xEF\xBB\xBFKopierfehler: \xC3\xA4\r\n");
    EXPECT_EQ(tree.Read(L"TresoroHinw12.log"), "\xEF\xBB\xBFWird nicht kopiert: \xC3\x9F\r\n");
    // Saving replaces the file whole; the file always equals the channel.
    logs::AddLog(L"neu", core::kLogError);
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"TresoroErr12.log"), "\xEF\xBB\xBFneu\r\nKopierfehler: \xC3\xA4\r\n");
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(tree.root, L"*", entries));
    EXPECT_EQ(entries.size(), 3u);  // no temporary files left behind
}

TEST_F(LogFiles, EmptyChannelDeletesItsFile) {
    plat::SetFakeClock(kJanuary15);
    tree.Write(L"TresoroErr1.log",
               "\xEF\xBB\xBF"
               "alt\r\n");
    tree.Write(L"TresoroErr12.log",
               "\xEF\xBB\xBF"
               "Dezember\r\n");
    logs::AddLog(L"m", core::kLogNormal);
    logs::SaveLogs();
    EXPECT_FALSE(tree.Exists(L"TresoroErr1.log"));
    EXPECT_FALSE(tree.Exists(L"TresoroHinw1.log"));  // missing stays missing
    EXPECT_TRUE(tree.Exists(L"Tresoro1.log"));
    EXPECT_TRUE(tree.Exists(L"TresoroErr12.log"));  // other months untouched
    // Cleared channels remove the month's files at the next save.
    logs::ClearChannel(core::kLogNormal);
    EXPECT_TRUE(logs::SaveLogFile(core::kLogNormal, tree.Path(L"Tresoro1.log")));
    EXPECT_FALSE(tree.Exists(L"Tresoro1.log"));
}

TEST_F(LogFiles, FailedRenameKeepsTheOldFileAndTheEntries) {
    plat::SetFakeClock(kDecember7);
    logs::AddLog(L"erster Lauf", core::kLogNormal);
    logs::SaveLogs();
    const std::string before = tree.Read(L"Tresoro12.log");
    ASSERT_EQ(before,
              "\xEF\xBB\xBF"
              "erster Lauf\r\n");

    logs::AddLog(L"zweiter Lauf", core::kLogNormal);
    plat::InjectFault(plat::FaultOp::Rename, 1, 19);  // write-protected
    EXPECT_FALSE(logs::SaveLogFile(core::kLogNormal, tree.Path(L"Tresoro12.log")));
    EXPECT_EQ(tree.Read(L"Tresoro12.log"), before);
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(tree.root, L"*", entries));
    EXPECT_EQ(entries.size(), 1u);

    // The entries stayed in the channel and reach the file at the next save.
    logs::SaveLogs();
    EXPECT_EQ(tree.Read(L"Tresoro12.log"),
              "\xEF\xBB\xBF"
              "zweiter Lauf\r\nerster Lauf\r\n");
}

TEST_F(LogOldFiles, OnlyLogFilesOlderThan300DaysGo) {
    const int64_t now = kJanuary15;
    plat::SetFakeClock(now);
    tree.Write(L"Tresoro3.log", "x");
    tree.Write(L"TresoroErr2.LOG", "x");
    tree.Write(L"Tresoro4.log", "x");
    tree.Write(L"Tresoro.ini", "x");
    tree.Write(L"notes.logbook", "x");
    tree.Mkdir(L"Ordner.log");
    ASSERT_TRUE(plat::SetModified(tree.Path(L"Tresoro3.log"), now - 301 * kDay));
    ASSERT_TRUE(plat::SetModified(tree.Path(L"TresoroErr2.LOG"), now - 400 * kDay));
    ASSERT_TRUE(plat::SetModified(tree.Path(L"Tresoro4.log"), now - 299 * kDay));
    ASSERT_TRUE(plat::SetModified(tree.Path(L"Tresoro.ini"), now - 500 * kDay));
    ASSERT_TRUE(plat::SetModified(tree.Path(L"notes.logbook"), now - 500 * kDay));
    EXPECT_TRUE(plat::SetModified(tree.Path(L"Ordner.log"), now - 500 * kDay));

    logs::DeleteOldLogs(tree.root);
    EXPECT_FALSE(tree.Exists(L"Tresoro3.log"));
    EXPECT_FALSE(tree.Exists(L"TresoroErr2.LOG"));
    EXPECT_TRUE(tree.Exists(L"Tresoro4.log"));
    EXPECT_TRUE(tree.Exists(L"Tresoro.ini"));
    EXPECT_TRUE(tree.Exists(L"notes.logbook"));
    EXPECT_TRUE(plat::DirExists(tree.Path(L"Ordner.log")));
}

TEST_F(LogOldFiles, ExactlyThreeHundredDaysStays) {
    plat::SetFakeClock(kJanuary15);
    tree.Write(L"Tresoro3.log", "x");
    ASSERT_TRUE(plat::SetModified(tree.Path(L"Tresoro3.log"), kJanuary15 - logs::LogRetentionSeconds));
    logs::DeleteOldLogs(tree.root);
    EXPECT_TRUE(tree.Exists(L"Tresoro3.log"));
    // A failing delete is ignored; the next start tries again.
    plat::SetFakeClock(kJanuary15 + 1);
    plat::InjectFault(plat::FaultOp::Delete, 1, 19);
    logs::DeleteOldLogs(tree.root);
    EXPECT_TRUE(tree.Exists(L"Tresoro3.log"));
    logs::DeleteOldLogs(tree.root);
    EXPECT_FALSE(tree.Exists(L"Tresoro3.log"));
}

TEST_F(LogErrorText, KnownCodeGivesTheSystemTextWithoutLineBreak) {
    const std::wstring text = logs::WindowsErrorText(2);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    EXPECT_NE(text.rfind(L"Errorcode: ", 0), 0u);
}

TEST_F(LogErrorText, UnknownCodeGivesTheNumberSigned) {
    // customer bit: never a system code
    EXPECT_EQ(logs::WindowsErrorText(0x20001234), L"Errorcode: 536875572");
    EXPECT_EQ(logs::WindowsErrorText(0xFFFFFFFF), L"Errorcode: -1");
}

}  // namespace
