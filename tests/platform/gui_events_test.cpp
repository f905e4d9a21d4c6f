// The event queue of the window system: what the user's actions raise, in
// which order, when they take effect, and how a wait lets time pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

constexpr int kMain = 1;
constexpr int kButton = 10;
constexpr int kList = 11;
constexpr int kEdit = 12;

class GuiEvents : public ::testing::Test {
protected:
    void SetUp() override {
        const uint32_t flags = plat::kWinSystemMenu | plat::kWinMinimizeBox | plat::kWinMaximizeBox | plat::kWinSizable;
        ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro 1.09", {100, 80, 750, 550}, flags));
    }
};

std::vector<plat::GuiEvent> TakeAll() {
    std::vector<plat::GuiEvent> events;
    plat::GuiEvent e;
    while (plat::PollEvent(e)) events.push_back(e);
    return events;
}

struct Expect {
    plat::EventKind kind;
    int id;
    plat::EventType type;
};

// "kind/id/type" of each event, for a failure's message.
std::string Described(const std::vector<plat::GuiEvent>& events) {
    std::string text;
    for (const plat::GuiEvent& e : events)
        text += " " + std::to_string(int(e.kind)) + "/" + std::to_string(e.id) + "/" + std::to_string(int(e.type));
    return text;
}

void ExpectEvents(const std::vector<plat::GuiEvent>& got, const std::vector<Expect>& want) {
    ASSERT_EQ(got.size(), want.size()) << Described(got);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].kind, want[i].kind) << "event " << i;
        EXPECT_EQ(got[i].id, want[i].id) << "event " << i;
        EXPECT_EQ(got[i].type, want[i].type) << "event " << i;
    }
}

using K = plat::EventKind;
using T = plat::EventType;

}  // namespace

TEST_F(GuiEvents, ActionsQueuedBeforeTheWidgetExistsReachIt) {
    // A test scripts a dialog's clicks before the program opens it.
    plat::UserClick(kButton);
    EXPECT_EQ(plat::PendingUserActions(), 1u);
    ASSERT_TRUE(plat::CreateButton(kButton, kMain, {5, 5, 60, 20}, L"Start"));

    auto events = TakeAll();
    ExpectEvents(events, {{K::Gadget, kButton, T::LeftClick}});
    EXPECT_EQ(events[0].window, kMain);
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
}

TEST_F(GuiEvents, EachActionWaitsUntilTheProgramHasTakenTheEventsBefore) {
    ASSERT_TRUE(plat::CreateListView(kList, kMain, {5, 10, 720, 115}));
    ASSERT_TRUE(plat::AddListColumn(kList, 0, L"Quelle", 360));
    for (int i = 0; i < 3; ++i) plat::AddListRow(kList, -1, {L"row"});
    plat::UserClickRow(kList, 0);
    plat::UserClickRow(kList, 2);

    plat::GuiEvent e;
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.type, T::Change);
    // The second click has not happened yet while the first one's events
    // are being handled.
    EXPECT_EQ(plat::GetListCurrentRow(kList), 0);
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.type, T::LeftClick);
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.type, T::Change);
    EXPECT_EQ(plat::GetListCurrentRow(kList), 2);
}

TEST_F(GuiEvents, ActionsOnWidgetsTheUserCannotReachAreDropped) {
    ASSERT_TRUE(plat::CreateButton(kButton, kMain, {5, 5, 60, 20}, L"Start"));
    plat::SetGadgetEnabled(kButton, false);
    plat::UserClick(kButton);
    plat::UserClick(999);  // no such widget
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_EQ(plat::DroppedUserActions(), 2u);

    plat::SetGadgetEnabled(kButton, true);
    plat::SetWindowShown(kMain, false);
    plat::UserClick(kButton);
    plat::UserCloseWindow(kMain);
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_EQ(plat::DroppedUserActions(), 4u);

    plat::SetWindowShown(kMain, true);
    plat::SetWindowEnabled(kMain, false);
    plat::UserClick(kButton);
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_EQ(plat::DroppedUserActions(), 5u);
}

