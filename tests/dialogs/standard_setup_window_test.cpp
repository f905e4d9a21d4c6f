// The window "Standard Datenbackups einrichten" in the running program: its
// controls in design units, the proposal, and what each button does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/standard_setup.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/menu.h"
#include "ui/widgets.h"

namespace {

using namespace dialogs;

struct StandardSetupWindowTest : ui_testing::UiFixture {
    std::wstring backup;
    void SetUp() override {
        UiFixture::SetUp();
        StartOk();
        tree.Write(L"Users\\Nutzer\\NTUSER.DAT", "n");
        tree.Write(L"Users\\Public\\Musik\\lied.mp3", "m");
        tree.Mkdir(L"backup");
        backup = tree.Path(L"backup\\");
        plat::SetEnvForTest(L"USERNAME", L"Nutzer");
        plat::SetEnvForTest(L"PUBLIC", tree.Path(L"Users\\Public"));
        plat::SetEnvForTest(L"SystemDrive", L"Z:");  // the only drive: no proposal
        plat::SetSpecialFolderForTest(40, tree.Path(L"Users\\Nutzer"));
        plat::SetSpecialFolderForTest(5, tree.Path(L"Users\\Nutzer\\Documents"));
        core::S().settings.GStdAuto = 1;
        plat::SetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto, true);
    }
    static std::vector<std::wstring> Texts() {
        std::vector<std::wstring> out;
        for (const plat::ShownDialog& d : plat::ShownDialogsForTest()) out.push_back(d.text);
        return out;
    }
};

void ExpectBox(int gadget, plat::Box want) {
    const plat::Box got = plat::GetGadgetBox(gadget);
    EXPECT_EQ(got.x, want.x) << gadget;
    EXPECT_EQ(got.y, want.y) << gadget;
    EXPECT_EQ(got.w, want.w) << gadget;
    EXPECT_EQ(got.h, want.h) << gadget;
}

TEST_F(StandardSetupWindowTest, ControlsAreLaidOutInDesignUnits) {
    core::S().DialogScale = 1.5;
    core::S().settings.GStdBupPath = backup;
    ASSERT_TRUE(OpenSetupWindow());
    EXPECT_EQ(plat::GetWindowTitle(StdSetupWindow), L"Standard Datenbackups einrichten");
    EXPECT_TRUE(plat::WindowFlagsForTest(StdSetupWindow) & plat::kWinSystemMenu);
    EXPECT_TRUE(plat::WindowFlagsForTest(StdSetupWindow) & plat::kWinCenterScreen);
    EXPECT_EQ(plat::GetWindowBox(StdSetupWindow).w, 690);
    EXPECT_EQ(plat::GetWindowBox(StdSetupWindow).h, 225);
    EXPECT_EQ(plat::GadgetsOfWindowForTest(StdSetupWindow),
              (std::vector<int>{StdPromptText, StdPickButton, StdDestField, StdInfoText, StdNoAutoButton,
                                StdCancelButton, StdOkButton}));
    // 5 * 1.5 = 7.5 and 35 * 1.5 = 52.5 round to the even neighbours.
    ExpectBox(StdPromptText, {8, 15, 675, 30});
    ExpectBox(StdPickButton, {8, 45, 52, 30});
    ExpectBox(StdDestField, {60, 45, 622, 30});
    ExpectBox(StdInfoText, {8, 82, 675, 90});
    ExpectBox(StdNoAutoButton, {8, 180, 435, 30});
    ExpectBox(StdCancelButton, {450, 180, 112, 30});
    ExpectBox(StdOkButton, {570, 180, 112, 30});
    EXPECT_EQ(plat::GetGadgetText(StdPromptText),
              L"Zielort für das Backup auswählen (zum Beispiel eine externe Festplatte):");
    EXPECT_EQ(plat::GetGadgetText(StdPickButton), L"Ziel:");
    EXPECT_EQ(plat::GadgetKindForTest(StdDestField), plat::GadgetKind::Edit);
    EXPECT_TRUE(plat::GadgetFlagsForTest(StdDestField) & plat::kReadOnly);
    EXPECT_EQ(plat::GadgetKindForTest(StdInfoText), plat::GadgetKind::Editor);
    EXPECT_TRUE(plat::GadgetFlagsForTest(StdInfoText) & plat::kReadOnly);
    EXPECT_EQ(plat::GetGadgetText(StdInfoText),
              L"Das Programm wird im Ziel das aktuelle Benutzerprofil und das\r\n"
              L"öffentliche Profil sichern. Für Daten ausserhalb dieser Profile\r\n"
              L"müssen manuell weitere Backupjobs erstellt werden!");
    EXPECT_EQ(plat::GetGadgetText(StdNoAutoButton), L"Abbrechen - Backups nicht automatisch hinzufügen");
    EXPECT_EQ(plat::GetGadgetText(StdCancelButton), L"Abbrechen");
    EXPECT_EQ(plat::GetGadgetText(StdOkButton), L"OK");
    // The stored destination exists: proposed without a word.
    EXPECT_EQ(plat::GetGadgetText(StdDestField), backup);
    EXPECT_TRUE(plat::ShownDialogsForTest().empty());
    EXPECT_FALSE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), StdSetupWindow);

    plat::UserClick(StdCancelButton);
    EXPECT_EQ(RunSetupWindow(), L"");
    EXPECT_FALSE(plat::WindowExists(StdSetupWindow));
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
}

