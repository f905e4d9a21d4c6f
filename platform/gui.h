// The window system as the program sees it: top-level windows and the
// widgets ("gadgets") inside them, each named by an integer id the caller
// chooses; a menu bar with accelerators; a notification-area icon; one event
// queue with a time-out; message boxes, an input box and the system folder
// browser.
//
// Two implementations exist: platform/win32 builds real windows from the
// common controls (ComCtl32 v6, rich edit, Shell_NotifyIconW), platform/
// headless keeps the same widgets in memory and lets tests act as the user
// (platform/gui_testing.h).
//
// Ids. Windows and gadgets share one number space of positive ids; creating
// a window or gadget with an id that is in use fails. Menu ids (menus and
// their items) are per window and lie in 1..65535, because Windows carries
// a command in the low word of WM_COMMAND. Tray icon ids are their own space.
// A call with an unknown id does nothing and a getter answers 0, false,
// the empty text, -1 for a row or kColorDefault for a colour.
//
// Threads. Everything runs on the main thread, which owns every window, with
// these exceptions for the icon animation and blink threads: SetGadgetImage,
// SetTrayIcon, SetGadgetFont, GetGadgetFont, SetGadgetColor and
// GetGadgetColor may be called from any thread. On Windows these calls post
// a private message to the window's thread (PostMessageW) and keep the
// colour and font of each gadget in a table under a lock, so the calling
// thread never touches a window another thread owns; the headless model
// guards all of its state with one mutex.
//
// Events report what the user did. What the program does itself raises no
// event (moving, sizing, showing a window, setting texts and states), with
// one exception a list view relies on: a change of its current row, also
// one the program makes with SetListCurrentRow, queues one Change event.
// On Windows this means the layer swallows the notifications its own calls
// cause (EN_CHANGE from WM_SETTEXT, WM_SIZE from SetWindowPos,
// LVN_ITEMCHANGED for check marks) and reports one Change per new current
// row, not the pair of LVN_ITEMCHANGED for the old and the new row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// A coordinate or size handed to ResizeWindow or ResizeGadget as kKeep
// leaves that value as it is.
constexpr int kKeep = -65535;

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
};

// ---------------------------------------------------------------- windows

constexpr uint32_t kWinSystemMenu = 1u << 0;    // WS_SYSMENU: close box
constexpr uint32_t kWinMinimizeBox = 1u << 1;   // WS_MINIMIZEBOX
constexpr uint32_t kWinMaximizeBox = 1u << 2;   // WS_MAXIMIZEBOX
constexpr uint32_t kWinSizable = 1u << 3;       // WS_THICKFRAME
constexpr uint32_t kWinToolWindow = 1u << 4;    // WS_EX_TOOLWINDOW: small caption, no taskbar button
constexpr uint32_t kWinHidden = 1u << 5;        // created without WS_VISIBLE
constexpr uint32_t kWinCenterScreen = 1u << 6;  // x, y ignored: centred on the primary screen
constexpr uint32_t kWinCenterOwner = 1u << 7;   // x, y ignored: centred on the owner window

enum class WindowState { Normal, Minimized, Maximized };

// A top-level window with a title bar. `box` gives the outer position of the
// frame in screen coordinates and the inner size. The inner size is the
// client area plus the menu bar, if the window has one (client height +
// SM_CYMENU): every size of a window in this interface is meant that way,
// while gadget positions are relative to the client area below the menu.
// With an `owner` (a window id) the window stays above its owner and has
// no taskbar button (the owner of CreateWindowExW); the owner is not
// disabled: modal loops keep the user in their window themselves. A window
// created visible becomes the foreground window.
bool OpenWindow(int id, const std::wstring& title, Box box, uint32_t flags, int owner = 0);
// Destroys the window with every gadget in it, removes the tray icons bound
// to it and drops its queued events.
void RemoveWindow(int id);
bool WindowExists(int id);

void SetWindowTitle(int id, const std::wstring& title);
std::wstring GetWindowTitle(int id);

