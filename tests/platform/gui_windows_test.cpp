// Window geometry: keep values, the minimum size, the geometry a window
// returns to from minimised and maximised, centring, and the foreground.
#include <gtest/gtest.h>

#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

constexpr int kMain = 1;

class GuiWindows : public ::testing::Test {
protected:
    void SetUp() override {
        const uint32_t flags =
            plat::kWinSystemMenu | plat::kWinMinimizeBox | plat::kWinMaximizeBox | plat::kWinSizable | plat::kWinHidden;
        ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro", {109, 119, 750, 550}, flags));
        plat::SetWindowMinSize(kMain, 600, 400);
    }
};

void ExpectBox(const plat::Box& b, int x, int y, int w, int h) {
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.w, w);
    EXPECT_EQ(b.h, h);
}

}  // namespace

TEST_F(GuiWindows, IdsAreUniqueAcrossWindowsAndGadgets) {
    EXPECT_FALSE(plat::OpenWindow(kMain, L"again", {0, 0, 10, 10}, 0));
    EXPECT_FALSE(plat::CreateButton(kMain, kMain, {0, 0, 10, 10}, L"x"));
    EXPECT_FALSE(plat::OpenWindow(0, L"zero", {0, 0, 10, 10}, 0));
    EXPECT_FALSE(plat::OpenWindow(5, L"orphan", {0, 0, 10, 10}, 0, 77));  // unknown owner
    EXPECT_FALSE(plat::CreateButton(6, 77, {0, 0, 10, 10}, L"x"));        // unknown parent
    ASSERT_TRUE(plat::CreateButton(6, kMain, {0, 0, 10, 10}, L"x"));
    EXPECT_FALSE(plat::CreateButton(7, 6, {0, 0, 10, 10}, L"x"));  // a button holds nothing
}

TEST_F(GuiWindows, ResizeLeavesKeptValuesAndNeverGoesBelowTheMinimum) {
    plat::ResizeWindow(kMain, plat::kKeep, 40, plat::kKeep, 700);
    ExpectBox(plat::GetWindowBox(kMain), 109, 40, 750, 700);
    plat::ResizeWindow(kMain, -20, plat::kKeep, 500, 300);
    ExpectBox(plat::GetWindowBox(kMain), -20, 40, 600, 400);

    plat::SetWindowShown(kMain, true);
    plat::UserResizeWindow(kMain, 100, 900);
    plat::GuiEvent e;
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.kind, plat::EventKind::SizeWindow);
    ExpectBox(plat::GetWindowBox(kMain), -20, 40, 600, 900);
}

TEST_F(GuiWindows, MinimisedAndMaximisedWindowsReturnToTheirNormalGeometry) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the in-memory system's screen of 1920 x 1080";
    // Maximised, the window covers the screen above the taskbar, while the
    // geometry it reports is still the one it returns to, as with
    // GetWindowPlacement.
    plat::SetWindowState(kMain, plat::WindowState::Maximized);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 750, 550);
    ExpectBox(plat::GetWindowScreenBox(kMain), -8, -8, 1920, 1080 - 40 - 23);
    plat::SetWindowState(kMain, plat::WindowState::Normal);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 750, 550);
    ExpectBox(plat::GetWindowScreenBox(kMain), 109, 119, 750, 550);

    // A minimised window reports, and is given, the geometry it returns to.
    plat::SetWindowState(kMain, plat::WindowState::Minimized);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 750, 550);
    plat::ResizeWindow(kMain, 10, 20, 800, 600);
    ExpectBox(plat::GetWindowBox(kMain), 10, 20, 800, 600);
    EXPECT_EQ(plat::GetWindowState(kMain), plat::WindowState::Minimized);
    plat::SetWindowState(kMain, plat::WindowState::Normal);
    ExpectBox(plat::GetWindowBox(kMain), 10, 20, 800, 600);

    // Resized while maximised: the new size shows after the restore.
    plat::SetWindowState(kMain, plat::WindowState::Maximized);
    plat::ResizeWindow(kMain, plat::kKeep, plat::kKeep, 900, plat::kKeep);
    ExpectBox(plat::GetWindowBox(kMain), 10, 20, 900, 600);
    EXPECT_EQ(plat::GetWindowScreenBox(kMain).w, 1920);
    plat::SetWindowState(kMain, plat::WindowState::Normal);
    ExpectBox(plat::GetWindowBox(kMain), 10, 20, 900, 600);
}

TEST_F(GuiWindows, AnotherScreenSizeResizesOnlyMaximisedWindows) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "a test cannot change the real screen";
    ASSERT_TRUE(plat::OpenWindow(2, L"Info", {0, 0, 400, 300}, plat::kWinSystemMenu));
    plat::SetWindowShown(kMain, true);
    plat::SetWindowState(kMain, plat::WindowState::Maximized);
    plat::ChangeScreenSize(1280, 1024);
    plat::GuiEvent e;
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.kind, plat::EventKind::SizeWindow);
    EXPECT_EQ(e.window, kMain);
    EXPECT_FALSE(plat::PollEvent(e));
    EXPECT_EQ(plat::GetWindowState(kMain), plat::WindowState::Maximized);
    ExpectBox(plat::GetWindowScreenBox(kMain), -8, -8, 1280, 1024 - 40 - 23);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 750, 550);
    ExpectBox(plat::GetWindowBox(2), 0, 0, 400, 300);
}

