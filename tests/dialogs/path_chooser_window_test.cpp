// The path chooser driven as a user would: clicking through folders, going
// up, typing a path, making a folder, the system browser, and the answers
// of "OK", "Abbrechen" and the close box.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/state.h"
#include "dialogs/path_chooser.h"
#include "dialogs/path_chooser_window.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"
#include "ui/widgets.h"

using namespace dialogs;

namespace {

// Rows of E:\Backup\ in the chooser: folders only, ".." first.
constexpr int kRowUp = 0;
constexpr int kRowAlpha = 1;
constexpr int kRowBeta = 2;

struct PathChooserWindow : testing::Test {
    testing_support::TempTree tree;

    void SetUp() override {
        if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
        tree.Mkdir(L"Backup\\Alpha");
        tree.Mkdir(L"Backup\\Beta\\Deep");
        tree.Write(L"Backup\\aaa.txt", "not a folder");
        ASSERT_TRUE(plat::MapDrive(L"E:", testing_support::HostPathOf(tree.root)));
    }

    static std::wstring Choose(const std::wstring& initial) { return ChoosePath(initial, L"Zielpfad wählen"); }

    // The row of drive E: in the drive list, which is sorted by name.
    static int DriveRowOfE() {
        std::vector<std::wstring> names;
        for (std::wstring root : plat::LogicalDriveRoots()) {
            while (!root.empty() && root.back() == L'\\') root.pop_back();
            names.push_back(root);
        }
        std::sort(names.begin(), names.end(),
                  [](const std::wstring& a, const std::wstring& b) { return plat::CompareNoCase(a, b) < 0; });
        return int(std::find(names.begin(), names.end(), L"E:") - names.begin());
    }

    static std::vector<plat::ShownDialog> MessageBoxes() {
        std::vector<plat::ShownDialog> boxes;
        for (const plat::ShownDialog& d : plat::ShownDialogsForTest())
            if (d.kind == plat::DialogKind::MessageBox) boxes.push_back(d);
        return boxes;
    }
};

}  // namespace

TEST_F(PathChooserWindow, OkReturnsThePathFieldWithBackslashAndCloses) {
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup"), L"E:\\Backup\\");
    EXPECT_FALSE(plat::WindowExists(ChooserWindow));
    EXPECT_EQ(plat::PendingUserActions(), 0u);
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, ASingleClickEntersAFolder) {
    plat::UserClickRow(ChooserDirList, kRowBeta);
    plat::UserClickRow(ChooserDirList, 1);  // "Deep", the only folder in Beta
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Beta\\Deep\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, DotDotAndTheUpButtonGoToTheParent) {
    plat::UserClickRow(ChooserDirList, kRowUp);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\");

    plat::UserClickRow(ChooserDirList, kRowAlpha);
    plat::UserClick(ChooserUpButton);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\");
}

TEST_F(PathChooserWindow, DotDotTwiceFromAFolderOfARootShowsTheDrives) {
    plat::UserClickRow(ChooserDirList, kRowUp);
    plat::UserClickRow(ChooserDirList, kRowUp);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\") << "the drive list: the initial path stays";
}

// The first click of a double click enters the folder and the list is
// filled anew; the second selects nothing there, whatever row now lies under
// the pointer, so the chooser goes one level, as a user used to double
// clicks expects.
TEST_F(PathChooserWindow, ADoubleClickEntersAFolderOrGoesUpOnce) {
    plat::UserClickRow(ChooserDirList, 1, plat::EventType::LeftDoubleClick);  // "Backup"; its row 1 is "Alpha"
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\"), L"E:\\Backup\\");

    plat::UserClickRow(ChooserDirList, kRowUp, plat::EventType::LeftDoubleClick);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\Beta\\"), L"E:\\Backup\\");

    // Beta lists two rows: the second click lands below them.
    plat::UserClickRow(ChooserDirList, kRowBeta, plat::EventType::LeftDoubleClick);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Beta\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, UpAtARootShowsTheDrivesWithAnEmptyFieldAndOkThenKeepsTheInitialPath) {
    plat::UserClick(ChooserUpButton);
    plat::UserClick(ChooserUpButton);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup"), L"E:\\Backup");

    // From the drive list a click on a drive enters it.
    plat::UserClick(ChooserUpButton);
    plat::UserClick(ChooserUpButton);
    plat::UserClickRow(ChooserDirList, DriveRowOfE());
    plat::UserClickRow(ChooserDirList, 1);  // "Backup", the only folder on E:
    plat::UserClickRow(ChooserDirList, kRowBeta);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Beta\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, TypingAPathNavigatesTheList) {
    plat::UserType(ChooserPathField, L"E:\\Backup\\Beta");
    plat::UserClickRow(ChooserDirList, 1);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\"), L"E:\\Backup\\Beta\\Deep\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, ATypedPathIsNotCheckedAndComesBackWithBackslash) {
    plat::UserType(ChooserPathField, L"D:\\Daten");
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"D:\\Daten\\");
}

