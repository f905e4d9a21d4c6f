// Enter and Escape in every dialog, pressed as a user does: Enter is the
// dialog's OK, or the push button that has the focus, and stays in a
// multi-line text; Escape is "Abbrechen", or the close box where there is
// no "Abbrechen"; Tab moves the focus.
#include <gtest/gtest.h>

#include <string>

#include "core/state.h"
#include "dialogs/info_window.h"
#include "dialogs/job_editor.h"
#include "dialogs/path_chooser.h"
#include "dialogs/path_chooser_window.h"
#include "dialogs/standard_setup.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/widgets.h"

namespace {

using namespace dialogs;
using plat::kKeyEscape;
using plat::kKeyReturn;

struct DialogKeys : ui_testing::UiFixture {
    void SetUp() override {
        UiFixture::SetUp();
        WriteIni(ui_testing::IniText("", "", "1 = 1001|C:\\Quelle\\|E:\\Ziel\\|1|7|0|3|0|0\n"));
        StartOk();
        plat::UserClickRow(ui::JobListView, 0);  // the editor works on the current job
        ui_testing::RunPendingEvents();
    }
    static std::wstring Source() { return core::S().Jobs.items[0].Src; }
};

TEST_F(DialogKeys, JobEditorEnterStoresEscapeAndAFocusedAbbrechenDrop) {
    plat::UserType(EditorSourceField, L"C:\\Neu\\");
    plat::UserPressKey(EditorWindow, kKeyEscape);
    EditJob();
    EXPECT_EQ(Source(), L"C:\\Quelle\\");

    plat::UserType(EditorSourceField, L"C:\\Neu\\");
    plat::UserFocus(EditorCancelButton);
    plat::UserPressKey(EditorWindow, kKeyReturn);
    EditJob();
    EXPECT_EQ(Source(), L"C:\\Quelle\\");

    plat::UserType(EditorSourceField, L"C:\\Neu\\");
    plat::UserPressKey(EditorWindow, kKeyReturn);
    EditJob();
    EXPECT_EQ(Source(), L"C:\\Neu\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(DialogKeys, PathChooserEnterTakesTheTypedPathEscapeKeepsTheOldOne) {
    const std::wstring start = appData;
    plat::UserType(ChooserPathField, configDir);
    plat::UserPressKey(ChooserWindow, kKeyEscape);
    EXPECT_EQ(ChoosePath(start, L"Quellpfad wählen"), start);
    plat::UserType(ChooserPathField, configDir);
    plat::UserPressKey(ChooserWindow, kKeyReturn);
    EXPECT_EQ(ChoosePath(start, L"Quellpfad wählen"), configDir);
}

// Escape is the plain "Abbrechen", which keeps the automatic set-up on;
// Enter is OK, which takes the proposed destination (here the only drive).
TEST_F(DialogKeys, StandardSetUpEnterIsOkAndEscapeTheFirstAbbrechen) {
    core::S().settings.GStdAuto = 1;
    plat::UserPressKey(StdSetupWindow, kKeyEscape);
    EXPECT_EQ(StandardSetupWindow(), L"");
    EXPECT_EQ(core::S().settings.GStdAuto, 1);
    plat::UserPressKey(StdSetupWindow, kKeyReturn);
    EXPECT_EQ(StandardSetupWindow(), L"Z:\\");
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

// In the text, Enter stays there and Escape asks the window to close.
TEST_F(DialogKeys, InfoWindowEnterAndEscapeCloseItFromTheButtonAndTheText) {
    const int keys[][2] = {{kKeyReturn, 0}, {kKeyEscape, 0}, {kKeyEscape, InfoTextView}};
    for (const auto& [key, focus] : keys) {
        SCOPED_TRACE(key);
        if (focus) plat::UserFocus(focus);
        plat::UserPressKey(InfoWindow, key);
        ShowInfoWindow();
        EXPECT_FALSE(plat::WindowExists(InfoWindow));
        EXPECT_EQ(plat::PendingUserActions(), 0u);
    }
    // Had Enter in the text closed the window, the click would find no
    // button and be dropped.
    plat::UserFocus(InfoTextView);
    plat::UserPressKey(InfoWindow, kKeyReturn);
    plat::UserClick(InfoOkButton);
    ShowInfoWindow();
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

}  // namespace
