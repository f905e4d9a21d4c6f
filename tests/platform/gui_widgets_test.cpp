// Gadgets whose state the user changes: toggle buttons and check boxes,
// spins with their range, typed texts, tab pages, splitters with their
// minimum sizes, and the editor's text.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

constexpr int kMain = 1;

class GuiWidgets : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro", {0, 0, 750, 550}, plat::kWinSystemMenu)); }
};

std::vector<plat::GuiEvent> TakeAll() {
    std::vector<plat::GuiEvent> events;
    plat::GuiEvent e;
    while (plat::PollEvent(e)) events.push_back(e);
    return events;
}

void ExpectBox(const plat::Box& b, int x, int y, int w, int h) {
    EXPECT_EQ(b.x, x);
    EXPECT_EQ(b.y, y);
    EXPECT_EQ(b.w, w);
    EXPECT_EQ(b.h, h);
}

}  // namespace

TEST_F(GuiWidgets, ToggleButtonStaysDownUntilTheProgramReleasesIt) {
    ASSERT_TRUE(plat::CreateButton(10, kMain, {70, 5, 75, 20}, L"Abbrechen", plat::kButtonToggle));
    ASSERT_TRUE(plat::CreateButton(11, kMain, {5, 5, 60, 20}, L"Start"));
    ASSERT_TRUE(plat::CreateCheckBox(12, kMain, {265, 5, 195, 15}, L"Herunterfahren wenn fertig"));
    plat::UserClick(10);
    plat::UserClick(11);
    plat::UserClick(12);
    plat::UserClick(11, plat::EventType::RightClick);  // buttons know the left button only
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(plat::GetGadgetState(10), 1);
    EXPECT_EQ(plat::GetGadgetState(11), 0);
    EXPECT_EQ(plat::GetGadgetState(12), 1);
    EXPECT_EQ(plat::GetActiveGadget(), 12);
    plat::SetGadgetState(10, 0);
    EXPECT_EQ(plat::GetGadgetState(10), 0);
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
}

TEST_F(GuiWidgets, SpinStopsAtItsRangeAndKeepsItsValueForTextThatIsNoNumber) {
    ASSERT_TRUE(plat::CreateSpin(10, kMain, {310, 125, 50, 20}, -1, 999));
    EXPECT_EQ(plat::GetGadgetState(10), 0);
    plat::UserSpin(10, -1);
    plat::UserSpin(10, -1);  // already at -1: no change, no event
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, plat::EventType::Change);
    EXPECT_EQ(plat::GetGadgetState(10), -1);
    EXPECT_EQ(plat::GetGadgetText(10), L"-1");

    plat::UserType(10, L" 42 ");
    TakeAll();
    EXPECT_EQ(plat::GetGadgetState(10), 42);
    plat::UserType(10, L"4x");
    TakeAll();
    EXPECT_EQ(plat::GetGadgetState(10), 42);
    EXPECT_EQ(plat::GetGadgetText(10), L"4x");
    plat::SetGadgetText(10, L"5000");
    EXPECT_EQ(plat::GetGadgetState(10), 999);
    plat::SetGadgetState(10, -7);
    EXPECT_EQ(plat::GetGadgetState(10), -1);
    EXPECT_EQ(plat::GetGadgetText(10), L"-1");
}

TEST_F(GuiWidgets, TypingReplacesTheTextAndReportsOneChangeButNotIntoReadOnlyFields) {
    ASSERT_TRUE(plat::CreateEdit(10, kMain, {315, 5, 400, 20}, L"C:\\"));
    ASSERT_TRUE(plat::CreateEdit(11, kMain, {40, 30, 415, 20}, L"E:\\", plat::kReadOnly));
    plat::UserType(10, L"c:\\src\\temp");
    plat::UserType(11, L"D:\\");
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].id, 10);
    EXPECT_EQ(events[0].type, plat::EventType::Change);
    EXPECT_EQ(plat::GetGadgetText(10), L"c:\\src\\temp");
    EXPECT_EQ(plat::GetGadgetText(11), L"E:\\");
    EXPECT_EQ(plat::GetActiveGadget(), 10);
}

TEST_F(GuiWidgets, OnlyTheShownTabsGadgetsTakeClicks) {
    ASSERT_TRUE(plat::CreatePanel(10, kMain, {5, 115, 740, 410}));
    ASSERT_TRUE(plat::AddPanelTab(10, 11, L"Auswahl"));
    ASSERT_TRUE(plat::AddPanelTab(10, 12, L"Meldungen"));
    ASSERT_TRUE(plat::CreateButton(13, 12, {5, 5, 90, 20}, L"Lösche Logs"));
    EXPECT_EQ(plat::GetGadgetText(10), L"Auswahl");
    EXPECT_FALSE(plat::GadgetReachableForTest(13));
    plat::UserClick(13);
    EXPECT_TRUE(TakeAll().empty());

    plat::SetGadgetState(10, 1);  // the program switches: no event
    EXPECT_TRUE(TakeAll().empty());
    plat::UserClick(13);
    plat::UserSelectTab(10, 1);  // already shown
    plat::UserSelectTab(10, 0);
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].id, 13);
    EXPECT_EQ(events[1].id, 10);
    EXPECT_EQ(events[1].type, plat::EventType::Change);
    EXPECT_EQ(plat::GetGadgetState(10), 0);

    // Pages cover the panel and follow its size.
    plat::ResizeGadget(10, plat::kKeep, plat::kKeep, 840, 460);
    ExpectBox(plat::GetGadgetBox(12), 0, 0, 840, 460);
    plat::RemoveGadget(10);
    EXPECT_FALSE(plat::GadgetExists(13));
}

