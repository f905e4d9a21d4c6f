// Menu bar and accelerators: the menu tree, check marks, greyed items and
// shortcuts that arrive as the commands of their items.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

constexpr int kMain = 1;
constexpr int kEdit = 10;
enum : int { kMenuDatei = 1, kMenuBearbeiten, kBeenden, kStdAuto, kAddJob, kDeleteJob, kJobUp, kSubMenu, kDeep };

class GuiMenus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro", {0, 0, 750, 550}, plat::kWinSystemMenu));
        ASSERT_TRUE(plat::CreateEdit(kEdit, kMain, {5, 5, 100, 20}, L""));
        ASSERT_TRUE(plat::CreateMenuBar(kMain));
        ASSERT_TRUE(plat::AddMenu(kMain, 0, kMenuDatei, L"Datei"));
        ASSERT_TRUE(plat::AddMenuItem(kMain, kMenuDatei, kBeenden, L"Beenden"));
        ASSERT_TRUE(plat::AddMenu(kMain, 0, kMenuBearbeiten, L"Bearbeiten"));
        ASSERT_TRUE(plat::AddMenuItem(kMain, kMenuBearbeiten, kStdAuto, L"Std.Jobs autom. dazu"));
        ASSERT_TRUE(plat::AddMenuRule(kMain, kMenuBearbeiten));
        ASSERT_TRUE(plat::AddMenuItem(kMain, kMenuBearbeiten, kAddJob, L"Job hinzufügen\tIns"));
        ASSERT_TRUE(plat::AddMenuItem(kMain, kMenuBearbeiten, kDeleteJob, L"Job löschen\tDel"));
        ASSERT_TRUE(plat::AddMenuItem(kMain, kMenuBearbeiten, kJobUp, L"Job hoch\tCtrl hoch"));
        ASSERT_TRUE(plat::AddShortcut(kMain, plat::kKeyInsert, 0, kAddJob));
        ASSERT_TRUE(plat::AddShortcut(kMain, plat::kKeyDelete, 0, kDeleteJob));
        ASSERT_TRUE(plat::AddShortcut(kMain, plat::kKeyUp, plat::kModCtrl, kJobUp));
    }
};

std::vector<int> TakeMenuIds() {
    std::vector<int> ids;
    plat::GuiEvent e;
    while (plat::PollEvent(e)) {
        EXPECT_EQ(e.kind, plat::EventKind::Menu);
        EXPECT_EQ(e.window, kMain);
        ids.push_back(e.id);
    }
    return ids;
}

}  // namespace

TEST_F(GuiMenus, TreeKeepsOrderRulesAndShortcutTexts) {
    auto entries = plat::MenuEntriesForTest(kMain);
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_TRUE(entries[0].isMenu);
    EXPECT_EQ(entries[0].menu, 0);
    EXPECT_EQ(entries[1].text, L"Beenden");
    EXPECT_EQ(entries[1].menu, kMenuDatei);
    EXPECT_TRUE(entries[4].rule);
    EXPECT_EQ(entries[5].text, L"Job hinzufügen\tIns");

    // Ids are unique per window and fit a WM_COMMAND word; rules and items
    // need a menu to hold them.
    EXPECT_FALSE(plat::AddMenuItem(kMain, kMenuDatei, kBeenden, L"again"));
    EXPECT_FALSE(plat::AddMenuItem(kMain, kMenuDatei, 70000, L"too big"));
    EXPECT_FALSE(plat::AddMenuItem(kMain, kBeenden, 50, L"inside an item"));
    EXPECT_FALSE(plat::AddMenuRule(kMain, 0));
    EXPECT_FALSE(plat::CreateMenuBar(kMain));
}

TEST_F(GuiMenus, CheckMarkFollowsTheProgram) {
    EXPECT_FALSE(plat::GetMenuItemChecked(kMain, kStdAuto));
    plat::SetMenuItemChecked(kMain, kStdAuto, true);
    EXPECT_TRUE(plat::GetMenuItemChecked(kMain, kStdAuto));
    plat::SetMenuItemChecked(kMain, kMenuDatei, true);  // a drop-down has no check mark
    EXPECT_FALSE(plat::GetMenuItemChecked(kMain, kMenuDatei));
}

TEST_F(GuiMenus, ChoosingAnItemOrPressingItsShortcutGivesTheSameCommand) {
    plat::UserChooseMenu(kMain, kAddJob);
    plat::UserPressKey(kMain, plat::kKeyInsert);
    plat::UserPressKey(kMain, plat::kKeyDelete);
    plat::UserFocus(kEdit);  // a text field keeps Ins and Del, but not Ctrl+Up
    plat::UserPressKey(kMain, plat::kKeyDelete);
    plat::UserPressKey(kMain, plat::kKeyInsert);
    plat::UserPressKey(kMain, plat::kKeyUp, plat::kModCtrl);
    plat::UserPressKey(kMain, plat::kKeyUp);                      // without Ctrl: no shortcut
    plat::UserPressKey(kMain, plat::kKeyDelete, plat::kModCtrl);  // modifiers must match exactly
    EXPECT_EQ(TakeMenuIds(), (std::vector<int>{kAddJob, kAddJob, kDeleteJob, kJobUp}));
}

TEST_F(GuiMenus, GreyedItemsAndGreyedMenusGiveNoCommand) {
    plat::SetMenuItemEnabled(kMain, kDeleteJob, false);
    plat::SetMenuItemEnabled(kMain, kMenuDatei, false);
    EXPECT_FALSE(plat::GetMenuItemEnabled(kMain, kDeleteJob));
    plat::UserChooseMenu(kMain, kDeleteJob);
    plat::UserPressKey(kMain, plat::kKeyDelete);
    plat::UserChooseMenu(kMain, kBeenden);         // inside the greyed "Datei"
    plat::UserChooseMenu(kMain, kMenuBearbeiten);  // a drop-down is no command
    EXPECT_TRUE(TakeMenuIds().empty());

    plat::SetMenuItemEnabled(kMain, kDeleteJob, true);
    plat::UserPressKey(kMain, plat::kKeyDelete);
    EXPECT_EQ(TakeMenuIds(), (std::vector<int>{kDeleteJob}));
}

TEST_F(GuiMenus, KeysReachOnlyTheActiveWindow) {
    ASSERT_TRUE(plat::OpenWindow(2, L"Set bearbeiten", {0, 0, 500, 185}, plat::kWinSystemMenu, kMain));
    ASSERT_EQ(plat::GetForeground(), 2);
    plat::UserPressKey(kMain, plat::kKeyInsert);
    EXPECT_TRUE(TakeMenuIds().empty());

    plat::RemoveWindow(2);
    plat::UserPressKey(kMain, plat::kKeyInsert);
    EXPECT_EQ(TakeMenuIds(), (std::vector<int>{kAddJob}));
}

TEST_F(GuiMenus, SubMenusHoldItemsThatFollowTheirParentsState) {
    ASSERT_TRUE(plat::AddMenu(kMain, kMenuBearbeiten, kSubMenu, L"Mehr"));
    ASSERT_TRUE(plat::AddMenuItem(kMain, kSubMenu, kDeep, L"Tief"));
    plat::UserChooseMenu(kMain, kDeep);
    EXPECT_EQ(TakeMenuIds(), (std::vector<int>{kDeep}));
    plat::SetMenuItemEnabled(kMain, kMenuBearbeiten, false);
    plat::UserChooseMenu(kMain, kDeep);
    EXPECT_TRUE(TakeMenuIds().empty());
}
