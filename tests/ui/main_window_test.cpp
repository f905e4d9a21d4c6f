// The main window's layout in design units, its scaling, and the widgets
// that follow a resize.
#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "ui/anchors.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace {

using plat::Box;

void ExpectBox(int widget, Box expected) {
    const Box b = plat::GetGadgetBox(widget);
    EXPECT_EQ(b.x, expected.x) << widget;
    EXPECT_EQ(b.y, expected.y) << widget;
    EXPECT_EQ(b.w, expected.w) << widget;
    EXPECT_EQ(b.h, expected.h) << widget;
}

struct MainWindowLayout : testing::Test {
    void Open(double scale) {
        core::S().DialogScale = scale;
        ASSERT_TRUE(ui::OpenMainWindow());
        ui::FinishMainWindow();
    }
};

TEST_F(MainWindowLayout, WidgetsAtTheirDesignPlacesAtScaleOne) {
    Open(1.0);
    EXPECT_EQ(plat::GetWindowTitle(ui::MainWindow), L"Tresoro 1.09");
    EXPECT_FALSE(plat::GetWindowShown(ui::MainWindow));
    ExpectBox(ui::StartButton, {5, 5, 60, 20});
    ExpectBox(ui::CancelButton, {70, 5, 75, 20});
    ExpectBox(ui::ProgressCount, {70, 35, 130, 15});
    ExpectBox(ui::CopiedMB, {265, 35, 55, 15});
    ExpectBox(ui::ShutdownCheck, {265, 5, 195, 15});
    ExpectBox(ui::StatusImage, {215, 12, 32, 32});
    ExpectBox(ui::StatusLine, {5, 55, 740, 25});
    ExpectBox(ui::FileSizeMB, {151, 80, 49, 15});  // right edge as designed
    ExpectBox(ui::SpeedMBs, {265, 80, 55, 15});
    ExpectBox(ui::FileProgress, {5, 100, 740, 10});
    ExpectBox(ui::MainTabs, {5, 115, 740, 410});
    ExpectBox(ui::ClearLogsButton, {5, 5, 90, 20});
    ExpectBox(ui::MessageLogView, {5, 30, 730, 350});
    ExpectBox(ui::HintLogView, {5, 5, 730, 375});
    ExpectBox(ui::PathField, {315, 5, 400, 20});
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"Datei Info hier...");
    EXPECT_EQ(plat::GetGadgetText(ui::ExclusionLabel), L"Ausschlüsse");
    EXPECT_EQ(plat::GadgetKindForTest(ui::CancelButton), plat::GadgetKind::Button);
    EXPECT_TRUE(plat::GadgetFlagsForTest(ui::CancelButton) & plat::kButtonToggle);
    EXPECT_TRUE(plat::GadgetFlagsForTest(ui::ProgressCount) & plat::kTextRight);
    EXPECT_EQ(plat::GadgetParentForTest(ui::JobListView), ui::JobSplitter);
    EXPECT_EQ(plat::GadgetParentForTest(ui::FileList), ui::ExclusionSplitter);
    EXPECT_EQ(plat::GadgetParentForTest(ui::ErrorLogView), ui::PageErrors);
    // Panel tabs in order, the first shown.
    EXPECT_EQ(plat::GetGadgetState(ui::MainTabs), ui::kTabSelection);
    EXPECT_EQ(plat::GetGadgetText(ui::PageHints), L"Hinweise");
}

TEST_F(MainWindowLayout, StartUpColumnsSplittersAndPlainText) {
    Open(1.0);
    ASSERT_EQ(plat::GetListColumnCount(ui::JobListView), 5);
    EXPECT_EQ(plat::GetListColumnTitle(ui::JobListView, 2), L"archivieren");
    EXPECT_EQ(plat::GetListColumnWidth(ui::JobListView, 0), 360);
    EXPECT_EQ(plat::GetListColumnTitle(ui::FileList, 1), L"EXCL");
    EXPECT_EQ(plat::GetListColumnWidth(ui::FileList, 1), 50);
    EXPECT_EQ(plat::GetListColumnWidth(ui::FileList, 0), 200);
    EXPECT_EQ(plat::GadgetToolTipForTest(ui::FileList), L"Rechtsklick wählt an oder ab");
    EXPECT_TRUE(plat::EditorPlainTextForTest(ui::MessageLogView));
    EXPECT_TRUE(plat::EditorPlainTextForTest(ui::ErrorLogView));
    EXPECT_FALSE(plat::EditorPlainTextForTest(ui::HintLogView));
    int first = 0, second = 0;
    ASSERT_TRUE(plat::SplitterMinSizesForTest(ui::JobSplitter, first, second));
    EXPECT_EQ(first, 50);
    EXPECT_EQ(second, 150);
    ASSERT_TRUE(plat::SplitterMinSizesForTest(ui::ExclusionSplitter, first, second));
    EXPECT_EQ(first, 300);
    // 0.67 x 710 = 476 leaves the file list less than its minimum, so the
    // bar stops where the second part keeps 300.
    const int bar = plat::GetGadgetState(ui::ExclusionSplitter);
    EXPECT_GE(bar, 300);
    EXPECT_LE(bar, 710 - 300);
}

