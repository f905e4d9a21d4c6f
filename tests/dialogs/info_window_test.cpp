// The info window and the help in the running program: "Über" and "Hilfe"
// chosen from the menu, the window's layout, its modality, both ways of
// closing it, and its three failure messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/help_file.h"
#include "dialogs/info_window.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "resources/program_data.h"
#include "tests/ui/ui_fixture.h"
#include "ui/menu.h"
#include "ui/widgets.h"

namespace {

using namespace dialogs;

struct InfoWindowTest : ui_testing::UiFixture {
    void SetUp() override {
        UiFixture::SetUp();
        plat::ResetShellOpenedForTest();
        StartOk();
    }
    void TearDown() override { plat::ResetShellOpenedForTest(); }

    static std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> out;
        for (const plat::ShownDialog& d : plat::ShownDialogsForTest())
            if (d.kind == plat::DialogKind::MessageBox) out.push_back(d.text);
        return out;
    }
    static std::wstring CarriedText() {
        std::wstring text;
        EXPECT_EQ(UnpackInfoText(CarriedInfoText(), text), UnpackOutcome::Ok);
        return text;
    }
};

void ExpectBox(plat::Box got, plat::Box want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.w, want.w);
    EXPECT_EQ(got.h, want.h);
}

TEST_F(InfoWindowTest, ShowsTheCarriedTextReadOnlyWrappedAndAsPlainText) {
    const InfoSession session = OpenInfoWindow(CarriedInfoText());
    ASSERT_TRUE(session.open);
    EXPECT_EQ(plat::GetWindowTitle(InfoWindow), L"Tresoro 1.09");
    EXPECT_TRUE(plat::WindowFlagsForTest(InfoWindow) & plat::kWinSystemMenu);
    EXPECT_FALSE(plat::WindowFlagsForTest(InfoWindow) & plat::kWinSizable);
    EXPECT_EQ(plat::GadgetKindForTest(InfoTextView), plat::GadgetKind::Editor);
    EXPECT_TRUE(plat::GadgetFlagsForTest(InfoTextView) & plat::kReadOnly);
    EXPECT_TRUE(plat::EditorWordWrapForTest(InfoTextView));
    EXPECT_TRUE(plat::EditorPlainTextForTest(InfoTextView));
    EXPECT_EQ(plat::GetGadgetText(InfoTextView), CarriedText());
    EXPECT_EQ(plat::GetGadgetText(InfoOkButton), L"OK");
    EXPECT_EQ(plat::GetForeground(), InfoWindow);
    EXPECT_TRUE(MessageTexts().empty());

    // The text is read-only: typing into it is not possible.
    plat::UserType(InfoTextView, L"überschrieben");
    plat::UserClick(InfoOkButton);
    RunInfoWindow(session);
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
}

TEST_F(InfoWindowTest, IsLaidOutInDesignUnits) {
    const InfoSession session = OpenInfoWindow(CarriedInfoText());
    ASSERT_TRUE(session.open);
    EXPECT_EQ(plat::GetWindowBox(InfoWindow).w, 400);
    EXPECT_EQ(plat::GetWindowBox(InfoWindow).h, 300);
    ExpectBox(plat::GetGadgetBox(InfoTextView), {5, 5, 390, 255});
    ExpectBox(plat::GetGadgetBox(InfoOkButton), {160, 270, 60, 20});
    plat::UserClick(InfoOkButton);
    RunInfoWindow(session);

    core::S().DialogScale = 1.5;
    const InfoSession scaled = OpenInfoWindow(CarriedInfoText());
    ASSERT_TRUE(scaled.open);
    EXPECT_EQ(plat::GetWindowBox(InfoWindow).w, 600);
    EXPECT_EQ(plat::GetWindowBox(InfoWindow).h, 450);
    ExpectBox(plat::GetGadgetBox(InfoTextView), {8, 8, 585, 382});  // 7.5 and 382.5 to even
    ExpectBox(plat::GetGadgetBox(InfoOkButton), {240, 405, 90, 30});
    plat::UserClick(InfoOkButton);
    RunInfoWindow(scaled);
}

TEST_F(InfoWindowTest, UeberFromTheMenuOpensTheWindowAndOkClosesIt) {
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAbout);
    plat::UserClick(InfoOkButton);
    ui_testing::RunPendingEvents();
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(InfoWindowTest, TheCloseBoxClosesItTheSameWay) {
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAbout);
    plat::UserCloseWindow(InfoWindow);
    ui_testing::RunPendingEvents();
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
    // The program goes on: the main window's close box was not taken for
    // the info window's.
    EXPECT_TRUE(plat::WindowExists(ui::MainWindow));
}

