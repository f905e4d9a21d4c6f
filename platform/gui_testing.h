// Test hooks of the window system: tests act as the user would (click,
// type, close, resize, answer message boxes) and read what the windows show.
// Both window systems carry them out, so that the tests of the window seam
// run against both: the headless model in memory, Windows on the real
// controls with the messages the mouse, the keyboard, the frame and the
// notification area send (platform/win32/gui_input_testing.cpp). What only
// the model can do answers false, 0 or empty on Windows: scripted answers
// of the system's boxes, the fake clock's waits; a change of the screen is
// dropped there.
//
// User actions are queued and take effect only when the program next takes
// events (WaitEvent or PollEvent with nothing else pending), one action at a
// time and in order, exactly as Windows handles the input of a user who is
// quicker than the program. So a test may queue the clicks for a dialog
// before the program opens it. An action that finds no target it could
// reach (an unknown, hidden or disabled gadget, a gadget on a tab that is
// not shown, a hidden or disabled window) is dropped and counted. Input into
// a window that is not the active one activates it first: the program sees
// ActivateWindow before the click.
//
// With the fake clock active (plat::SetFakeClock), WaitEvent with nothing to
// deliver advances the clock by its time-out instead of sleeping, so a loop
// with a one-second heartbeat runs through minutes at once. So that a test
// that forgot to queue the user's last action fails instead of hanging,
// the model aborts the process after 100000 waits in a row without an event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui.h"