TEST_F(MainWindowLayout, ScaleRoundsHalvesToEvenAndKeepsThePixelMinimum) {
    Open(1.25);
    ExpectBox(ui::StartButton, {6, 6, 75, 25});    // 6.25 -> 6
    ExpectBox(ui::CancelButton, {88, 6, 94, 25});  // 87.5 -> 88, 93.75 -> 94
    int w = 0, h = 0;
    ASSERT_TRUE(plat::WindowMinSizeForTest(ui::MainWindow, w, h));
    EXPECT_EQ(w, 600);
    EXPECT_EQ(h, 400);
    // Pixel widths stay unscaled, design widths scale.
    EXPECT_EQ(plat::GetListColumnWidth(ui::JobListView, 0), 360);
    EXPECT_EQ(plat::GetListColumnWidth(ui::JobListView, 1), 450);
}

TEST_F(MainWindowLayout, ResizeMovesAndStretchesExactlyTheAnchoredWidgets) {
    Open(1.0);
    const Box window = plat::GetWindowBox(ui::MainWindow);
    const Box status = plat::GetGadgetBox(ui::StatusLine), tabs = plat::GetGadgetBox(ui::MainTabs),
              path = plat::GetGadgetBox(ui::PathField), label = plat::GetGadgetBox(ui::PathLabel),
              log = plat::GetGadgetBox(ui::MessageLogView), start = plat::GetGadgetBox(ui::StartButton),
              image = plat::GetGadgetBox(ui::StatusImage), bar = plat::GetGadgetBox(ui::FileProgress);
    plat::ResizeWindow(ui::MainWindow, plat::kKeep, plat::kKeep, window.w + 100, window.h + 50);
    ui::ApplyAnchors(ui::MainWindow);
    ExpectBox(ui::StatusLine, {status.x, status.y, status.w + 100, status.h});
    ExpectBox(ui::FileProgress, {bar.x, bar.y, bar.w + 100, bar.h});
    ExpectBox(ui::MainTabs, {tabs.x, tabs.y, tabs.w + 100, tabs.h + 50});
    ExpectBox(ui::MessageLogView, {log.x, log.y, log.w + 100, log.h + 50});
    ExpectBox(ui::PathField, {path.x + 100, path.y, path.w, path.h});
    ExpectBox(ui::PathLabel, {label.x + 100, label.y, label.w, label.h});
    ExpectBox(ui::StartButton, {start.x, start.y, start.w, start.h});
    ExpectBox(ui::StatusImage, {image.x, image.y, image.w, image.h});
}

TEST_F(MainWindowLayout, ExclusionSplitterFillsItsAreaLessTheMargins) {
    Open(1.0);
    plat::ResizeGadget(ui::ExclusionArea, plat::kKeep, plat::kKeep, 800, 300);
    ui::LayoutExclusionArea();
    const Box split = plat::GetGadgetBox(ui::ExclusionSplitter);
    EXPECT_EQ(split.w, 783);
    EXPECT_EQ(split.h, 260);
    EXPECT_EQ(core::S().settings.GMainPan1Splitt, plat::GetGadgetState(ui::JobSplitter));
}

TEST(Anchors, LettersKeepTheSidesThatDoNotFollow) {
    ASSERT_TRUE(plat::OpenWindow(7, L"x", {0, 0, 300, 200}, plat::kWinSizable));
    ASSERT_TRUE(plat::CreateButton(8, 7, {10, 20, 30, 40}, L"a"));
    ASSERT_TRUE(plat::CreateButton(9, 7, {10, 20, 30, 40}, L"b"));
    ui::AnchorWidget(L"", 7, 8, 10, 20, 30, 40);
    ui::ApplyAnchors(7);  // no reference entry: nothing moves, nothing breaks
    ui::RegisterAnchor(7, plat::kKeep, 0, 0, 300, 200);
    ui::AnchorWidget(L"LR", 7, 8, 10, 20, 30, 40);  // the same entry, now following
    ui::AnchorWidget(L"OU", 7, 9, 10, 20, 30, 40);
    ui::AnchorWidget(L"OU", 7, 9, 10, 20, 30, 40);  // the same entry again
    EXPECT_EQ(ui::AnchorList().size(), 3u);
    plat::ResizeWindow(7, plat::kKeep, plat::kKeep, 320, 230);
    ui::ApplyAnchors(7);
    ExpectBox(8, {30, 20, 50, 40});  // left edge and width both follow: right edge moves twice
    ExpectBox(9, {10, 50, 30, 70});
    plat::RemoveWindow(7);
    ui::ApplyAnchors(7);  // a window that is gone
}

}  // namespace