TEST_F(GuiWidgets, SplitterLaysOutItsPartsWithinTheirMinimumSizes) {
    ASSERT_TRUE(plat::CreateEditor(10, kMain, {5, 30, 300, 205}));
    ASSERT_TRUE(plat::CreateListView(11, kMain, {315, 30, 400, 205}));
    ASSERT_TRUE(
        plat::CreateSplitter(12, kMain, {5, 30, 710, 205}, 10, 11, plat::kSplitSideBySide | plat::kSplitSecondFixed));
    EXPECT_EQ(plat::GadgetParentForTest(10), 12);
    plat::SetSplitterMinSizes(12, 300, 300);
    plat::SetGadgetState(12, 475);             // 0.67 of the width
    EXPECT_EQ(plat::GetGadgetState(12), 403);  // 710 - bar - 300 for the second part
    const int bar = 710 - 403 - plat::GetGadgetBox(11).w;
    ExpectBox(plat::GetGadgetBox(10), 0, 0, 403, 205);
    ExpectBox(plat::GetGadgetBox(11), 403 + bar, 0, 300, 205);

    // The second part keeps its width when the splitter grows.
    plat::ResizeGadget(12, plat::kKeep, plat::kKeep, 810, 255);
    EXPECT_EQ(plat::GetGadgetBox(11).w, 300);
    EXPECT_EQ(plat::GetGadgetBox(10).w, 503);
    EXPECT_EQ(plat::GetGadgetBox(10).h, 255);

    // Dragging reports a change only when the bar moved.
    plat::UserDragSplitter(12, 350);
    plat::UserDragSplitter(12, 10);  // stops at the first part's minimum
    plat::UserDragSplitter(12, 299);
    auto events = TakeAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(plat::GetGadgetState(12), 300);
}

TEST_F(GuiWidgets, StackedSplitterKeepsTheBarWhenItGrows) {
    ASSERT_TRUE(plat::CreateListView(10, kMain, {5, 10, 720, 115}));
    ASSERT_TRUE(plat::CreateContainer(11, kMain, {5, 130, 720, 240}, plat::kContainerRaised));
    ASSERT_TRUE(plat::CreateSplitter(12, kMain, {5, 10, 725, 370}, 10, 11));
    plat::SetSplitterMinSizes(12, 50, 150);
    plat::SetGadgetState(12, 120);
    plat::ResizeGadget(12, plat::kKeep, plat::kKeep, plat::kKeep, 420);
    EXPECT_EQ(plat::GetGadgetState(12), 120);
    ExpectBox(plat::GetGadgetBox(10), 0, 0, 725, 120);
    const plat::Box second = plat::GetGadgetBox(11);
    const int bar = second.y - 120;
    EXPECT_GT(bar, 0);
    EXPECT_EQ(second.y + second.h, 420);

    // Shrunk below what the bar needs, the second part keeps its minimum.
    plat::ResizeGadget(12, plat::kKeep, plat::kKeep, plat::kKeep, 250);
    EXPECT_EQ(plat::GetGadgetBox(11).h, 150);
    EXPECT_EQ(plat::GetGadgetState(12), 250 - bar - 150);
}

TEST_F(GuiWidgets, EditorTakesPlainTextModeOnlyWhileEmptyAndGrowsAtTheTop) {
    ASSERT_TRUE(plat::CreateEditor(10, kMain, {5, 30, 730, 350}));
    ASSERT_TRUE(plat::CreateEditor(11, kMain, {5, 5, 730, 375}));
    plat::SetEditorPlainText(10);
    plat::InsertEditorTextAtTop(11, L"zweite\r\n");
    plat::SetEditorPlainText(11);
    EXPECT_TRUE(plat::EditorPlainTextForTest(10));
    EXPECT_FALSE(plat::EditorPlainTextForTest(11));
    plat::InsertEditorTextAtTop(11, L"erste\r\n");
    EXPECT_EQ(plat::GetGadgetText(11), L"erste\r\nzweite\r\n");
}

TEST_F(GuiWidgets, FontsColoursAndPicturesBelongToTheirGadget) {
    plat::SetDefaultFont({L"Arial", 9, false});
    ASSERT_TRUE(plat::CreateText(10, kMain, {5, 55, 740, 25}, L"Datei Info hier..."));
    ASSERT_TRUE(plat::CreateImage(11, kMain, {215, 12, 32, 32}, 0));
    plat::SetGadgetFont(10, {L"Arial", 9, true});
    plat::SetGadgetColor(10, plat::ColorRgb(255, 0, 0));
    plat::SetGadgetImage(11, 3);
    EXPECT_TRUE((plat::GetGadgetFont(10) == plat::Font{L"Arial", 9, true}));
    EXPECT_EQ(plat::GetGadgetColor(10), 0x0000FFu);
    EXPECT_EQ(plat::GetGadgetColor(11), plat::kColorDefault);
    EXPECT_EQ(plat::GetGadgetImage(11), 3);
    EXPECT_TRUE((plat::GetGadgetFont(11) == plat::Font{L"Arial", 9, false}));
}