TEST_F(GuiEvents, WhatTheProgramDoesItselfRaisesNoEventExceptAListsCurrentRow) {
    ASSERT_TRUE(plat::CreateEdit(kEdit, kMain, {5, 5, 200, 20}, L""));
    ASSERT_TRUE(plat::CreateListView(kList, kMain, {5, 30, 200, 100}, plat::kListCheckBoxes));
    plat::AddListColumn(kList, 0, L"Quelle", 100);
    plat::AddListRow(kList, -1, {L"a"});
    plat::AddListRow(kList, -1, {L"b"});
    plat::SetGadgetText(kEdit, L"C:\\Daten\\");
    plat::ResizeWindow(kMain, 10, 10, 800, 600);
    plat::SetWindowState(kMain, plat::WindowState::Maximized);
    plat::SetListRowChecked(kList, 1, true);
    EXPECT_EQ(plat::QueuedEvents(), 0u);

    plat::SetListCurrentRow(kList, 1);
    plat::SetListCurrentRow(kList, 1);  // unchanged: nothing more
    ExpectEvents(TakeAll(), {{K::Gadget, kList, T::Change}});

    plat::RemoveListRow(kList, 1);  // the current row goes, silently
    EXPECT_EQ(plat::GetListCurrentRow(kList), -1);
    EXPECT_TRUE(TakeAll().empty());
}

TEST_F(GuiEvents, ClickIntoAnInactiveWindowActivatesItFirst) {
    ASSERT_TRUE(plat::CreateButton(kButton, kMain, {5, 5, 60, 20}, L"Start"));
    ASSERT_TRUE(plat::OpenWindow(2, L"Info", {0, 0, 400, 300}, plat::kWinSystemMenu, kMain));
    ASSERT_EQ(plat::GetForeground(), 2);
    plat::UserClick(kButton);
    plat::UserActivate(kMain);  // already active now: nothing more
    ExpectEvents(TakeAll(), {{K::ActivateWindow, 0, T::None}, {K::Gadget, kButton, T::LeftClick}});
    EXPECT_EQ(plat::GetForeground(), kMain);
}

TEST_F(GuiEvents, CloseBoxAsksAndTheWindowStays) {
    plat::UserCloseWindow(kMain);
    ExpectEvents(TakeAll(), {{K::CloseWindow, 0, T::None}});
    EXPECT_TRUE(plat::WindowExists(kMain));
}

TEST_F(GuiEvents, WaitWithoutEventsLetsTheFakeClockRun) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the fake clock runs the waits of the in-memory system only";
    plat::SetFakeClock(1000000, 5000);
    plat::GuiEvent e;
    EXPECT_FALSE(plat::WaitEvent(1000, e));
    EXPECT_EQ(e.kind, K::None);
    EXPECT_EQ(plat::Tick(), 6000u);

    // A heartbeat loop of one minute passes at once.
    for (int i = 0; i < 60; ++i) plat::WaitEvent(1000, e);
    EXPECT_EQ(plat::Tick(), 66000u);
    EXPECT_EQ(plat::Now(), 1000061);

    // Polling and endless waits never move the clock; an event is
    // delivered without waiting.
    EXPECT_FALSE(plat::PollEvent(e));
    EXPECT_FALSE(plat::WaitEvent(plat::kWaitForever, e));
    EXPECT_EQ(plat::Tick(), 66000u);
    plat::UserCloseWindow(kMain);
    EXPECT_TRUE(plat::WaitEvent(1000, e));
    EXPECT_EQ(e.kind, K::CloseWindow);
    EXPECT_EQ(plat::Tick(), 66000u);
}

