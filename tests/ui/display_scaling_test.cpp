// The main window at the DPI it is shown at: laid out for it at the start
// and after a move to a monitor of another DPI, its size remembered in
// design units, and the dialogs it opens laid out alike.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/state.h"
#include "dialogs/job_editor.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/widgets.h"

namespace {

// The widgets of the run strip: fixed, so a widget at `scale` sits at its
// design box times the scale, halves to even.
struct Placed {
    int id;
    plat::Box design;
};
const Placed kStrip[] = {{ui::StartButton, {5, 5, 60, 20}},
                         {ui::CancelButton, {70, 5, 75, 20}},
                         {ui::ShutdownCheck, {265, 5, 195, 15}},
                         {ui::FileSizeLabel, {5, 80, 146, 15}}};

void ExpectStripAt(double scale) {
    for (const Placed& p : kStrip) {
        const plat::Box b = plat::GetGadgetBox(p.id);
        const plat::Box want{int(std::nearbyint(p.design.x * scale)), int(std::nearbyint(p.design.y * scale)),
                             int(std::nearbyint(p.design.w * scale)), int(std::nearbyint(p.design.h * scale))};
        EXPECT_EQ(b.x, want.x) << p.id << " at " << scale;
        EXPECT_EQ(b.y, want.y) << p.id;
        EXPECT_EQ(b.w, want.w) << p.id;
        EXPECT_EQ(b.h, want.h) << p.id;
    }
}

struct DisplayScaling : ui_testing::UiFixture {
    // A configuration that follows the DPI (GDMScale -1) with the window's
    // remembered size.
    void StartAt(int dpi, int widthUnits, int heightUnits) {
        plat::SetScreenDpiForTest(dpi);
        WriteIni("[GENERAL]\r\nINIVersion = 110708\r\nGStdAuto = 0\r\n[Window]\r\nGDMScale = -1\r\nGMainWinXD = " +
                 std::to_string(widthUnits) + "\r\nGMainWinYD = " + std::to_string(heightUnits) + "\r\n[PATHS]\r\n");
        StartOk();
        ui_testing::RunPendingEvents();
    }
};

// At 150 % the texts grow, and the window with them: the exclusion area's
// label keeps its design width and more (800 pixels, as before, left it 20).
TEST_F(DisplayScaling, AtAHigherDpiTheRememberedSizeGrowsWithTheTexts) {
    StartAt(144, 800, 600);
    EXPECT_DOUBLE_EQ(core::S().DialogScale, 1.5);
    const plat::Box window = plat::GetWindowBox(ui::MainWindow);
    EXPECT_EQ(window.w, 1200);
    EXPECT_EQ(window.h, 900);
    ExpectStripAt(1.5);
    EXPECT_EQ(plat::GetGadgetBox(ui::ExclusionLabel).w, 345 + 1200 - 1125);
    // The user's size goes back in design units.
    plat::UserResizeWindow(ui::MainWindow, 1500, 960);
    ui_testing::RunPendingEvents();
    EXPECT_EQ(core::S().settings.GMainWinXD, 1000);
    EXPECT_EQ(core::S().settings.GMainWinYD, 640);
}

TEST_F(DisplayScaling, AMoveToAnotherDpiLaysTheWindowAndItsDialogsOutForIt) {
    StartAt(96, 800, 600);
    ExpectStripAt(1.0);
    const int splitter = plat::GetGadgetState(ui::JobSplitter);
    plat::ChangeWindowDpi(ui::MainWindow, 144);
    ui_testing::RunPendingEvents();
    EXPECT_DOUBLE_EQ(core::S().DialogScale, 1.5);
    EXPECT_EQ(plat::GetWindowBox(ui::MainWindow).w, 1200);
    ExpectStripAt(1.5);
    EXPECT_EQ(plat::GetGadgetState(ui::JobSplitter), int(std::nearbyint(splitter * 1.5)));
    // The remembered size in design units is the same.
    EXPECT_EQ(core::S().settings.GMainWinXD, 800);
    EXPECT_EQ(core::S().settings.GMainWinYD, 600);
    // A dialog opened now is laid out for 144 DPI too.
    ASSERT_TRUE(dialogs::OpenJobEditor(dialogs::EditorValues{}));
    const plat::Box source = plat::GetGadgetBox(dialogs::EditorSourceButton);
    EXPECT_EQ(source.w, int(std::nearbyint(43 * 1.5)));
    EXPECT_EQ(source.h, 30);
    plat::RemoveWindow(dialogs::EditorWindow);
    plat::ChangeWindowDpi(ui::MainWindow, 96);
    ui_testing::RunPendingEvents();
    EXPECT_DOUBLE_EQ(core::S().DialogScale, 1.0);
    ExpectStripAt(1.0);
    EXPECT_EQ(plat::GetWindowBox(ui::MainWindow).w, 800);
}

}  // namespace