// Outer position and inner size, each kKeep to leave it. Never below the
// minimum inner size (WM_GETMINMAXINFO). While the window is minimised or
// maximised this sets the geometry it returns to (SetWindowPlacement).
void ResizeWindow(int id, int x, int y, int w, int h);
// Outer position and inner size of the normal (restored) geometry. A
// minimised or maximised window reports the geometry it returns to
// (GetWindowPlacement's normal position), never Windows' parking place at
// -32000 nor the maximised frame: this is what a program remembers.
Box GetWindowBox(int id);
// Outer position and inner size as the window covers the screen now: the
// maximised frame while maximised (GetWindowRect), the normal geometry
// otherwise (a minimised window has no size of its own). The layout of the
// gadgets follows this one.
Box GetWindowScreenBox(int id);
void SetWindowMinSize(int id, int w, int h);
// Moves the window, and shrinks it where it does not fit, so that its frame
// lies inside the work area of its monitor (never below its minimum size).
// OpenWindow does this for every new window.
void KeepWindowOnScreen(int id);

// The DPI the window is laid out for: that of its monitor (GetDpiForWindow,
// Windows 10 1607 on; before, the system's), after a DpiChanged event the
// new one. 0 for an unknown window.
int GetWindowDpi(int id);

// Normal, minimised or maximised (ShowWindow with SW_RESTORE, SW_MINIMIZE,
// SW_MAXIMIZE without changing the visibility of a hidden window). Returning
// to Normal restores the geometry the window had before.
void SetWindowState(int id, WindowState state);
WindowState GetWindowState(int id);
// Shown or hidden (SW_SHOWNA / SW_HIDE); a hidden window has no taskbar
// button. Hiding does not change the state.
void SetWindowShown(int id, bool shown);
bool GetWindowShown(int id);
// A disabled window takes no input (EnableWindow).
void SetWindowEnabled(int id, bool enabled);
bool GetWindowEnabled(int id);

// SetForegroundWindow; GetForeground answers the id of our window that is
// in the foreground, or 0 when another program's window is.
void SetForeground(int id);
int GetForeground();

// ---------------------------------------------------------------- gadgets

// Flags of the gadget kinds; each kind reads only its own.
constexpr uint32_t kButtonToggle = 1u << 0;             // BS_PUSHLIKE check box: stays down until released
constexpr uint32_t kTextRight = 1u << 1;                // SS_RIGHT
constexpr uint32_t kTextCenter = 1u << 2;               // SS_CENTER
constexpr uint32_t kContainerRaised = 1u << 3;          // a raised border (DrawEdge, EDGE_RAISED)
constexpr uint32_t kReadOnly = 1u << 4;                 // edit and editor: ES_READONLY
constexpr uint32_t kWordWrap = 1u << 5;                 // editor: lines wrap at the gadget's width
constexpr uint32_t kListCheckBoxes = 1u << 6;           // LVS_EX_CHECKBOXES
constexpr uint32_t kListGridLines = 1u << 7;            // LVS_EX_GRIDLINES
constexpr uint32_t kListFullRowSelect = 1u << 8;        // LVS_EX_FULLROWSELECT
constexpr uint32_t kListAlwaysShowSelection = 1u << 9;  // LVS_SHOWSELALWAYS
constexpr uint32_t kDirFoldersOnly = 1u << 10;          // directory list: no files
constexpr uint32_t kDirParentEntry = 1u << 11;          // directory list: a ".." row first
constexpr uint32_t kSplitSideBySide = 1u << 12;         // splitter: first left, second right (else above/below)
constexpr uint32_t kSplitSecondFixed = 1u << 13;        // splitter: the second part keeps its size on resize