TEST_F(GuiEvents, RegisteredMessageReachesEveryWindowWhoseTitleBeginsWithThePrefix) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "EnumWindows takes the windows in their stacking order, the model by id";
    const uint32_t msg = plat::RegisterAppMessage(L"TresoroBring2Front");
    EXPECT_GE(msg, 0xC000u);
    EXPECT_EQ(plat::RegisterAppMessage(L"TresoroBring2Front"), msg);
    EXPECT_NE(plat::RegisterAppMessage(L"Other"), msg);

    ASSERT_TRUE(plat::OpenWindow(2, L"Tresoro", {0, 0, 100, 100}, plat::kWinHidden));
    ASSERT_TRUE(plat::OpenWindow(3, L"Mein Tresoro", {0, 0, 100, 100}, 0));
    ASSERT_TRUE(plat::OpenWindow(4, L"Treso", {0, 0, 100, 100}, 0));
    EXPECT_EQ(plat::PostToWindowsTitled(L"Tresoro", msg), 2);

    auto events = TakeAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, K::Registered);
    EXPECT_EQ(events[0].window, kMain);
    EXPECT_EQ(events[0].message, msg);
    EXPECT_EQ(events[1].window, 2);  // hidden windows receive it too

    plat::ArriveRegisteredMessage(kMain, msg);
    events = TakeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, K::Registered);
    EXPECT_EQ(events[0].message, msg);
}

TEST_F(GuiEvents, RemovedWindowTakesItsWidgetsTrayIconAndQueuedEventsAlong) {
    ASSERT_TRUE(plat::OpenWindow(2, L"Set bearbeiten", {0, 0, 500, 400}, 0, kMain));
    ASSERT_TRUE(plat::CreateButton(20, 2, {5, 5, 40, 20}, L"OK"));
    ASSERT_TRUE(plat::AddTrayIcon(7, 2, 1, L"tip"));
    plat::UserClick(20);
    plat::UserCloseWindow(kMain);
    plat::GuiEvent e;
    // Taking the first event carries out the click only.
    ASSERT_TRUE(plat::PollEvent(e));
    EXPECT_EQ(e.id, 20);
    plat::UserClick(20);
    ASSERT_EQ(plat::PendingUserActions(), 2u);
    plat::RemoveWindow(2);

    EXPECT_FALSE(plat::GadgetExists(20));
    int window = 0, icon = 0;
    std::wstring tip;
    EXPECT_FALSE(plat::TrayIconForTest(7, window, icon, tip));
    ExpectEvents(TakeAll(), {{K::CloseWindow, 0, T::None}});
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
    // The owner becomes the foreground window again.
    EXPECT_EQ(plat::GetForeground(), kMain);
}

TEST_F(GuiEvents, MinimiseMaximiseAndRestoreReportStateAndSize) {
    plat::UserMinimize(kMain);
    plat::UserRestore(kMain);
    plat::UserMaximize(kMain);
    plat::UserRestore(kMain);
    // One event per new state, as one WM_SIZE reports it; the size comes
    // with the state.
    ExpectEvents(TakeAll(), {{K::MinimizeWindow, 0, T::None},
                             {K::RestoreWindow, 0, T::None},
                             {K::MaximizeWindow, 0, T::None},
                             {K::RestoreWindow, 0, T::None}});
    const plat::Box b = plat::GetWindowBox(kMain);
    EXPECT_EQ(b.x, 100);
    EXPECT_EQ(b.w, 750);
    EXPECT_EQ(b.h, 550);
}

TEST_F(GuiEvents, TrayClicksArriveAsTrayEventsAndADoubleClickAsTwoPresses) {
    ASSERT_TRUE(plat::AddTrayIcon(5, kMain, 1, L"Tresoro 1.09"));
    plat::SetWindowShown(kMain, false);  // the icon works without the window
    plat::UserClickTray(5, T::RightClick);
    plat::UserClickTray(5, T::LeftDoubleClick);
    auto events = TakeAll();
    ExpectEvents(events, {{K::Tray, 5, T::RightClick}, {K::Tray, 5, T::LeftClick}, {K::Tray, 5, T::LeftDoubleClick}});
    EXPECT_EQ(events[0].window, kMain);
}

