// "Daten Wiederherstellen" driven as a user would, mostly by keyboard:
// the current job's backup folder by folder, the versions of a file, an
// older moment, a version opened from a copy, a file restored beside a
// different one, a folder as of a moment into another folder through the
// path chooser, and a restore cancelled.
#include <gtest/gtest.h>

#include "core/state.h"
#include "dialogs/path_chooser_window.h"
#include "dialogs/restore.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "ui/view_state.h"

using namespace dialogs;
using namespace testing_support;

namespace {

constexpr int64_t kFirst = kTestNow - 10 * kDay;
constexpr int64_t kSecond = kTestNow - 5 * kDay;

struct RestoreWindowTest : testing::Test {
    JobTree t{3};

    void SetUp() override {
        if (!plat::HeadlessGui()) GTEST_SKIP();
        InstallRecorder();
        WriteDated(t.src + L"Bericht.txt", "erste Fassung", kFirst - 600);
        WriteDated(t.src + L"Projekt\\Plan.txt", "plan eins", kFirst - 600);
        WriteDated(t.src + L"Projekt\\Alt.txt", "alt", kFirst - 600);
        plat::SetFakeClock(kFirst, 1000);
        t.Sync();
        WriteDated(t.src + L"Bericht.txt", "zweite Fassung", kSecond - 600);
        WriteDated(t.src + L"Projekt\\Plan.txt", "plan zwei", kSecond - 600);
        ASSERT_TRUE(plat::DeleteFileAt(t.src + L"Projekt\\Alt.txt"));
        plat::SetFakeClock(kSecond, 1000);
        t.Sync();
        plat::SetFakeClock(kTestNow, 1000);
        ui::V().CurrentSid = t.sid;
        ASSERT_TRUE(StartRestoreWindow());
        Pump();
    }
    void TearDown() override { ui::ResetViewState(); }

    // Hands the window every pending event and user action, as its loop
    // would; true once it is done.
    static bool Pump() {
        bool done = false;
        plat::GuiEvent event;
        while (plat::PollEvent(event)) done = RestoreWindowEvent(event) || done;
        return done;
    }
    static void Key(int key) {
        plat::UserPressKey(RestoreWindow, key);
        Pump();
    }
    static int RowNamed(int list, const std::wstring& name) {
        for (int r = 0; r < plat::GetListRowCount(list); ++r)
            if (plat::GetListCell(list, r, 0) == name) return r;
        return -1;
    }
    static void Select(int list, const std::wstring& name) {
        plat::UserClickRow(list, RowNamed(list, name));
        Pump();
    }
    static std::vector<std::wstring> Row(int list, int row) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < 4; ++c) cells.push_back(plat::GetListCell(list, row, c));
        return cells;
    }
};

TEST_F(RestoreWindowTest, TheBackupFolderByFolderWithEveryVersionOfAFile) {
    EXPECT_EQ(plat::GetWindowTitle(RestoreWindow), L"Daten Wiederherstellen");
    EXPECT_EQ(plat::GetListCurrentRow(RestoreJobList), 0);
    EXPECT_EQ(plat::GetListRowCount(RestoreTreeList), 2);
    EXPECT_EQ(Row(RestoreTreeList, 0), (std::vector<std::wstring>{L"Projekt\\", L"", L"", L""}));
    EXPECT_EQ(Row(RestoreTreeList, 1)[0], L"Bericht.txt");
    // Enter opens the folder; what the source no longer has is marked.
    plat::UserFocus(RestoreTreeList);
    plat::SetListCurrentRow(RestoreTreeList, 0);
    Pump();
    Key(plat::kKeyReturn);
    EXPECT_EQ(plat::GetGadgetText(RestoreFolderLabel), L"Ordner: \\Projekt   (neuester Stand)");
    ASSERT_EQ(plat::GetListRowCount(RestoreTreeList), 2);  // ".." and the plan
    EXPECT_EQ(Row(RestoreTreeList, 1)[0], L"Plan.txt");
    // An older moment, typed as the program writes dates.
    plat::UserType(RestoreAsOfField, engine::FormatMoment(kFirst + 60).substr(0, 16));
    plat::UserFocus(RestoreAsOfField);
    Key(plat::kKeyReturn);
    EXPECT_EQ(plat::GetListRowCount(RestoreTreeList), 3);
    EXPECT_EQ(Row(RestoreTreeList, RowNamed(RestoreTreeList, L"Alt.txt"))[3], L"nicht mehr da");
    Select(RestoreTreeList, L"Plan.txt");
    ASSERT_EQ(plat::GetListRowCount(RestoreVersionList), 2);
    EXPECT_EQ(Row(RestoreVersionList, 0)[2], L"Spiegel");
    EXPECT_EQ(Row(RestoreVersionList, 1), (std::vector<std::wstring>{engine::FormatMoment(kFirst - 600), L"9",
                                                                     L"@\\Projekt\\Plan.txt", L"im Stand"}));
    // ".." goes back up.
    plat::SetListCurrentRow(RestoreTreeList, 0);
    Pump();
    plat::UserFocus(RestoreTreeList);
    Key(plat::kKeyReturn);
    EXPECT_EQ(RowNamed(RestoreTreeList, L"Projekt\\"), 0);
    // A date in another form is refused and the moment stays.
    plat::UserType(RestoreAsOfField, L"gestern");
    plat::UserClick(RestoreAsOfButton);
    Pump();
    ASSERT_FALSE(plat::ShownDialogsForTest().empty());
    EXPECT_EQ(plat::ShownDialogsForTest().back().text.rfind(L"Bitte den Stand", 0), 0u);
    // Escape closes the window.
    plat::UserPressKey(RestoreWindow, plat::kKeyEscape);
    EXPECT_TRUE(Pump());
}