// `parent` is a window, a container or a panel page (see AddPanelTab). A
// frame is only drawn: the gadgets inside it share the frame's parent. A
// splitter is never a parent; it adopts gadgets that exist. `box` is
// relative to the parent's client area. New gadgets use the default font
// (SetDefaultFont) and are enabled and shown.
//
// A push button (BN_CLICKED gives LeftClick); with kButtonToggle a button
// that stays down when clicked, its state 1 while down.
bool CreateButton(int id, int parent, Box box, const std::wstring& text, uint32_t flags = 0);
// A static text label; it raises no events.
bool CreateText(int id, int parent, Box box, const std::wstring& text, uint32_t flags = 0);
// A check box (BS_AUTOCHECKBOX); state 1 when ticked.
bool CreateCheckBox(int id, int parent, Box box, const std::wstring& text);
// Shows one of the program's icons (SS_ICON with STM_SETICON): `icon` is the
// number of an ICON resource linked into the program; 0 shows nothing.
bool CreateImage(int id, int parent, Box box, int icon);
// A progress bar (PBM_SETRANGE32); its state is the position.
bool CreateProgressBar(int id, int parent, Box box, int minimum, int maximum);
// A tab control (WC_TABCONTROL); its state is the index of the tab shown,
// the user's choice of a tab raises Change (TCN_SELCHANGE). The tabs are
// added with AddPanelTab.
bool CreatePanel(int id, int parent, Box box);
// Appends a tab titled `text` whose page is the gadget `page`: a parent for
// the gadgets of that tab, covering the panel's display area and shown only
// while its tab is (a child window per page, shown on TCN_SELCHANGE).
bool AddPanelTab(int panel, int page, const std::wstring& text);
// A plain child window that holds other gadgets.
bool CreateContainer(int id, int parent, Box box, uint32_t flags = 0);
// A group box (BS_GROUPBOX) drawn around gadgets that share its parent.
bool CreateFrame(int id, int parent, Box box, const std::wstring& text);
// A one-line edit field; typing raises Change (EN_CHANGE).
bool CreateEdit(int id, int parent, Box box, const std::wstring& text, uint32_t flags = 0);
// A multi-line rich edit text (MSFTEDIT_CLASS, ES_MULTILINE, scroll bars,
// no length limit: EM_EXLIMITTEXT). Typing raises Change (ENM_CHANGE).
// Its text lines are separated by "\r\n" in both directions.
bool CreateEditor(int id, int parent, Box box, uint32_t flags = 0);
// A one-line numeric edit with up/down arrows (an UPDOWN_CLASS buddy) that
// stop at minimum and maximum. The state is the value; typing or an arrow
// raises Change. A typed text that is not a number keeps the last value.
bool CreateSpin(int id, int parent, Box box, int minimum, int maximum);
// A report-style list view (WC_LISTVIEW, LVS_REPORT, LVS_SINGLESEL) without
// columns; add them with AddListColumn. Events: LeftClick (NM_CLICK),
// RightClick (NM_RCLICK), LeftDoubleClick (NM_DBLCLK), RightDoubleClick
// (NM_RDBLCLK) and Change (current row changed, or the user ticked a box).
// A click on a column title does nothing.
bool CreateListView(int id, int parent, Box box, uint32_t flags = 0);
// A list view that shows the entries of one directory, filled by the layer
// itself from the file system: columns name, size, type and modification
// date (100 pixels each), sorted by name at first; a click on a column
// title sorts by it, a second click reverses the order; folders come before
// files, ".." always first. The gadget text is the directory shown (with a
// trailing "\"); setting it lists that directory, the empty text lists the
// drives. A double click on a folder enters it. A directory that cannot be
// listed shows no rows. The program may add columns of its own, never
// before the name, and fill their cells; those travel with their entries
// when the list is sorted and are emptied whenever it is filled again. The
// built-in columns cannot be removed. Both window systems take all of this
// from one model (platform/common/dirlist_model.h).
bool CreateDirList(int id, int parent, Box box, const std::wstring& dir, uint32_t flags = 0);
// A splitter (a child window of ours) that takes the existing gadgets
// `first` and `second` as its two parts, reparenting them (SetParent), and
// lays them out at both sides of its bar. The state is the bar position:
// the size of the first part. Parts never get smaller than the minimum
// sizes unless the splitter itself is too small. Dragging the bar raises
// Change.
bool CreateSplitter(int id, int parent, Box box, int first, int second, uint32_t flags = 0);
void SetSplitterMinSizes(int id, int first, int second);