// At logon the notification area refuses icons until Explorer is up: the
// icon stays recorded and comes every kTrayRetryMillis while the program
// waits for events, and again after Explorer restarts.
// Under Wine the refusals are the test hook's, ahead of Shell_NotifyIconW,
// and the retries wait on the window's real timer.
TEST_F(GuiEvents, ARefusedTrayIconIsAddedAgainUntilItIsThereAndAfterTheTaskbarReturns) {
    if (plat::HeadlessGui()) plat::SetFakeClock(1709210096, 5000);
    // Milliseconds until the icon is there, taking events meanwhile. A real
    // timer may come late on a busy machine, never early.
    const uint32_t limit = plat::HeadlessGui() ? 4 * plat::kTrayRetryMillis : 20000;
    const auto untilShown = [limit] {
        const uint32_t start = plat::Tick();
        plat::GuiEvent e;
        while (!plat::TrayIconShownForTest(5) && plat::Tick() - start < limit) plat::WaitEvent(100, e);
        EXPECT_TRUE(plat::TrayIconShownForTest(5));
        return plat::Tick() - start;
    };
    plat::FailTrayAddsForTest(3);
    ASSERT_TRUE(plat::AddTrayIcon(5, kMain, 1, L"Tresoro 1.09"));
    EXPECT_FALSE(plat::TrayIconShownForTest(5));
    plat::UserClickTray(5);  // nothing there to click yet
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
    const uint32_t tookThree = untilShown();  // the second and third adds fail too, the fourth succeeds
    EXPECT_GE(tookThree, 3 * plat::kTrayRetryMillis - 100);
    plat::UserClickTray(5);
    ExpectEvents(TakeAll(), {{K::Tray, 5, T::LeftClick}});

    plat::FailTrayAddsForTest(1);
    plat::RestartTaskbar();
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_FALSE(plat::TrayIconShownForTest(5));
    const uint32_t tookOne = untilShown();
    EXPECT_GE(tookOne, plat::kTrayRetryMillis - 100);
    if (plat::HeadlessGui()) {
        EXPECT_LT(tookOne, 2 * plat::kTrayRetryMillis);
    }
    plat::RestartTaskbar();  // Explorer back at once: added again at once
    TakeAll();
    EXPECT_TRUE(plat::TrayIconShownForTest(5));
}

