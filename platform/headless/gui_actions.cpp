// What a user's action does to the headless model and which events it
// raises, in the order Windows reports them: a click on a list row first
// changes the selection (LVN_ITEMCHANGED) and then reports the click
// (NM_CLICK); a tick in a row's box likewise changes, then clicks.
#include <algorithm>

#include "platform/headless/gui_model.h"

namespace plat::headless {

static void ActionsQueueGadget(const Gadget& g, EventType type) { Queue(EventKind::Gadget, g.window, g.id, type); }

static Gadget* ActionsReachable(int id) {
    Gadget* g = FindGadget(id);
    return g && Reachable(*g) ? g : nullptr;
}

// A click into a window that is not the active one activates it first
// (WM_ACTIVATE before the click reaches the gadget).
static void ActionsBringToFront(int window) {
    if (M().foreground == window) return;
    M().foreground = window;
    Queue(EventKind::ActivateWindow, window, 0);
}

// The user's input reaches the gadget: its window comes to the front and,
// for gadgets that take the keyboard, the focus moves there.
static void ActionsTouch(const Gadget& g, bool focus) {
    ActionsBringToFront(g.window);
    if (focus) M().focus = g.id;
}

static Window* ActionsLiveWindow(int id) {
    Window* w = FindWin(id);
    return w && WindowTakesInput(*w) ? w : nullptr;
}

static bool ActionsClick(int id, EventType type) {
    Gadget* g = ActionsReachable(id);
    if (!g) return false;
    switch (g->kind) {
        case GadgetKind::Button:
        case GadgetKind::CheckBox:
            // BN_CLICKED comes for the left button only.
            if (type != EventType::LeftClick) return false;
            ActionsTouch(*g, true);
            if (g->kind == GadgetKind::CheckBox || (g->flags & kButtonToggle)) g->state = !g->state;
            ActionsQueueGadget(*g, type);
            return true;
        case GadgetKind::Image:
            ActionsTouch(*g, false);
            ActionsQueueGadget(*g, type);
            return true;
        case GadgetKind::ListView:
        case GadgetKind::DirList:
            ActionsTouch(*g, true);
            if (type == EventType::LeftClick || type == EventType::RightClick) ChangeCurrentRow(*g, -1);
            ActionsQueueGadget(*g, type);
            return true;
        case GadgetKind::Edit:
        case GadgetKind::Editor:
        case GadgetKind::Spin:
            ActionsTouch(*g, true);
            return true;
        default:
            return false;
    }
}

static bool ActionsClickRow(int id, int row, EventType type) {
    Gadget* g = ActionsReachable(id);
    if (!g || (g->kind != GadgetKind::ListView && g->kind != GadgetKind::DirList)) return false;
    if (row < -1 || row >= int(g->rows.size())) return false;
    ActionsTouch(*g, true);
    ChangeCurrentRow(*g, row);
    ActionsQueueGadget(*g, type);
    return true;
}

// The second click of a double click selects nothing; a directory list
// enters the folder the first click selected, before the program hears of
// it. If the program filled the list anew after the first click, nothing is
// selected and the second click only reports itself, wherever it lands: the
// row under the pointer may be another entry by now, or none.
static bool ActionsDoubleClickRow(int id, int row, EventType type) {
    Gadget* g = ActionsReachable(id);
    if (!g || (g->kind != GadgetKind::ListView && g->kind != GadgetKind::DirList)) return false;
    if (row < -1) return false;
    if (g->kind == GadgetKind::DirList && type == EventType::LeftDoubleClick &&
        DirListDoubleClick(g->dirList, g->current)) {
        g->text = g->dirList.dir;
        g->current = -1;
        ShowDirList(*g);
    }
    ActionsQueueGadget(*g, type);
    return true;
}

static bool ActionsTickRow(int id, int row) {
    Gadget* g = ActionsReachable(id);
    if (!g || !(g->flags & kListCheckBoxes) || row < 0 || row >= int(g->rows.size())) return false;
    ActionsTouch(*g, true);
    g->rows[row].checked = !g->rows[row].checked;
    ActionsQueueGadget(*g, EventType::Change);
    ActionsQueueGadget(*g, EventType::LeftClick);
    return true;
}

static bool ActionsType(int id, const std::wstring& text) {
    Gadget* g = ActionsReachable(id);
    if (!g) return false;
    if (g->kind != GadgetKind::Edit && g->kind != GadgetKind::Editor && g->kind != GadgetKind::Spin) return false;
    if (g->flags & kReadOnly) return false;
    ActionsTouch(*g, true);
    AssignText(*g, text);
    ActionsQueueGadget(*g, EventType::Change);
    return true;
}

static bool ActionsSelectTab(int id, int index) {
    Gadget* g = ActionsReachable(id);
    if (!g || g->kind != GadgetKind::Panel || index < 0 || index >= int(g->pages.size())) return false;
    ActionsTouch(*g, true);
    if (g->state == index) return true;  // no TCN_SELCHANGE for the tab already shown
    g->state = index;
    ActionsQueueGadget(*g, EventType::Change);
    return true;
}

static bool ActionsDragSplitter(int id, int position) {
    Gadget* g = ActionsReachable(id);
    if (!g || g->kind != GadgetKind::Splitter) return false;
    ActionsTouch(*g, false);
    const int old = g->state;
    g->state = position;
    LayoutSplitter(*g);
    if (g->state != old) ActionsQueueGadget(*g, EventType::Change);
    return true;
}

static bool ActionsSpin(int id, int steps) {
    Gadget* g = ActionsReachable(id);
    if (!g || g->kind != GadgetKind::Spin) return false;
    ActionsTouch(*g, true);
    const long long wanted = static_cast<long long>(g->state) + steps;
    const int value = int(std::clamp<long long>(wanted, g->minimum, g->maximum));
    if (value == g->state) return true;  // the arrow stops at the end of the range
    g->state = value;
    g->text = std::to_wstring(value);
    ActionsQueueGadget(*g, EventType::Change);
    return true;
}

static bool ActionsClickColumnTitle(int id, int column) {
    Gadget* g = ActionsReachable(id);
    if (!g || (g->kind != GadgetKind::ListView && g->kind != GadgetKind::DirList)) return false;
    if (column < 0 || column >= int(g->columns.size())) return false;
    ActionsTouch(*g, false);
    if (g->kind == GadgetKind::DirList && DirListSortByColumn(g->dirList, column, g->current)) ShowDirList(*g);
    return true;
}

static bool ActionsChooseMenu(int window, int item) {
    Window* w = ActionsLiveWindow(window);
    if (!w || !w->hasMenuBar) return false;
    const MenuEntry* e = FindMenuEntry(*w, item);
    if (!e || e->isMenu || e->rule || !MenuEntryLive(*w, *e)) return false;
    ActionsBringToFront(window);
    Queue(EventKind::Menu, window, item);
    return true;
}

static bool ActionsResize(int window, int width, int height) {
    Window* w = ActionsLiveWindow(window);
    if (!w || !(w->flags & kWinSizable) || w->state != WindowState::Normal) return false;
    const Box wanted{w->box.x, w->box.y, std::max(width, w->minW), std::max(height, w->minH)};
    if (wanted.w == w->box.w && wanted.h == w->box.h) return true;
    w->box = wanted;
    w->normalBox = wanted;
    Queue(EventKind::SizeWindow, window, 0);
    return true;
}

static bool ActionsMove(int window, int x, int y) {
    Window* w = ActionsLiveWindow(window);
    if (!w || w->state != WindowState::Normal) return false;
    if (w->box.x == x && w->box.y == y) return true;
    w->box.x = x;
    w->box.y = y;
    w->normalBox = w->box;
    Queue(EventKind::MoveWindow, window, 0);
    return true;
}

static bool ActionsMinimize(int window) {
    Window* w = ActionsLiveWindow(window);
    if (!w) return false;
    EnterWindowState(*w, WindowState::Minimized);
    Queue(EventKind::MinimizeWindow, window, 0);
    return true;
}

// Windows sends one WM_SIZE for the new state, which carries the new size:
// the program hears of it as the state's event alone, never a SizeWindow.
static bool ActionsMaximize(int window) {
    Window* w = ActionsLiveWindow(window);
    if (!w || !(w->flags & kWinMaximizeBox) || w->state == WindowState::Maximized) return false;
    EnterWindowState(*w, WindowState::Maximized);
    Queue(EventKind::MaximizeWindow, window, 0);
    return true;
}

// From the taskbar a minimised window returns to the state it left.
static bool ActionsRestore(int window) {
    Window* w = FindWin(window);
    if (!w || !w->shown || !w->enabled || w->state == WindowState::Normal) return false;
    const bool toMaximized = w->state == WindowState::Minimized && w->maximizedBeforeMinimize;
    EnterWindowState(*w, toMaximized ? WindowState::Maximized : WindowState::Normal);
    M().foreground = window;
    Queue(toMaximized ? EventKind::MaximizeWindow : EventKind::RestoreWindow, window, 0);
    return true;
}

// Another resolution, or the taskbar moved: Windows gives every maximised
// window the new area (WM_SIZE with SIZE_MAXIMIZED); the state stays.
static bool ActionsScreenSize(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    M().screenW = width;
    M().screenH = height;
    for (auto& [id, w] : M().windows) {
        if (w.state != WindowState::Maximized) continue;
        const Box old = w.box;
        w.box = MaximizedBox();
        if (old.w != w.box.w || old.h != w.box.h) Queue(EventKind::SizeWindow, id, 0);
    }
    return true;
}

static bool ActionsActivate(int window) {
    if (!ActionsLiveWindow(window)) return false;
    ActionsBringToFront(window);  // nothing happens for the active one
    return true;
}

bool ApplyAction(const UserAction& a) {
    switch (a.kind) {
        case ActionKind::Click:
            return ActionsClick(a.target, a.type);
        case ActionKind::ClickRow:
            return ActionsClickRow(a.target, a.a, a.type);
        case ActionKind::DoubleClickRow:
            return ActionsDoubleClickRow(a.target, a.a, a.type);
        case ActionKind::TickRow:
            return ActionsTickRow(a.target, a.a);
        case ActionKind::Type:
            return ActionsType(a.target, a.text);
        case ActionKind::SelectTab:
            return ActionsSelectTab(a.target, a.a);
        case ActionKind::DragSplitter:
            return ActionsDragSplitter(a.target, a.a);
        case ActionKind::Spin:
            return ActionsSpin(a.target, a.a);
        case ActionKind::ClickColumnTitle:
            return ActionsClickColumnTitle(a.target, a.a);
        case ActionKind::Focus: {
            const Gadget* g = ActionsReachable(a.target);
            if (!g) return false;
            ActionsTouch(*g, true);
            return true;
        }
        case ActionKind::ChooseMenu:
            return ActionsChooseMenu(a.target, a.a);
        case ActionKind::PressKey:
            return PressKey(a.target, a.a, a.value);
        case ActionKind::Close: {
            // Also from the taskbar button of a minimised window.
            const Window* w = FindWin(a.target);
            if (!w || !w->shown || !w->enabled) return false;
            Queue(EventKind::CloseWindow, a.target, 0);
            return true;
        }
        case ActionKind::Resize:
            return ActionsResize(a.target, a.a, a.b);
        case ActionKind::Move:
            return ActionsMove(a.target, a.a, a.b);
        case ActionKind::Minimize:
            return ActionsMinimize(a.target);
        case ActionKind::Maximize:
            return ActionsMaximize(a.target);
        case ActionKind::Restore:
            return ActionsRestore(a.target);
        case ActionKind::Activate:
            return ActionsActivate(a.target);
        case ActionKind::ScreenSize:
            return ActionsScreenSize(a.a, a.b);
        case ActionKind::ClickTray: {
            auto it = M().trays.find(a.target);
            if (it == M().trays.end() || !it->second.shown) return false;
            Queue(EventKind::Tray, it->second.window, a.target, a.type);
            return true;
        }
        case ActionKind::DpiChange:
            return ChangeDpi(a.target, a.a);
        case ActionKind::TaskbarCreated:
            for (auto& [id, tray] : M().trays) tray.shown = false;
            for (auto& [id, tray] : M().trays) TryTrayAdd(tray);
            return true;
        case ActionKind::Registered: {
            if (!FindWin(a.target)) return false;
            Queue(EventKind::Registered, a.target, 0, EventType::None, a.value);
            return true;
        }
    }
    return false;
}

}  // namespace plat::headless