// Destroys a gadget with everything inside it.
void RemoveGadget(int id);
bool GadgetExists(int id);

// Text by kind: caption of buttons, labels, check boxes and frames; content
// of edits, editors and spins (a spin's text shows its value); the title of
// a panel page; the current tab's title for a panel; the directory of a
// directory list (setting it navigates); the first cell of the current row
// of a list view (setting it does nothing).
void SetGadgetText(int id, const std::wstring& text);
std::wstring GetGadgetText(int id);
// State by kind: 0/1 for check boxes and toggle buttons; the position of a
// progress bar (clamped to its range); the value of a spin (clamped); the
// tab index of a panel; the bar position of a splitter; the current row of
// a list or directory list (as SetListCurrentRow). 0 for other kinds.
void SetGadgetState(int id, int state);
int GetGadgetState(int id);

void SetGadgetEnabled(int id, bool enabled);
bool GetGadgetEnabled(int id);
void SetGadgetShown(int id, bool shown);
bool GetGadgetShown(int id);

// Position relative to the parent and size, each kKeep to leave it
// (SetWindowPos). A splitter lays out its parts again; a panel resizes its
// pages.
void ResizeGadget(int id, int x, int y, int w, int h);
Box GetGadgetBox(int id);

// A tool tip shown when the mouse rests on the gadget (TOOLTIPS_CLASS,
// TTM_ADDTOOLW with TTF_SUBCLASS); the empty text removes it.
void SetGadgetToolTip(int id, const std::wstring& text);

// Keyboard focus (SetFocus / GetFocus): the id of the gadget that has it,
// 0 when none of ours has.
void SetActiveGadget(int id);
int GetActiveGadget();

// Fonts: a face name, a size in points and a weight (CreateFontW with the
// height from the DPI of the gadget's window, one HFONT kept per distinct
// font and DPI, WM_SETFONT).
// An empty face means the system's message font.
struct Font {
    std::wstring face;
    int points = 0;
    bool bold = false;
};
inline bool operator==(const Font& a, const Font& b) {
    return a.face == b.face && a.points == b.points && a.bold == b.bold;
}
// The font of gadgets created from now on.
void SetDefaultFont(const Font& font);
// Any thread. Redraws the gadget.
void SetGadgetFont(int id, const Font& font);
Font GetGadgetFont(int id);