TEST_F(PathChooserWindow, CancelAndTheCloseBoxReturnTheInitialTextUnchanged) {
    plat::UserClickRow(ChooserDirList, kRowAlpha);
    plat::UserClick(ChooserCancelButton);
    EXPECT_EQ(Choose(L"E:\\Backup"), L"E:\\Backup");

    plat::UserType(ChooserPathField, L"E:\\Backup\\Beta");
    plat::UserCloseWindow(ChooserWindow);
    EXPECT_EQ(Choose(L"E:\\Backup"), L"E:\\Backup");
    EXPECT_FALSE(plat::WindowExists(ChooserWindow));
}

TEST_F(PathChooserWindow, TheSystemBrowserShowsTheTitleAndItsChoiceIsEntered) {
    plat::AnswerNextFolderBrowser(L"E:\\Backup\\Beta");
    plat::UserClick(ChooserBrowseButton);
    plat::UserClickRow(ChooserDirList, 1);  // "Deep": the list followed the browser
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\"), L"E:\\Backup\\Beta\\Deep\\");
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, plat::DialogKind::FolderBrowser);
    EXPECT_EQ(shown[0].caption, L"Zielpfad wählen");
    EXPECT_EQ(shown[0].initial, L"");
    EXPECT_EQ(shown[0].owner, ChooserWindow);
}

TEST_F(PathChooserWindow, ACancelledBrowserLeavesFieldAndList) {
    plat::UserClick(ChooserBrowseButton);
    plat::UserClickRow(ChooserDirList, kRowAlpha);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup"), L"E:\\Backup\\Alpha\\");
}

TEST_F(PathChooserWindow, NewFolderIsMadeInTheListedDirectoryAndListedWithoutMoving) {
    plat::AnswerNextInputBox(true, L"Neu1");
    plat::UserClick(ChooserNewFolderButton);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\");
    EXPECT_TRUE(plat::DirExists(tree.Path(L"Backup\\Neu1\\")));
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, plat::DialogKind::InputBox);
    EXPECT_EQ(shown[0].caption, L"Neues Verzeichnis");
    EXPECT_EQ(shown[0].text, L"Bitte Name eingeben:");
    EXPECT_EQ(shown[0].initial, L"");

    // The new folder shows at once, after Alpha and Beta.
    plat::AnswerNextInputBox(true, L"Neu2");
    plat::UserClick(ChooserNewFolderButton);
    plat::UserClickRow(ChooserDirList, 4);  // .., Alpha, Beta, Neu1, Neu2
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Neu2\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(PathChooserWindow, NewFolderWithoutANameMakesNothingAndSaysNothing) {
    plat::AnswerNextInputBox(true, L"");
    plat::UserClick(ChooserNewFolderButton);
    plat::AnswerNextInputBox(false, L"Verworfen");
    plat::UserClick(ChooserNewFolderButton);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\");
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(tree.Path(L"Backup"), L"*", entries));
    EXPECT_EQ(entries.size(), 3u);  // Alpha, Beta, aaa.txt
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(PathChooserWindow, AFolderThatCannotBeMadeIsReportedAndTheChooserStaysOpen) {
    plat::AnswerNextInputBox(true, L"Alpha");
    plat::UserClick(ChooserNewFolderButton);
    plat::UserClickRow(ChooserDirList, kRowBeta);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Beta\\");
    const auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Tresoro Meldung");
    EXPECT_EQ(boxes[0].text, L"Konnte Verzeichnis nicht erstellen: E:\\Backup\\Alpha");
}

TEST_F(PathChooserWindow, AWindowThatCannotOpenGivesTheEmptyTextAndAMessage) {
    ASSERT_TRUE(plat::OpenWindow(ChooserWindow, L"im Weg", {0, 0, 100, 100}, 0));
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"");
    const auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Tresoro Meldung");
    EXPECT_EQ(boxes[0].text, L"Err - konnte Pfadwahl-Fenster nicht öffnen");
    EXPECT_EQ(plat::GetWindowTitle(ChooserWindow), L"im Weg");
}

