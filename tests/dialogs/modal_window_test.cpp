// What every dialog window does alike, in the running program: while it is
// open the main window takes no input, afterwards it has the state it had
// before (a main window someone else disabled stays disabled), and input
// that waited behind the click that closed the dialog never reaches the
// main window's commands, while a close request behind it still ends the
// program.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/info_window.h"
#include "dialogs/job_editor.h"
#include "dialogs/modal_loop.h"
#include "dialogs/path_chooser.h"
#include "dialogs/path_chooser_window.h"
#include "dialogs/standard_setup.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/menu.h"
#include "ui/widgets.h"

namespace {

using namespace dialogs;

struct ModalDialog {
    const char* name;
    int window;
    int closeButton;
    std::function<void()> open;  // returns when the dialog is closed
};

struct ModalWindowTest : ui_testing::UiFixture {
    std::vector<ModalDialog> modals;

    void SetUp() override {
        UiFixture::SetUp();
        WriteIni(ui_testing::IniText("", "", "1 = 1001|C:\\Quelle\\|E:\\Ziel\\|1|7|0|3|0|0\n"));
        StartOk();
        // The editor works on the current job.
        plat::UserClickRow(ui::JobListView, 0);
        ui_testing::RunPendingEvents();
        const std::wstring start = appData;
        modals = {
            {"info window", InfoWindow, InfoOkButton, [] { ShowInfoWindow(); }},
            {"job editor", EditorWindow, EditorCancelButton, [] { EditJob(); }},
            {"path chooser", ChooserWindow, ChooserCancelButton,
             [start] { EXPECT_EQ(ChoosePath(start, L"Quellpfad wählen"), start); }},
            {"standard set-up", StdSetupWindow, StdCancelButton, [] { StandardSetup(true); }},
        };
    }
};

TEST_F(ModalWindowTest, TheMainWindowGetsBackTheStateItHadBefore) {
    for (const ModalDialog& dialog : modals) {
        SCOPED_TRACE(dialog.name);
        // Held while open: the click on "Start" finds the main window disabled.
        ASSERT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
        const size_t dropped = plat::DroppedUserActions();
        plat::UserClick(ui::StartButton);
        plat::UserClick(dialog.closeButton);
        dialog.open();
        EXPECT_EQ(plat::DroppedUserActions(), dropped + 1);
        EXPECT_FALSE(plat::WindowExists(dialog.window));
        EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
        EXPECT_EQ(plat::GetForeground(), ui::MainWindow);

        // Disabled by someone else before: still disabled afterwards.
        plat::SetWindowEnabled(ui::MainWindow, false);
        plat::UserClick(dialog.closeButton);
        dialog.open();
        EXPECT_FALSE(plat::WindowExists(dialog.window));
        EXPECT_FALSE(plat::GetWindowEnabled(ui::MainWindow));
        plat::SetWindowEnabled(ui::MainWindow, true);
    }
    EXPECT_EQ(plat::PendingUserActions(), 0u);
}

TEST_F(ModalWindowTest, InputBehindTheClosingClickDoesNotReachTheMainWindow) {
    for (const ModalDialog& dialog : modals) {
        SCOPED_TRACE(dialog.name);
        const size_t dropped = plat::DroppedUserActions();
        plat::UserClick(dialog.closeButton);
        // Reaches the main window only once the dialog is gone: had it been
        // acted on, "Std.Jobs autom. dazu" would be ticked now.
        plat::UserChooseMenu(ui::MainWindow, ui::ItemStandardAuto);
        // No click, and not thrown away: a close request behind it.
        plat::UserCloseWindow(ui::MainWindow);
        dialog.open();
        ui_testing::RunPendingEvents();
        EXPECT_EQ(core::S().settings.GStdAuto, 0);
        EXPECT_FALSE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));
        EXPECT_EQ(plat::PendingUserActions(), 0u);
        EXPECT_EQ(plat::QueuedEvents(), 0u);
        EXPECT_EQ(plat::DroppedUserActions(), dropped);
        std::vector<plat::EventKind> kept;
        plat::GuiEvent event;
        while (TakeKeptEvent(event))
            if (event.window == ui::MainWindow) kept.push_back(event.kind);
        EXPECT_EQ(std::count(kept.begin(), kept.end(), plat::EventKind::CloseWindow), 1);
        EXPECT_EQ(std::count(kept.begin(), kept.end(), plat::EventKind::Menu), 0);
    }
    // The main window's own loop still takes what comes afterwards.
    plat::UserChooseMenu(ui::MainWindow, ui::ItemStandardAuto);
    ui_testing::RunPendingEvents();
    EXPECT_EQ(core::S().settings.GStdAuto, 1);
}

TEST_F(ModalWindowTest, OverTheJobEditorTheChooserLeavesTheEditorTheUsersNextClicks) {
    // The chooser hands back to the editor, not to the main window: what
    // the user did after its "OK" is meant for the editor and stays.
    plat::UserClick(EditorDestButton);
    plat::UserClick(ChooserOkButton);
    plat::UserType(EditorSourceField, L"C:\\Neu");
    plat::UserClick(EditorOkButton);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemStandardAuto);
    EditJob();
    ui_testing::RunPendingEvents();
    EXPECT_FALSE(plat::WindowExists(EditorWindow));
    EXPECT_NE(tree.Read(L"AppData\\TresoroData\\Tresoro.ini").find("1 = 1001|C:\\Neu\\|E:\\Ziel\\|"),
              std::string::npos);
    // The main window was held by the editor all along and is given back
    // once, when the editor closes; the menu choice behind its "OK" is dropped.
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(core::S().settings.GStdAuto, 0);
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

// The first start as the program makes it: without a configuration the
// standard set-up window offers itself before the main window's loop runs.
// The user closes it, then at once the main window: Tresoro ends and writes
// its configuration.
using FirstStart = ui_testing::UiFixture;

TEST_F(FirstStart, TheCloseBoxRightAfterTheSetUpWindowEndsTheProgram) {
    plat::UserCloseWindow(StdSetupWindow);
    plat::UserCloseWindow(ui::MainWindow);
    ASSERT_TRUE(Start().enterLoop);
    EXPECT_EQ(plat::DroppedUserActions(), 0u);  // the set-up window was there to be closed
    EXPECT_FALSE(plat::WindowExists(StdSetupWindow));
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
    ui::EventLoop();  // returns once the close is taken
    EXPECT_EQ(ui::EndProgram(), 0);
    EXPECT_NE(tree.Read(L"AppData\\TresoroData\\Tresoro.ini").find("GStdAuto = 1"), std::string::npos);
}

}  // namespace