// Text colours as COLORREF values (0x00BBGGRR), answered through
// WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT, or drawn by the layer for buttons.
constexpr uint32_t kColorDefault = 0xFFFFFFFFu;  // the system's text colour
constexpr uint32_t ColorRgb(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
// Any thread. Redraws the gadget, so its text need not be set again.
void SetGadgetColor(int id, uint32_t color);
uint32_t GetGadgetColor(int id);

// Any thread. The icon an image gadget shows (0 for none).
void SetGadgetImage(int id, int icon);
int GetGadgetImage(int id);

// Editor only: puts `text` before the current content (EM_SETSEL 0,0 and
// EM_REPLACESEL), scrolled to the top.
void InsertEditorTextAtTop(int id, const std::wstring& text);
// Editor only: plain-text mode (EM_SETTEXTMODE with TM_PLAINTEXT); Windows
// accepts it only while the editor is empty.
void SetEditorPlainText(int id);
// Editor only: wrap lines at the gadget's width, or scroll sideways.
void SetEditorWordWrap(int id, bool wrap);

// ---------------------------------------------------------------- lists
// For list views and directory lists. Rows and columns count from 0; a
// position of -1 or beyond the end appends. The rows of a directory list
// come from the file system: AddListRow, RemoveListRow and ClearList leave
// it alone.

bool AddListColumn(int id, int position, const std::wstring& title, int width);
bool RemoveListColumn(int id, int position);
int GetListColumnCount(int id);
std::wstring GetListColumnTitle(int id, int column);
void SetListColumnWidth(int id, int column, int width);
int GetListColumnWidth(int id, int column);

// A row with one text per column (missing ones empty, extra ones dropped),
// unticked, data 0. Answers the row's index or -1. Rows after it move down,
// and the current row stays on its row.
int AddListRow(int id, int position, const std::vector<std::wstring>& cells);
// Removing the current row leaves no current row; removing rows raises no
// event.
bool RemoveListRow(int id, int row);
void ClearList(int id);
int GetListRowCount(int id);
void SetListCell(int id, int row, int column, const std::wstring& text);
std::wstring GetListCell(int id, int row, int column);
// The row's check box (list views with kListCheckBoxes).
void SetListRowChecked(int id, int row, bool checked);
bool GetListRowChecked(int id, int row);
// 32 bits the program keeps with a row (LVITEM's lParam).
void SetListRowData(int id, int row, int32_t data);
int32_t GetListRowData(int id, int row);
// The selected row, -1 for none. A change queues a Change event (see the
// top of this file).
void SetListCurrentRow(int id, int row);
int GetListCurrentRow(int id);

// Directory lists: the entry's name ("..", a folder or file name, or a drive
// such as "C:" in the drive list) and whether it is a folder (or a drive).
std::wstring GetDirListName(int id, int row);
bool GetDirListIsFolder(int id, int row);
// Where the row leads, as a double click on it takes the list: a folder's
// directory; for ".." the parent, the drive list (the empty text) above a
// drive root or a share; for a drive its root. False for a file or a row
// that does not exist.
bool GetDirListTarget(int id, int row, std::wstring& dir);

// ---------------------------------------------------------------- menus

// Gives the window a menu bar (CreateMenu, SetMenu). Menus are the bar's
// drop-downs and their sub-menus (CreatePopupMenu); `parentMenu` 0 is the
// bar. Item texts may carry a shortcut after "\t", shown at the right.
bool CreateMenuBar(int window);
bool AddMenu(int window, int parentMenu, int menuId, const std::wstring& title);
bool AddMenuItem(int window, int menuId, int itemId, const std::wstring& text);
bool AddMenuRule(int window, int menuId);
void SetMenuItemChecked(int window, int itemId, bool checked);
bool GetMenuItemChecked(int window, int itemId);
// A disabled item is greyed and neither its choice nor its accelerator
// raises an event.
void SetMenuItemEnabled(int window, int itemId, bool enabled);
bool GetMenuItemEnabled(int window, int itemId);

// Virtual-key codes as Windows numbers them (letters are their capitals),
// and modifier bits.
constexpr int kKeyTab = 0x09;
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyUp = 0x26;
constexpr int kKeyDown = 0x28;
constexpr int kKeyInsert = 0x2D;
constexpr int kKeyDelete = 0x2E;
constexpr uint32_t kModShift = 1u << 0;
constexpr uint32_t kModCtrl = 1u << 1;
constexpr uint32_t kModAlt = 1u << 2;

// An accelerator of the window: the key with exactly these modifiers, pressed
// anywhere in the window, raises the menu event of `itemId` (an accelerator
// table applied with TranslateAcceleratorW before dispatching, in every loop
// that takes events). While an edit, editor or spin field has the focus, a
// shortcut without Ctrl or Alt (Ins, Del) is left to the field, which edits
// with it.
bool AddShortcut(int window, int key, uint32_t modifiers, int itemId);

// The keys of a dialog in `window` (IsDialogMessageW for every message of
// it): Enter clicks the push button that has the focus, else `okButton`
// (0: none), and stays in a multi-line editor; Escape clicks `cancelButton`
// or, with 0, is the close box (CloseWindow), and in an editor that is a
// child of the window the editor itself asks it to close; Alt with a
// letter that a caption underlines with "&" clicks that button or moves the
// focus past that label. Tab and Shift+Tab move the focus in every window
// of ours, in the order the gadgets were created. A disabled button is not
// clicked. OK shows as the default button (BS_DEFPUSHBUTTON).
void SetDialogKeys(int window, int okButton, int cancelButton);

// ---------------------------------------------------------------- tray

// A notification-area icon bound to `window` (Shell_NotifyIconW NIM_ADD with
// a callback message to that window). Its mouse clicks arrive as Tray
// events. The icon is kept when the notification area refuses it (NIM_ADD
// fails while Explorer is still starting at logon) and added again every
// kTrayRetryMillis until it is there, and again whenever the taskbar is
// re-created ("TaskbarCreated", let through the message filter of a
// program that runs elevated). False only without such a window or with
// the id in use.
constexpr uint32_t kTrayRetryMillis = 2000;
bool AddTrayIcon(int id, int window, int icon, const std::wstring& tip);
// Any thread (NIM_MODIFY).
void SetTrayIcon(int id, int icon);
void SetTrayToolTip(int id, const std::wstring& tip);
// NIM_DELETE.
void RemoveTrayIcon(int id);

// ---------------------------------------------------------------- events

enum class EventKind {
    None,         // nothing: the wait timed out
    Gadget,       // id = the gadget, type says what happened
    Menu,         // id = the menu item, chosen or by its accelerator
    CloseWindow,  // close box, Alt+F4, the system menu's "Close"; the window stays
    SizeWindow,   // the user changed the inner size
    MoveWindow,   // the user moved the window
    MinimizeWindow,
    MaximizeWindow,
    RestoreWindow,   // back to normal from minimised or maximised
    ActivateWindow,  // the user clicked into the window, making it the active one
    Tray,            // id = the tray icon, type = the mouse button
    Registered,      // a registered message arrived; message = its number
    // The window is now shown at another DPI (moved to another monitor, or
    // the scaling changed; WM_DPICHANGED): it has taken the rectangle
    // Windows suggests, its gadgets were scaled from the boxes the program
    // gave them and their fonts and icons made for the new DPI. The program
    // lays out what it keeps in design units.
    DpiChanged,
};

enum class EventType { None, LeftClick, RightClick, LeftDoubleClick, RightDoubleClick, Change };

struct GuiEvent {
    EventKind kind = EventKind::None;
    int window = 0;  // the top-level window concerned
    int id = 0;      // gadget, menu item or tray icon
    EventType type = EventType::None;
    uint32_t message = 0;
};

constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

// Takes the next event, waiting up to `timeoutMs` for one (PeekMessageW,
// then MsgWaitForMultipleObjects; accelerators are translated and the
// messages of every window dispatched on the way). False, with kind None,
// when the time ran out.
bool WaitEvent(uint32_t timeoutMs, GuiEvent& out);
// Takes the next event if one is pending; never waits.
bool PollEvent(GuiEvent& out);

// RegisterWindowMessageW: the same name gives the same number in every
// process of the session; never 0 on success.
uint32_t RegisterAppMessage(const std::wstring& name);
// Posts `message` (both parameters 0) to every top-level window of every
// program, hidden ones included, whose title begins with `titlePrefix`
// (EnumWindows, GetWindowTextW of at most 200 characters, PostMessageW).
// Answers the number of windows it was posted to. Our own windows receive
// it as a Registered event.
int PostToWindowsTitled(const std::wstring& titlePrefix, uint32_t message);

// ---------------------------------------------------------------- dialogs

enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// MessageBoxW with MB_OK or MB_YESNO, owned by our foreground window, or
// task-modal (MB_TASKMODAL) when none of ours is in front, so the program's
// other windows take no input while it is open.
MsgAnswer ShowMessageBox(const std::wstring& caption, const std::wstring& text, MsgButtons buttons);
// A small modal window with a prompt, an edit field holding `initial`, and
// "OK"/"Abbrechen". True with the text typed on OK; false when cancelled or
// closed.
bool InputBox(const std::wstring& title, const std::wstring& prompt, const std::wstring& initial, std::wstring& answer);
// The system folder browser (SHBrowseForFolderW with `title` as its
// instruction text, starting at `start` unless that is empty, and
// SHGetPathFromIDListW). The chosen path as the system gives it, or the
// empty text when cancelled.
std::wstring BrowseForFolder(const std::wstring& title, const std::wstring& start);

}  // namespace plat