// The dialog keys as IsDialogMessageW has them under Wine (the end-to-end
// suite presses them in the real dialogs).
TEST_F(GuiEvents, DialogKeysFollowTheFocusTheDefaultAndTheCancelButton) {
    constexpr int kDlg = 2, kName = 20, kField = 21, kText = 22, kOk = 23, kCancel = 24, kCheck = 25, kBox = 26;
    ASSERT_TRUE(plat::OpenWindow(kDlg, L"Dialog", {0, 0, 300, 200}, plat::kWinSystemMenu));
    ASSERT_TRUE(plat::CreateText(kName, kDlg, {5, 5, 60, 20}, L"&Name:"));
    ASSERT_TRUE(plat::CreateEdit(kField, kDlg, {70, 5, 200, 20}, L""));
    ASSERT_TRUE(plat::CreateEditor(kText, kDlg, {5, 30, 290, 100}));
    ASSERT_TRUE(plat::CreateButton(kOk, kDlg, {100, 150, 60, 20}, L"OK"));
    ASSERT_TRUE(plat::CreateButton(kCancel, kDlg, {170, 150, 70, 20}, L"Abbrechen"));
    ASSERT_TRUE(plat::CreateCheckBox(kCheck, kDlg, {5, 150, 80, 20}, L"&Fakultativ"));
    ASSERT_TRUE(plat::CreateContainer(kBox, kDlg, {250, 5, 40, 20}));
    plat::SetForeground(kDlg);
    // Without dialog keys only Tab works: from the window to the first stop.
    plat::UserPressKey(kDlg, plat::kKeyReturn);
    plat::UserPressKey(kDlg, plat::kKeyEscape);
    plat::UserPressKey(kDlg, plat::kKeyTab);
    EXPECT_TRUE(TakeAll().empty());
    EXPECT_EQ(plat::GetActiveGadget(), kField);
    plat::SetDialogKeys(kDlg, kOk, kCancel);

    struct Case {
        int focus;  // -1: leave it
        int key;
        uint32_t modifiers;
        Expect event;  // kind None: no event
        int focusAfter;
    };
    const Case cases[] = {
        {kField, plat::kKeyReturn, 0, {K::Gadget, kOk, T::LeftClick}, kField},        // the focus stays
        {kCancel, plat::kKeyReturn, 0, {K::Gadget, kCancel, T::LeftClick}, kCancel},  // the focused button
        {kText, plat::kKeyReturn, 0, {K::None, 0, T::None}, kText},                   // a multi-line text keeps it
        {kField, plat::kKeyEscape, 0, {K::Gadget, kCancel, T::LeftClick}, kCancel},
        {kText, plat::kKeyEscape, 0, {K::CloseWindow, 0, T::None}, kText},  // the editor closes its parent
        {kField, plat::kKeyTab, 0, {K::None, 0, T::None}, kText},
        {kField, plat::kKeyTab, plat::kModShift, {K::None, 0, T::None}, kCheck},  // backwards round the start
        {kCheck, plat::kKeyTab, 0, {K::None, 0, T::None}, kField},                // and forwards round the end
        {kOk, 'N', plat::kModAlt, {K::None, 0, T::None}, kField},                 // the label hands on its focus
        {kField, 'F', plat::kModAlt, {K::Gadget, kCheck, T::LeftClick}, kCheck},
        {kField, 'X', plat::kModAlt, {K::None, 0, T::None}, kField},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "focus " << c.focus << " key " << c.key << " mods " << c.modifiers);
        // Windows' rich edit with ES_WANTRETURN asks for Enter (WM_GETDLGCODE);
        // Wine's does not, and IsDialogMessageW hands it to the default button.
        if (c.focus == kText && c.key == plat::kKeyReturn && !plat::HeadlessGui()) continue;
        if (c.focus > 0) plat::SetActiveGadget(c.focus);
        plat::UserPressKey(kDlg, c.key, c.modifiers);
        auto events = TakeAll();
        // The multi-line text's own Enter is a new line there, and the real
        // control says so; no button or window hears of it.
        std::erase_if(events, [&c](const plat::GuiEvent& e) { return e.id == kText && c.focus == kText; });
        if (c.event.kind == K::None)
            EXPECT_TRUE(events.empty());
        else
            ExpectEvents(events, {c.event});
        EXPECT_EQ(plat::GetActiveGadget(), c.focusAfter);
    }
    EXPECT_EQ(plat::GetGadgetState(kCheck), 1);

    // A disabled OK takes no Enter; without a cancel button Escape is the
    // close box.
    plat::SetGadgetEnabled(kOk, false);
    plat::SetActiveGadget(kField);
    plat::UserPressKey(kDlg, plat::kKeyReturn);
    EXPECT_TRUE(TakeAll().empty());
    plat::SetDialogKeys(kDlg, kOk, 0);
    plat::UserPressKey(kDlg, plat::kKeyEscape);
    ExpectEvents(TakeAll(), {{K::CloseWindow, 0, T::None}});
}

TEST_F(GuiEvents, AProgramWaitingForAUserNobodyScriptedEndsTheTestInsteadOfHanging) {
    if (!plat::HeadlessGui()) GTEST_SKIP() << "the in-memory system's guard against a wait without end";
    EXPECT_DEATH(
        {
            plat::GuiEvent e;
            for (;;) plat::WaitEvent(plat::kWaitForever, e);
        },
        "missing a user action");
}