TEST_F(PathChooserWindow, TheMainWindowTakesNoInputWhileTheChooserIsOpen) {
    ASSERT_TRUE(plat::OpenWindow(ui::MainWindow, L"Tresoro", {100, 100, 800, 600}, 0));
    ASSERT_TRUE(plat::CreateButton(ui::StartButton, ui::MainWindow, {5, 5, 60, 20}, L"Start"));
    plat::UserClick(ui::StartButton);
    plat::ArriveRegisteredMessage(ui::MainWindow, plat::RegisterAppMessage(L"TresoroBring2Front"));
    plat::UserClickRow(ChooserDirList, kRowAlpha);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\Alpha\\");
    EXPECT_EQ(plat::DroppedUserActions(), 1u);  // the click on "Start"
    EXPECT_EQ(plat::QueuedEvents(), 0u);
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
}

TEST_F(PathChooserWindow, OverTheJobEditorBothWindowsBelowAreHeldAndGivenBackAsTheyWere) {
    ASSERT_TRUE(plat::OpenWindow(ui::MainWindow, L"Tresoro", {100, 100, 800, 600}, 0));
    ASSERT_TRUE(plat::OpenWindow(ui::kJobEditorIds, L"Set bearbeiten", {0, 0, 500, 185}, plat::kWinCenterOwner,
                                 ui::MainWindow));
    ASSERT_TRUE(plat::CreateButton(ui::kJobEditorIds + 1, ui::kJobEditorIds, {5, 5, 40, 20}, L"Quelle:"));
    plat::SetWindowEnabled(ui::MainWindow, false);  // as the editor's own loop holds it
    plat::UserClick(ui::kJobEditorIds + 1);
    plat::UserClick(ChooserOkButton);
    EXPECT_EQ(Choose(L"E:\\Backup\\"), L"E:\\Backup\\");
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
    EXPECT_FALSE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_TRUE(plat::GetWindowEnabled(ui::kJobEditorIds));
}

TEST_F(PathChooserWindow, LayoutInDesignUnitsCentredOnTheMainWindow) {
    core::S().DialogScale = 1.25;
    ASSERT_TRUE(plat::OpenWindow(ui::MainWindow, L"Tresoro", {100, 100, 800, 600}, 0));
    ASSERT_TRUE(OpenPathChooser(L"E:\\Backup\\", L"Quellpfad wählen"));
    EXPECT_EQ(plat::GetWindowTitle(ChooserWindow), L"Quellpfad wählen");
    const plat::Box win = plat::GetWindowBox(ChooserWindow);
    EXPECT_EQ(win.w, 400);
    EXPECT_EQ(win.h, 338);  // 337.5 to the even neighbour
    EXPECT_EQ(win.x, 100 + (800 - 400) / 2);
    EXPECT_EQ(win.y, 100 + (600 - 338) / 2);
    EXPECT_EQ(plat::WindowOwnerForTest(ChooserWindow), ui::MainWindow);

    const plat::Box list = plat::GetGadgetBox(ChooserDirList);
    EXPECT_EQ(list.w, 375);
    EXPECT_EQ(list.h, 250);
    const plat::Box up = plat::GetGadgetBox(ChooserUpButton);
    EXPECT_EQ(up.x, 12);  // 12.5
    EXPECT_EQ(up.y, 275);
    EXPECT_EQ(plat::GetListColumnWidth(ChooserDirList, 0), 220);
    EXPECT_EQ(plat::GetListColumnWidth(ChooserDirList, 1), 60);

    EXPECT_EQ(plat::GetGadgetText(ChooserPathField), L"E:\\Backup\\");
    EXPECT_EQ(plat::GetGadgetText(ChooserDirList), L"E:\\Backup\\");
    ASSERT_EQ(plat::GetListRowCount(ChooserDirList), 3);
    EXPECT_EQ(plat::GetDirListName(ChooserDirList, kRowUp), L"..");
    EXPECT_EQ(plat::GetDirListName(ChooserDirList, kRowAlpha), L"Alpha");
    EXPECT_EQ(plat::GetDirListName(ChooserDirList, kRowBeta), L"Beta");
    plat::RemoveWindow(ChooserWindow);
}
