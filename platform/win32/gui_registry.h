// The window system's own tables on Windows: which HWND belongs to which id,
// what kind each gadget is, and the values the layer keeps beside the
// controls (fonts, colours, icons, list state). Only gui_*.cpp include this.
//
// The main thread owns every table. The calls that may come from another
// thread (image, tray icon, font, colour) read the tables under GuiLock()
// and post kGuiApplyMessage to the window, so they never touch a window of
// another thread; the main thread takes the lock whenever it adds or removes
// an entry.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/common/dirlist_model.h"
#include "platform/gui.h"

namespace plat::wgui {

enum class Kind {
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

// Private messages of our window class.
constexpr UINT kGuiApplyMessage = WM_APP + 1;  // wParam: gadget id; apply font/colour/image
constexpr UINT kGuiTrayMessage = WM_APP + 2;   // wParam: tray id; lParam: mouse message
constexpr UINT kGuiTrayApply = WM_APP + 3;     // wParam: tray id; re-read icon and tip
// NIN_BALLOONUSERCLICK of shellapi.h: the tray message's lParam when the
// user clicks the icon's balloon.
constexpr UINT kGuiBalloonClick = WM_USER + 5;

struct GadgetRec {
    HWND hwnd = nullptr;
    HWND buddy = nullptr;  // a spin's up-down control
    Kind kind = Kind::Button;
    int window = 0;
    int parent = 0;  // window or gadget id
    uint32_t flags = 0;
    int minimum = 0, maximum = 0;
    int icon = 0;
    int spinValue = 0;
    int order = 0;            // creation sequence, for the tests' listing
    int current = -1;         // list: the current row as last reported
    bool clickOnBox = false;  // list: the last NM_CLICK hit a row's check box
    Font font;
    uint32_t color = kColorDefault;
    std::wstring tip;
    std::vector<int> pages;  // panel: the page gadget of each tab
    // Directory lists: the rows the list view shows, kept by the shared
    // model; the window text is its directory.
    DirListModel dirList;
    // Splitters.
    int first = 0, second = 0, position = 0;
    int minFirst = 0, minSecond = 0;
    int dragOffset = -1;
    int length = 0;  // the size along the bar at the last layout
    // The box the program last gave, at the window's DPI then: what a
    // change of DPI scales from.
    Box given;
    int givenDpi = 0;
};

struct MenuRec {
    HMENU handle = nullptr;
    int parentMenu = 0;
};

struct WindowRec {
    HWND hwnd = nullptr;
    uint32_t flags = 0;
    int owner = 0;
    int minW = 0, minH = 0;
    HMENU bar = nullptr;
    std::map<int, MenuRec> menus;  // menu id -> drop-down
    std::map<int, int> itemMenu;   // item id -> menu id that holds it
    std::vector<ACCEL> accels;
    HACCEL accelTable = nullptr;
    WindowState lastState = WindowState::Normal;
    HWND tooltip = nullptr;
    // The client size and position last seen, so that a WM_SIZE or WM_MOVE
    // that changes nothing (Wine repeats them on showing) raises no event.
    int lastW = -1, lastH = -1, lastX = -32768, lastY = -32768;
    // SetDialogKeys: every message of the window goes through
    // IsDialogMessageW, which asks DM_GETDEFID for Enter and sends IDCANCEL
    // for Escape.
    bool dialogKeys = false;
    int okButton = 0, cancelButton = 0;
    int dpi = 96;  // the DPI the window is laid out for
};

struct TrayRec {
    int window = 0;
    int icon = 0;
    std::wstring tip;
    bool shown = false;  // NIM_ADD succeeded: the icon is in the notification area
};

// The window timer that adds the icons the notification area refused.
constexpr UINT_PTR kTrayRetryTimer = 0x7E57;

std::recursive_mutex& GuiLock();
std::map<int, WindowRec>& Windows();
std::map<int, GadgetRec>& Gadgets();
std::map<int, TrayRec>& Trays();
std::map<HWND, int>& HwndIds();  // windows and gadgets
std::deque<GuiEvent>& EventQueue();
// The numbers RegisterAppMessage gave out: only these become Registered
// events, not the system's own registered messages ("TaskbarButtonCreated").
bool IsAppMessage(UINT msg);

WindowRec* FindWindowRec(int id);
GadgetRec* FindGadget(int id);
// Our id for a window or gadget handle, 0 when it is not ours.
int IdOfHwnd(HWND hwnd);
HWND HwndOf(int id);  // a window or a gadget
bool IdInUse(int id);

void PushEvent(const GuiEvent& e);
// Takes the window's current client size and place as the last seen, after
// the program itself changed them.
void SyncWindowGeometry(WindowRec& w);

// While one of these lives, notifications caused by our own calls raise no
// events (EN_CHANGE from WM_SETTEXT, WM_SIZE from SetWindowPos ...).
struct Quiet {
    Quiet();
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};
bool IsQuiet();

// The message Explorer broadcasts when it has made the taskbar anew.
UINT TaskbarCreatedMessage();
// Registers the window classes and the common controls at first use.
bool EnsureGuiInit();
extern const wchar_t kTopClass[];
extern const wchar_t kContainerClass[];
extern const wchar_t kSplitterClass[];

// A font for a window of this DPI.
HFONT FontHandle(const Font& font, int dpi);
const Font& DefaultFont();
HICON IconHandle(int icon, int size);

// Adds a gadget created by CreateWindowExW to the tables and applies the
// default font; false (and the window destroyed) when hwnd is null.
bool RegisterGadget(int id, HWND hwnd, Kind kind, int parent, uint32_t flags);
// The HWND that is the parent for new children of `parent`, and the
// top-level window id it belongs to.
bool ParentHandle(int parent, HWND& hwnd, int& window);
void DestroyGadgetTree(int id);

// Message handling shared by top-level windows and containers.
bool HandleCommand(HWND hwnd, WPARAM wp, LPARAM lp);
bool HandleNotify(HWND hwnd, LPARAM lp, LRESULT& result);
bool HandleCtlColor(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
void ApplyGadgetCells(int id);
// A menu item chosen or its accelerator pressed in `window`.
bool MenuCommand(int window, int item);
// The item and every drop-down above it are enabled: the user can choose it.
bool MenuItemLive(WindowRec& w, int itemId);
void ApplyTray(int id);
// Adds every icon of the window that is not in the notification area (all
// of them, after "TaskbarCreated": Explorer has none then); a refusal arms
// the retry timer, which ends once every icon is there.
void AddMissingTrays(int window, bool taskbarCreated);
// Takes icon `id` of `hwnd` out of the notification area.
void DeleteTrayIcon(HWND hwnd, int id);

// Display scaling (gui_dpi.cpp): the DPI of a window (GetDpiForWindow where
// Windows has it), of the system, of one of our windows by id; the box the
// program gave a gadget, kept for a change of DPI; the window's icons at its
// DPI; WM_DPICHANGED.
int WindowDpiOf(HWND hwnd);
int SystemDpi();
int WindowDpiById(int window);
void RememberGivenBox(GadgetRec& g);
void SetWindowIcons(const WindowRec& w);
void OnDpiChanged(int window, int dpi, const RECT& suggested);

// Lists and directory lists.
// Lists the directory of the window text again, with no current row.
void FillDirList(int id);
void DirListColumnClick(int id, int column);
// The double click: enters the row selected before it, if any.
void DirListDoubleClick(int id);
void ListSyncCurrent(int id, bool report);
HWND MakeListView(int id, int parent, Box box, uint32_t flags);
bool ListAddColumn(HWND hwnd, int position, const std::wstring& title, int width);
void ListSetText(HWND hwnd, int row, int column, const std::wstring& text);
// Shows the model's rows again, the current row kept.
void DirListRefill(GadgetRec& g);
void LayoutSplitter(GadgetRec& g);
void LayoutPanel(GadgetRec& g);

}  // namespace plat::wgui
