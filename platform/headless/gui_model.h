// The in-memory window system behind gui.h on the host build. One mutex
// guards all of it, so the animation and blink threads may change pictures,
// fonts and colours while the main thread works. Every public function
// takes the lock on entry; the helpers here expect it taken.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/common/dirlist_model.h"
#include "platform/common/user_actions.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace plat::headless {

// The model's screen at start and the sizes of its decorations, in pixels.
constexpr int kScreenW = 1920;
constexpr int kScreenH = 1080;
constexpr int kTaskbarH = 40;
constexpr int kCaptionH = 23;
constexpr int kFrameBorder = 8;
constexpr int kSplitterBar = 7;

struct ListColumn {
    std::wstring title;
    int width = 0;
};

struct ListRow {
    std::vector<std::wstring> cells;  // one per column
    bool checked = false;
    int32_t data = 0;
};

struct Gadget {
    GadgetKind kind = GadgetKind::None;
    int id = 0;
    int window = 0;
    int parent = 0;
    int order = 0;  // creation sequence, for listing a window's gadgets
    Box box;
    uint32_t flags = 0;
    std::wstring text;
    int state = 0;
    int minimum = 0, maximum = 0;
    bool enabled = true;
    bool shown = true;
    Font font;
    uint32_t color = kColorDefault;
    int icon = 0;
    std::wstring toolTip;
    bool plainText = false;
    bool wordWrap = false;
    // Lists.
    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;
    int current = -1;
    // Directory lists: what the rows show, kept by the shared model.
    DirListModel dirList;
    // Panels: the page gadgets in tab order.
    std::vector<int> pages;
    // Splitters.
    int first = 0, second = 0;
    int minFirst = 0, minSecond = 0;
    // The box the program last gave, at the window's DPI then.
    Box given;
    int givenDpi = 0;
};

struct MenuEntry {
    int menu = 0;
    int id = 0;
    std::wstring text;
    bool isMenu = false;
    bool rule = false;
    bool checked = false;
    bool enabled = true;
};

struct Shortcut {
    int key = 0;
    uint32_t modifiers = 0;
    int item = 0;
};

struct Window {
    int id = 0;
    std::wstring title;
    Box box;        // current outer position and inner size
    Box normalBox;  // geometry to return to from minimised or maximised
    uint32_t flags = 0;
    int owner = 0;
    WindowState state = WindowState::Normal;
    bool maximizedBeforeMinimize = false;
    bool shown = true;
    bool enabled = true;
    int minW = 0, minH = 0;
    bool hasMenuBar = false;
    std::vector<MenuEntry> menu;
    std::vector<Shortcut> shortcuts;
    // SetDialogKeys: Enter, Escape and Alt+letter as in a dialog.
    bool dialogKeys = false;
    int okButton = 0, cancelButton = 0;
    int dpi = 96;
};

struct TrayIcon {
    int window = 0;
    int icon = 0;
    std::wstring tip;
    bool shown = false;    // in the notification area
    uint32_t lastTry = 0;  // tick of the last add
};

struct Model {
    std::mutex lock;
    std::map<int, Window> windows;
    std::map<int, Gadget> gadgets;
    std::map<int, TrayIcon> trays;
    std::deque<GuiEvent> events;
    std::deque<UserAction> actions;
    std::map<std::wstring, uint32_t> messages;
    Font defaultFont;
    int foreground = 0;
    int focus = 0;
    int nextOrder = 0;
    std::deque<MsgAnswer> boxAnswers;
    std::deque<std::pair<bool, std::wstring>> inputAnswers;
    std::deque<std::wstring> folderAnswers;
    std::vector<ShownDialog> shown;
    size_t dropped = 0;
    uint64_t idleWaits = 0;
    int screenW = kScreenW, screenH = kScreenH;
    int trayAddFailures = 0;  // adds the notification area still refuses
};

Model& M();
using Guard = std::lock_guard<std::mutex>;

Window* FindWin(int id);
Gadget* FindGadget(int id);
Gadget* FindGadgetOfKind(int id, GadgetKind kind);
// A list view or a directory list.
Gadget* FindList(int id);
bool IdInUse(int id);

// Replaces each kKeep of `change` by the value in `box`.
Box KeepMerge(const Box& box, int x, int y, int w, int h);

// Pushes an event to the queue the program reads.
void Queue(EventKind kind, int window, int id, EventType type = EventType::None, uint32_t message = 0);
// Drops queued events that concern a window or gadget that is gone.
void PurgeWindowEvents(int window);
void PurgeGadgetEvents(int gadget);

// Destroys a gadget and everything inside it.
void EraseGadget(int id);
// Lays out the two parts of a splitter after its size or bar changed.
void LayoutSplitter(Gadget& splitter);
// Makes every page of a panel cover the panel.
void LayoutPanelPages(Gadget& panel);
bool Reachable(const Gadget& g);
bool WindowTakesInput(const Window& w);
// Minimises, maximises or restores, keeping the geometry to return to.
void EnterWindowState(Window& w, WindowState state);
// Outer position and inner size of a maximised window on the model's screen.
Box MaximizedBox();

// Lists a directory list's directory again (the gadget text), with no
// current row.
void FillDirList(Gadget& list);
// Shows the model's rows: every cell of every column, the current row kept.
void ShowDirList(Gadget& list);

// What SetGadgetText does, for the user's typing as well.
void AssignText(Gadget& g, const std::wstring& text);

// Sets a list's current row; queues Change when it changes.
void ChangeCurrentRow(Gadget& list, int row);

// The menu entry (item or menu) with this id, and whether choosing it
// raises a command: it and every menu above it are enabled.
const MenuEntry* FindMenuEntry(const Window& w, int id);
bool MenuEntryLive(const Window& w, const MenuEntry& entry);

// Adds the icon to the notification area (NIM_ADD), or fails while the
// test says so; the timer's retry of every icon that is not there yet.
bool TryTrayAdd(TrayIcon& tray);
void RetryTrayAdds();

// Display scaling (gui_dpi.cpp): the DPI a new window gets, the box the
// program gives a gadget kept for a change of DPI, the window moved into
// the work area, WM_DPICHANGED.
int NewWindowDpi();
void RememberGiven(Gadget& g);
void KeepOnScreen(Window& w);
bool ChangeDpi(int window, int dpi);

// A key pressed in the active window (platform/headless/gui_keys.cpp).
bool PressKey(int window, int key, uint32_t modifiers);

// Applies one user action; false when it found nothing it could reach.
bool ApplyAction(const UserAction& action);

}  // namespace plat::headless