TEST_F(GuiWindows, UserCannotSizeAFixedWindowOrAMaximisedOne) {
    ASSERT_TRUE(plat::OpenWindow(2, L"Info", {0, 0, 400, 300}, plat::kWinSystemMenu));
    plat::UserResizeWindow(2, 500, 500);
    plat::UserMaximize(2);  // no maximise box
    plat::SetWindowShown(kMain, true);
    plat::SetWindowState(kMain, plat::WindowState::Maximized);
    plat::UserResizeWindow(kMain, 700, 500);
    plat::UserMoveWindow(kMain, 5, 5);
    plat::GuiEvent e;
    EXPECT_FALSE(plat::PollEvent(e)) << "event kind " << int(e.kind);
    EXPECT_EQ(plat::DroppedUserActions(), 4u);
}

TEST_F(GuiWindows, DialogsCentreOnTheScreenOrTheirOwner) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the in-memory system's screen of 1920 x 1080";
    ASSERT_TRUE(plat::OpenWindow(2, L"Set bearbeiten", {0, 0, 500, 400}, plat::kWinCenterOwner, kMain));
    ExpectBox(plat::GetWindowBox(2), 109 + 125, 119 + 75, 500, 400);
    EXPECT_EQ(plat::WindowOwnerForTest(2), kMain);
    ASSERT_TRUE(plat::OpenWindow(3, L"Standard", {0, 0, 460, 150}, plat::kWinCenterScreen));
    ExpectBox(plat::GetWindowBox(3), (1920 - 460) / 2, (1080 - 150) / 2, 460, 150);  // the model's screen
}

TEST_F(GuiWindows, OnlyAWindowOnTheScreenComesToTheFront) {
    EXPECT_EQ(plat::GetForeground(), 0);  // created hidden
    plat::SetForeground(kMain);
    EXPECT_EQ(plat::GetForeground(), 0);
    plat::SetWindowShown(kMain, true);
    plat::SetForeground(kMain);
    EXPECT_EQ(plat::GetForeground(), kMain);
    plat::SetWindowState(kMain, plat::WindowState::Minimized);
    EXPECT_EQ(plat::GetForeground(), 0);
    plat::SetWindowState(kMain, plat::WindowState::Normal);
    plat::SetForeground(kMain);
    plat::SetWindowShown(kMain, false);
    EXPECT_EQ(plat::GetForeground(), 0);
}

TEST_F(GuiWindows, GadgetGeometryKeepsWhatIsMarkedKeep) {
    ASSERT_TRUE(plat::CreateText(10, kMain, {5, 55, 740, 25}, L"Datei Info hier..."));
    plat::ResizeGadget(10, plat::kKeep, plat::kKeep, 840, plat::kKeep);
    ExpectBox(plat::GetGadgetBox(10), 5, 55, 840, 25);
    plat::ResizeGadget(10, 105, plat::kKeep, plat::kKeep, 30);
    ExpectBox(plat::GetGadgetBox(10), 105, 55, 840, 30);
}

// WM_DPICHANGED as Windows sends it (under Wine through the message): the
// suggested rectangle keeps the place and scales the inner size; the gadgets
// are scaled from the boxes the program gave them, so that a move there and
// back restores them exactly.
TEST_F(GuiWindows, AChangeOfDpiScalesFromTheGivenBoxes) {
    ASSERT_TRUE(plat::CreateButton(10, kMain, {5, 5, 61, 21}, L"Start"));
    ASSERT_TRUE(plat::CreateButton(11, kMain, {0, 0, 10, 10}, L"a"));
    ASSERT_TRUE(plat::CreateButton(12, kMain, {0, 0, 10, 10}, L"b"));
    ASSERT_TRUE(plat::CreateSplitter(13, kMain, {5, 30, 700, 400}, 11, 12));
    plat::SetGadgetState(13, 101);
    EXPECT_EQ(plat::GetWindowDpi(kMain), 96);
    plat::ChangeWindowDpi(kMain, 144);
    plat::GuiEvent e;
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.kind, plat::EventKind::DpiChanged);
    EXPECT_EQ(e.window, kMain);
    EXPECT_EQ(plat::GetWindowDpi(kMain), 144);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 1125, 825);
    ExpectBox(plat::GetGadgetBox(10), 8, 8, 92, 32);  // 7.5, 91.5 and 31.5 away from zero
    ExpectBox(plat::GetGadgetBox(13), 8, 45, 1050, 600);
    EXPECT_EQ(plat::GetGadgetState(13), 152);
    ExpectBox(plat::GetGadgetBox(11), 0, 0, 1050, 152);  // the splitter's parts follow its bar
    plat::ChangeWindowDpi(kMain, 96);
    ASSERT_TRUE(plat::PollEvent(e));
    ExpectBox(plat::GetGadgetBox(10), 5, 5, 61, 21);
    ExpectBox(plat::GetWindowBox(kMain), 109, 119, 750, 550);
}

// Too large for the model's 1920 x 1080 (taskbar 40): shrunk and moved into
// the work area, never below the minimum size.
TEST_F(GuiWindows, AWindowIsKeptOnTheScreen) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the in-memory system's screen of 1920 x 1080";
    plat::ResizeWindow(kMain, 1500, 700, 2000, 1200);
    plat::KeepWindowOnScreen(kMain);
    ExpectBox(plat::GetWindowBox(kMain), 0, 0, 1920 - 16, 1080 - 40 - 23 - 16);
    plat::ResizeWindow(kMain, -300, 900, 700, 500);
    plat::KeepWindowOnScreen(kMain);
    ExpectBox(plat::GetWindowBox(kMain), 0, 1080 - 40 - 23 - 16 - 500, 700, 500);
}
