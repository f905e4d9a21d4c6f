// Test hooks of the window system on Windows: the real windows answer for
// themselves, so there is no model to act on or to read. Every hook does
// nothing and answers false, 0 or empty; tests of the model skip here.
// Only the reset acts: it closes the windows a test left open.
#include "platform/win32/gui_registry.h"

#include "platform/gui_testing.h"

namespace plat {

bool HeadlessGui() { return false; }
void ResetGuiForTest() {
    std::vector<int> open;
    for (auto& [id, w] : wgui::Windows()) open.push_back(id);
    for (int id : open) RemoveWindow(id);
    wgui::EventQueue().clear();
}

void UserClick(int, EventType) {}
void UserClickRow(int, int, EventType) {}
void UserTickRow(int, int) {}
void UserType(int, const std::wstring&) {}
void UserSelectTab(int, int) {}
void UserDragSplitter(int, int) {}
void UserSpin(int, int) {}
void UserClickColumnTitle(int, int) {}
void UserFocus(int) {}
void UserChooseMenu(int, int) {}
void UserPressKey(int, int, uint32_t) {}
void UserCloseWindow(int) {}
void UserResizeWindow(int, int, int) {}
void UserMoveWindow(int, int, int) {}
void UserMinimize(int) {}
void UserMaximize(int) {}
void ChangeScreenSize(int, int) {}
void UserRestore(int) {}
void UserActivate(int) {}
void ChangeWindowDpi(int, int) {}
void UserClickTray(int, EventType) {}
void FailTrayAddsForTest(int) {}
void RestartTaskbar() {}
void ArriveRegisteredMessage(int, uint32_t) {}

size_t PendingUserActions() { return 0; }
size_t DroppedUserActions() { return 0; }
size_t QueuedEvents() { return 0; }

void AnswerNextMessageBox(MsgAnswer) {}
void AnswerNextInputBox(bool, const std::wstring&) {}
void AnswerNextFolderBrowser(const std::wstring&) {}
std::vector<ShownDialog> ShownDialogsForTest() { return {}; }

GadgetKind GadgetKindForTest(int) { return GadgetKind::None; }
uint32_t GadgetFlagsForTest(int) { return 0; }
int GadgetParentForTest(int) { return 0; }
int GadgetWindowForTest(int) { return 0; }
std::vector<int> GadgetsOfWindowForTest(int) { return {}; }
bool GadgetReachableForTest(int) { return false; }
std::wstring GadgetToolTipForTest(int) { return std::wstring(); }
bool EditorPlainTextForTest(int) { return false; }
bool EditorWordWrapForTest(int) { return false; }
bool SplitterMinSizesForTest(int, int&, int&) { return false; }
bool DirListSortForTest(int, int&, bool&) { return false; }

uint32_t WindowFlagsForTest(int) { return 0; }
int WindowOwnerForTest(int) { return 0; }
bool WindowMinSizeForTest(int, int&, int&) { return false; }
std::vector<MenuEntryForTest> MenuEntriesForTest(int) { return {}; }
bool TrayIconForTest(int, int&, int&, std::wstring&) { return false; }
bool TrayIconShownForTest(int) { return false; }

}  // namespace plat