TEST_F(RestoreWindowTest, OpenAVersionThenRestoreItBesideADifferentFile) {
    Select(RestoreTreeList, L"Bericht.txt");
    plat::SetListCurrentRow(RestoreVersionList, 1);  // the first version, from "@"
    Pump();
    plat::ResetShellOpenedForTest();
    plat::UserClick(RestoreOpenButton);
    Pump();
    const std::vector<std::wstring> opened = plat::ShellOpenedForTest();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0],
              plat::TempDir() + L"Tresoro\\Bericht (Stand " + engine::FormatStandName(kFirst - 600) + L").txt");
    EXPECT_EQ(ReadAll(opened[0]), "erste Fassung");
    // The source has another report now: it stays.
    WriteDated(t.src + L"Bericht.txt", "dritte Fassung", kTestNow - 60);
    const auto backup = Snapshot(t.dst);
    plat::UserClick(RestoreHereButton);
    Pump();
    EXPECT_EQ(ReadAll(t.src + L"Bericht.txt"), "dritte Fassung");
    const std::wstring beside = t.src + L"Bericht (Stand " + engine::FormatStandName(kFirst - 600) + L").txt";
    EXPECT_EQ(ReadAll(beside), "erste Fassung");
    EXPECT_EQ(plat::GetGadgetText(RestoreResultLine),
              L"1 Datei wiederhergestellt, davon 1 neben vorhandener Datei - z.B. " + beside);
    EXPECT_EQ(Snapshot(t.dst), backup);
    (void)plat::DeleteFileAt(opened[0]);
    (void)plat::RemoveDir(plat::TempDir() + L"Tresoro");
}

TEST_F(RestoreWindowTest, AFolderAsOfAMomentIntoANewFolderThroughThePathChooser) {
    plat::UserType(RestoreAsOfField, engine::FormatMoment(kFirst + 60));
    plat::UserClick(RestoreAsOfButton);
    Pump();
    Select(RestoreTreeList, L"Projekt\\");
    const std::wstring into = t.tree.Path(L"Neu\\Ordner");
    plat::UserClick(RestoreToButton);
    plat::UserType(ChooserPathField, into);
    plat::UserClick(ChooserOkButton);
    Pump();
    EXPECT_EQ(Snapshot(into),
              (std::map<std::wstring, std::string>{
                  {L"Projekt\\", ""}, {L"Projekt\\Alt.txt", "alt"}, {L"Projekt\\Plan.txt", "plan eins"}}));
    EXPECT_EQ(plat::GetGadgetText(RestoreResultLine), L"2 Dateien wiederhergestellt - " + into + L"\\Projekt");
    EXPECT_TRUE(plat::GetGadgetEnabled(RestoreHereButton));
    EXPECT_FALSE(plat::GetGadgetEnabled(RestoreCancelButton));
}

TEST_F(RestoreWindowTest, AbbrechenStopsARestoreAndLeavesNothingHalfWritten) {
    WriteDated(t.src + L"Projekt\\Groß.bin", Pattern(3 << 20), kTestNow - 60);
    t.Sync();
    RestoreShowJob(t.sid);
    const std::wstring into = t.tree.Path(L"Abgebrochen");
    plat::UserClick(RestoreToButton);
    plat::UserType(ChooserPathField, into);
    plat::UserClick(ChooserOkButton);
    plat::UserClick(RestoreCancelButton);
    Pump();
    EXPECT_NE(plat::GetGadgetText(RestoreResultLine).find(L" - abgebrochen"), std::wstring::npos);
    for (const auto& [path, content] : Snapshot(into)) {
        if (path.back() != L'\\') {
            EXPECT_EQ(content, ReadAll(t.dst + path.substr(path.find(L'\\') + 1))) << plat::WideToUtf8(path);
        }
    }
    EXPECT_TRUE(plat::GetGadgetEnabled(RestoreHereButton));
}

}  // namespace