TEST_F(StandardSetupWindowTest, OkWithTheProposalAddsTheJobs) {
    core::S().settings.GStdBupPath = backup;
    plat::UserClick(StdOkButton);
    StandardSetup(true);
    ASSERT_EQ(core::S().Jobs.Size(), 2u);
    EXPECT_EQ(core::S().Jobs.items[0].Dest, backup + L"Nutzer\\");
    EXPECT_EQ(core::S().Jobs.items[1].Dest, backup + L"Public\\");
    EXPECT_EQ(plat::GetListRowCount(ui::JobListView), 2);
    EXPECT_EQ(core::S().settings.GStdBupPath, backup);
}

TEST_F(StandardSetupWindowTest, OkNeedsAnExistingDirectoryAndZielPicksOne) {
    plat::UserClick(StdOkButton);    // the field is empty: no proposal found
    plat::UserClick(StdPickButton);  // the browser is cancelled
    plat::AnswerNextFolderBrowser(L"");
    plat::UserClick(StdPickButton);
    plat::AnswerNextFolderBrowser(tree.Path(L"backup"));
    plat::UserClick(StdOkButton);
    ASSERT_TRUE(OpenSetupWindow());
    EXPECT_EQ(plat::GetGadgetText(StdDestField), L"");
    EXPECT_EQ(RunSetupWindow(), backup);
    const std::vector<plat::ShownDialog> shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].text, L"Konnte kein passendes Backupziel als Vorschlag finden - bitte wählen Sie selber!");
    EXPECT_EQ(shown[0].owner, StdSetupWindow);
    EXPECT_EQ(shown[1].text, L"Sie müssen ein gültiges Verzeichnis als Ziel auswählen!");
    EXPECT_EQ(shown[1].caption, L"Tresoro Meldung");
    EXPECT_EQ(shown[2].kind, plat::DialogKind::FolderBrowser);
    EXPECT_EQ(shown[2].caption,
              L"Zielort für das Backup auswählen (zum Beispiel eine externe Festplatte, oder evtl. ein (neues) "
              L"Verzeichnis darin):");
    EXPECT_FALSE(shown[2].answered);
    EXPECT_EQ(shown[3].kind, plat::DialogKind::FolderBrowser);
}

TEST_F(StandardSetupWindowTest, TheBrowserStartsAtTheDestinationShown) {
    core::S().settings.GStdBupPath = backup;
    plat::UserClick(StdPickButton);
    plat::UserClick(StdCancelButton);
    StandardSetup(true);
    const std::vector<plat::ShownDialog> shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].initial, backup);
    EXPECT_TRUE(core::S().Jobs.Empty());
}

TEST_F(StandardSetupWindowTest, OkWithADestinationThatVanishedIsRefused) {
    tree.Mkdir(L"usb");
    core::S().settings.GStdBupPath = tree.Path(L"usb\\");
    ASSERT_TRUE(OpenSetupWindow());
    ASSERT_TRUE(plat::RemoveDir(tree.Path(L"usb")));
    plat::UserClick(StdOkButton);
    plat::UserCloseWindow(StdSetupWindow);
    EXPECT_EQ(RunSetupWindow(), L"");
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"Sie müssen ein gültiges Verzeichnis als Ziel auswählen!"});
}

TEST_F(StandardSetupWindowTest, TurningTheAutomaticSetupOffAtTheFirstStart) {
    plat::UserClick(StdNoAutoButton);
    StandardSetup(false);  // nothing stored yet: the window asks
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_EQ(core::S().settings.GStdAuto, 0);
    EXPECT_FALSE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));
    EXPECT_EQ(core::S().settings.GStdBupPath, L"");
}

TEST_F(StandardSetupWindowTest, TheCloseBoxCancelsWithoutTouchingTheAutomaticSetup) {
    core::S().settings.GStdBupPath = backup;
    plat::UserCloseWindow(StdSetupWindow);
    StandardSetup(true);
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_EQ(core::S().settings.GStdAuto, 1);
    EXPECT_TRUE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));
}

TEST_F(StandardSetupWindowTest, TheMainWindowTakesNoInputMeanwhile) {
    core::S().settings.GStdBupPath = backup;
    const size_t droppedBefore = plat::DroppedUserActions();
    plat::UserClick(ui::StartButton);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAddJob);
    plat::UserClick(StdCancelButton);
    StandardSetup(true);
    EXPECT_EQ(plat::DroppedUserActions(), droppedBefore + 2);
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
}

TEST_F(StandardSetupWindowTest, OtherWindowsOnlyBringTheSetupBack) {
    core::S().settings.GStdBupPath = backup;
    const size_t droppedBefore = plat::DroppedUserActions();
    plat::UserClickTray(ui::TrayIcon);
    plat::UserClick(StdCancelButton);
    StandardSetup(true);
    EXPECT_EQ(plat::DroppedUserActions(), droppedBefore);
    // The tray click would have hidden the main window, had anyone handled it.
    EXPECT_TRUE(plat::GetWindowShown(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
}

}  // namespace