TEST_F(InfoWindowTest, TheMainWindowTakesNoInputWhileItIsOpen) {
    const InfoSession session = OpenInfoWindow(CarriedInfoText());
    ASSERT_TRUE(session.open);
    EXPECT_TRUE(session.modal.ownerHeld);
    EXPECT_FALSE(plat::GetWindowEnabled(ui::MainWindow));
    plat::UserClick(ui::StartButton);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAbout);
    plat::UserClick(InfoOkButton);
    RunInfoWindow(session);
    EXPECT_EQ(plat::DroppedUserActions(), 2u);
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
}

TEST_F(InfoWindowTest, AnEventOfAnotherWindowBringsItBackToTheFront) {
    const InfoSession session = OpenInfoWindow(CarriedInfoText());
    ASSERT_TRUE(session.open);
    plat::SetForeground(ui::MainWindow);
    ASSERT_EQ(plat::GetForeground(), ui::MainWindow);
    plat::GuiEvent elsewhere;
    elsewhere.kind = plat::EventKind::ActivateWindow;
    elsewhere.window = ui::MainWindow;
    EXPECT_FALSE(InfoWindowEvent(elsewhere));
    EXPECT_EQ(plat::GetForeground(), InfoWindow);

    // Only its own close box and "OK" end it.
    plat::GuiEvent otherClose;
    otherClose.kind = plat::EventKind::CloseWindow;
    otherClose.window = ui::MainWindow;
    EXPECT_FALSE(InfoWindowEvent(otherClose));
    plat::GuiEvent rightClick{plat::EventKind::Gadget, InfoWindow, InfoOkButton, plat::EventType::RightClick, 0};
    EXPECT_FALSE(InfoWindowEvent(rightClick));
    plat::GuiEvent ok{plat::EventKind::Gadget, InfoWindow, InfoOkButton, plat::EventType::LeftClick, 0};
    EXPECT_TRUE(InfoWindowEvent(ok));
    plat::GuiEvent close{plat::EventKind::CloseWindow, InfoWindow, 0, plat::EventType::None, 0};
    EXPECT_TRUE(InfoWindowEvent(close));

    plat::UserClick(InfoOkButton);
    RunInfoWindow(session);
}

TEST_F(InfoWindowTest, InputThatPiledUpMeanwhileIsDroppedWhenItCloses) {
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAbout);
    plat::UserClick(InfoOkButton);
    // Queued behind "OK": reaches the main window only after the info
    // window is gone, and is thrown away there.
    plat::UserChooseMenu(ui::MainWindow, ui::ItemAbout);
    ui_testing::RunPendingEvents();
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
    EXPECT_EQ(plat::PendingUserActions(), 0u);
    EXPECT_EQ(plat::QueuedEvents(), 0u);
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(InfoWindowTest, ADamagedTextIsReportedAndTheWindowStaysEmpty) {
    PackedText damaged = CarriedInfoText();
    damaged.packedSize -= 10;
    const InfoSession session = OpenInfoWindow(damaged);
    ASSERT_TRUE(session.open);
    ASSERT_EQ(MessageTexts(), std::vector<std::wstring>{L"GFehler in _Info() beim Entpacken der Infodaten!"});
    EXPECT_EQ(plat::ShownDialogsForTest()[0].caption, L"Tresoro Meldung");
    EXPECT_TRUE(plat::WindowExists(InfoWindow));
    EXPECT_EQ(plat::GetGadgetText(InfoTextView), L"");
    plat::UserClick(InfoOkButton);
    RunInfoWindow(session);
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
}

TEST_F(InfoWindowTest, NoMemoryForTheTextIsReportedAndTheWindowStaysEmpty) {
    PackedText huge = CarriedInfoText();
    huge.unpackedSize = size_t{1} << 30;
    plat::UserCloseWindow(InfoWindow);
    ShowInfoWindowWith(huge);
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"GFehler in _Info(): Konnte Speicher nicht anfordern!"});
    EXPECT_FALSE(plat::WindowExists(InfoWindow));
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(InfoWindowTest, AWindowThatCannotBeOpenedIsReported) {
    // Its id is taken, so the window cannot be made.
    ASSERT_TRUE(plat::OpenWindow(InfoWindow, L"im Weg", plat::Box{0, 0, 50, 50}, 0));
    ShowInfoWindow();
    EXPECT_EQ(MessageTexts(),
              std::vector<std::wstring>{L"GFehler in _Info(): Konnte Fenster Window_FormInfo() nicht öffnen!"});
    EXPECT_EQ(plat::GetWindowTitle(InfoWindow), L"im Weg");
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
}

TEST_F(InfoWindowTest, HilfeFromTheMenuWritesTheHelpFileAndOpensIt) {
    plat::UserChooseMenu(ui::MainWindow, ui::ItemHelp);
    ui_testing::RunPendingEvents();
    const std::wstring path = configDir + L"TresoroHilfe.chm";
    EXPECT_EQ(HelpFilePath(), path);
    EXPECT_EQ(plat::ShellOpenedForTest(), std::vector<std::wstring>{path});
    EXPECT_EQ(tree.Read(L"AppData\\TresoroData\\TresoroHilfe.chm").size(), res::kHelpFileSize);
    EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