namespace plat {

// True on the headless model, where everything below takes effect.
bool HeadlessGui();
// Removes every window, gadget, tray icon, queued event and action, scripted
// answer and record; the default font and the registered messages too.
void ResetGuiForTest();

// ---------------------------------------------------------------- user actions

// A click on a gadget: a button, a check box or toggle button (which
// change their state first), an image; on a list, a click into its empty
// part (clearing the current row). Clicking gives the gadget the focus.
// Text labels, frames and containers take no clicks.
void UserClick(int gadget, EventType type = EventType::LeftClick);
// A click of `type` on a row of a list view or directory list (-1: the empty
// part below the rows). Left and right clicks make the row current first
// (Change when it changes), then report the click; a double click is a
// click followed by a second action that reports the double click (and on
// a directory list enters the folder the first click selected or, for "..",
// its parent; nothing if the program filled the list anew in between, and
// the second click may then land below the rows).
void UserClickRow(int list, int row, EventType type = EventType::LeftClick);
// A click on the row's check box: it toggles, Change then LeftClick; the
// current row stays.
void UserTickRow(int list, int row);
// The user replaces the whole text of an edit, editor or spin with `text`
// and the gadget reports one Change. Read-only gadgets are not typed into.
void UserType(int gadget, const std::wstring& text);
void UserSelectTab(int panel, int index);
void UserDragSplitter(int splitter, int position);
// `steps` clicks on the up (positive) or down (negative) arrow of a spin.
void UserSpin(int spin, int steps);
// A click on a column title (a directory list sorts by it).
void UserClickColumnTitle(int list, int column);
// Moves the keyboard focus to the gadget (tab key or a click into it).
void UserFocus(int gadget);
void UserChooseMenu(int window, int itemId);
// A key press in the window: accelerators, Tab and the dialog keys as
// gui.h describes them. Typing into a field is UserType.
void UserPressKey(int window, int key, uint32_t modifiers = 0);
void UserCloseWindow(int window);
// The user drags the frame to this inner size (sizable windows only).
void UserResizeWindow(int window, int w, int h);
void UserMoveWindow(int window, int x, int y);
void UserMinimize(int window);
void UserMaximize(int window);
// From the taskbar or the restore box: back from minimised or maximised.
void UserRestore(int window);
// A click into a window that makes it the active one.
void UserActivate(int window);
// The screen changes its resolution (or the taskbar its place): maximised
// windows take the new area and report SizeWindow, staying maximised.
void ChangeScreenSize(int w, int h);
// A click on a tray icon; dropped while the icon is not in the
// notification area.
// The window comes onto a monitor of `dpi`, as WM_DPICHANGED tells it:
// Windows suggests the same outer position and the inner size scaled by the
// new DPI against the old; the gadgets are scaled from the boxes the
// program gave them (splitter bars in proportion) and DpiChanged follows.
void ChangeWindowDpi(int window, int dpi);
void UserClickTray(int tray, EventType type = EventType::LeftClick);
// The notification area refuses the next `count` adds of an icon, as while
// Explorer is still starting.
void FailTrayAddsForTest(int count);
// Explorer starts again: every icon is gone from the notification area and
// "TaskbarCreated" reaches the windows.
void RestartTaskbar();
// A registered message from another program arrives at the window.
void ArriveRegisteredMessage(int window, uint32_t message);

size_t PendingUserActions();
size_t DroppedUserActions();
size_t QueuedEvents();

// ---------------------------------------------------------------- dialogs

// The answers of the next boxes, in order. Unscripted, a message box is
// answered OK or No, an input box and the folder browser are cancelled.
void AnswerNextMessageBox(MsgAnswer answer);
void AnswerNextInputBox(bool ok, const std::wstring& text = L"");
void AnswerNextFolderBrowser(const std::wstring& path);

enum class DialogKind { MessageBox, InputBox, FolderBrowser };
struct ShownDialog {
    DialogKind kind = DialogKind::MessageBox;
    std::wstring caption;  // caption, input box title or browser title
    std::wstring text;     // message or prompt
    std::wstring initial;  // input box default or browser start
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer answer = MsgAnswer::Ok;
    std::wstring answerText;  // typed text or chosen folder
    bool answered = false;    // input box OK or folder chosen
    int owner = 0;            // our foreground window when it was shown
};
// Every box shown since the last reset, oldest first.
std::vector<ShownDialog> ShownDialogsForTest();

// ---------------------------------------------------------------- reading

enum class GadgetKind {
    None,
    Button,
    Text,
    CheckBox,
    Image,
    ProgressBar,
    Panel,
    PanelPage,
    Container,
    Frame,
    Edit,
    Editor,
    Spin,
    ListView,
    DirList,
    Splitter
};
GadgetKind GadgetKindForTest(int gadget);
uint32_t GadgetFlagsForTest(int gadget);
int GadgetParentForTest(int gadget);
int GadgetWindowForTest(int gadget);
// The gadgets of a window in creation order.
std::vector<int> GadgetsOfWindowForTest(int window);
// Shown and enabled itself and through every parent, on the tab shown, in a
// window that is shown and not minimised.
bool GadgetReachableForTest(int gadget);
std::wstring GadgetToolTipForTest(int gadget);
bool EditorPlainTextForTest(int gadget);
bool EditorWordWrapForTest(int gadget);
bool SplitterMinSizesForTest(int splitter, int& first, int& second);
// Sort column and direction of a directory list.
bool DirListSortForTest(int list, int& column, bool& descending);

uint32_t WindowFlagsForTest(int window);
int WindowOwnerForTest(int window);
bool WindowMinSizeForTest(int window, int& w, int& h);

struct MenuEntryForTest {
    int menu = 0;  // the menu that holds it (0: the bar)
    int id = 0;    // the item or sub-menu id; 0 for a rule
    std::wstring text;
    bool isMenu = false;  // a drop-down or sub-menu
    bool rule = false;
    bool checked = false;
    bool enabled = true;
};
// The window's menu entries in the order they were added. Windows answers
// from its menus, each drop-down followed by its entries: the same order
// where each menu is filled before the next one is added.
std::vector<MenuEntryForTest> MenuEntriesForTest(int window);

bool TrayIconForTest(int tray, int& window, int& icon, std::wstring& tip);
// The icon is in the notification area (its last add succeeded).
bool TrayIconShownForTest(int tray);

}  // namespace plat
