// The user's actions of the test hooks on Windows (gui_testing.h), carried
// out on the real controls by the messages a mouse, a keyboard, the window
// frame or the notification area would send them, so that the tests of the
// window seam run against both window systems. Actions wait in a queue; a
// message-only window takes one at a time, posted behind whatever the
// previous one caused, so each reaches the program only when it takes
// events with nothing else pending.
#include "platform/win32/gui_input_testing.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/gui_testing.h"

namespace plat::wgui {
namespace {

enum class Act {
    Click,
    ClickRow,
    DoubleClickRow,
    TickRow,
    Type,
    SelectTab,
    DragSplitter,
    Spin,
    ClickColumnTitle,
    Focus,
    ChooseMenu,
    PressKey,
    Close,
    Resize,
    Move,
    Minimize,
    Maximize,
    Restore,
    Activate,
    ClickTray,
    Registered
};

struct Action {
    Act kind = Act::Click;
    int target = 0;
    int a = 0, b = 0;
    EventType type = EventType::None;
    uint32_t value = 0;
    std::wstring text;
};

constexpr UINT kTestTakeAction = WM_APP + 20;
constexpr UINT kTestKeysUp = WM_APP + 21;

struct TestInput {
    std::deque<Action> actions;
    size_t dropped = 0;
    HWND taker = nullptr;  // the message-only window that applies them
    bool posted = false;
    POINT lastRowPoint = {0, 0};  // where the first click of a double click landed
};

TestInput& TI() {
    static TestInput t;
    return t;
}

}  // namespace

// ---------------------------------------------------------------- reach

static HWND TestRoot(HWND hwnd) { return GetAncestor(hwnd, GA_ROOT); }

bool TestReachable(const GadgetRec& g) {
    const HWND root = TestRoot(g.hwnd);
    if (!IsWindowVisible(g.hwnd) || IsIconic(root)) return false;
    for (HWND h = g.hwnd; h; h = GetParent(h)) {
        if (!IsWindowEnabled(h)) return false;
        if (h == root) break;
    }
    return true;
}

static GadgetRec* TestGadget(int id) {
    GadgetRec* g = FindGadget(id);
    return g && TestReachable(*g) ? g : nullptr;
}

static WindowRec* TestLiveWindow(int id) {
    WindowRec* w = FindWindowRec(id);
    return w && IsWindowVisible(w->hwnd) && IsWindowEnabled(w->hwnd) && !IsIconic(w->hwnd) ? w : nullptr;
}

// A click into a window that is not the active one activates it, as a
// click does (WA_CLICKACTIVE), before the click reaches the gadget.
static void TestBringToFront(HWND root) {
    const HWND before = GetForegroundWindow();
    if (before == root) return;
    {
        Quiet quiet;
        SetForegroundWindow(root);
    }
    SendMessageW(root, WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0), LPARAM(before));
}

static void TestTouch(const GadgetRec& g, bool focus) {
    TestBringToFront(TestRoot(g.hwnd));
    if (focus) SetFocus(g.hwnd);
}

// ---------------------------------------------------------------- mouse

static LPARAM TestPoint(POINT p) { return MAKELPARAM(p.x, p.y); }

// The button goes up after the press: posted first, so that a control that
// waits for it inside the press (drag detection) finds it, and otherwise
// handled after what the press raised.
static void TestPress(HWND hwnd, UINT down, POINT p) {
    const UINT up = down == WM_RBUTTONDOWN || down == WM_RBUTTONDBLCLK ? WM_RBUTTONUP : WM_LBUTTONUP;
    PostMessageW(hwnd, up, 0, TestPoint(p));
    SendMessageW(hwnd, down, down == WM_RBUTTONDOWN || down == WM_RBUTTONDBLCLK ? MK_RBUTTON : MK_LBUTTON,
                 TestPoint(p));
}

static bool TestRowRect(HWND list, int row, int part, RECT& r) {
    r = RECT{part, 0, 0, 0};
    return SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&r)) && r.right > r.left;
}

// A point on the row's label, or below the last row for -1.
static bool TestRowPoint(HWND list, int row, POINT& p) {
    RECT client;
    GetClientRect(list, &client);
    if (row >= 0) {
        SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        RECT r;
        if (!TestRowRect(list, row, LVIR_LABEL, r)) return false;
        p = POINT{r.left + 4, (r.top + r.bottom) / 2};
        return true;
    }
    const int rows = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int top = 0;
    RECT last;
    if (rows > 0 && TestRowRect(list, rows - 1, LVIR_BOUNDS, last)) top = last.bottom;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT h = {};
    if (header) GetWindowRect(header, &h);
    top = std::max(top, int(h.bottom - h.top));
    if (top + 4 >= client.bottom) return false;
    p = POINT{8, (top + client.bottom) / 2};
    return true;
}

// The middle of the row's check box, found by the list's own hit test.
static bool TestBoxPoint(HWND list, int row, POINT& p) {
    RECT bounds;
    if (!TestRowRect(list, row, LVIR_BOUNDS, bounds)) return false;
    const int y = (bounds.top + bounds.bottom) / 2;
    int first = -1, last = -1;
    for (int x = bounds.left; x < bounds.left + 60 && x < bounds.right; ++x) {
        LVHITTESTINFO hit = {};
        hit.pt = POINT{x, y};
        SendMessageW(list, LVM_HITTEST, 0, LPARAM(&hit));
        const bool onBox = hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON);
        if (onBox && first < 0) first = x;
        if (onBox) last = x;
        if (!onBox && first >= 0) break;
    }
    if (first < 0) return false;
    p = POINT{(first + last) / 2, y};
    return true;
}

static bool TestIsList(const GadgetRec& g) { return g.kind == Kind::ListView || g.kind == Kind::DirList; }

static UINT TestDownOf(EventType type) {
    switch (type) {
        case EventType::RightClick:
            return WM_RBUTTONDOWN;
        case EventType::LeftDoubleClick:
            return WM_LBUTTONDBLCLK;
        case EventType::RightDoubleClick:
            return WM_RBUTTONDBLCLK;
        default:
            return WM_LBUTTONDOWN;
    }
}

static bool TestClick(int id, EventType type) {
    GadgetRec* g = TestGadget(id);
    if (!g) return false;
    switch (g->kind) {
        case Kind::Button:
        case Kind::CheckBox:
            // BN_CLICKED comes for the left button only.
            if (type != EventType::LeftClick) return false;
            TestTouch(*g, true);
            SendMessageW(g->hwnd, BM_CLICK, 0, 0);
            return true;
        case Kind::Image:
            TestTouch(*g, false);
            TestPress(g->hwnd, TestDownOf(type), POINT{2, 2});
            return true;
        case Kind::ListView:
        case Kind::DirList: {
            POINT p;
            if (!TestRowPoint(g->hwnd, -1, p)) return false;
            TestTouch(*g, true);
            TestPress(g->hwnd, TestDownOf(type), p);
            return true;
        }
        case Kind::Edit:
        case Kind::Editor:
        case Kind::Spin:
            TestTouch(*g, true);
            return true;
        default:
            return false;
    }
}

static bool TestClickRow(int id, int row, EventType type) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g) || row < -1 || row >= int(SendMessageW(g->hwnd, LVM_GETITEMCOUNT, 0, 0))) return false;
    POINT p;
    if (!TestRowPoint(g->hwnd, row, p)) return false;
    TestTouch(*g, true);
    TI().lastRowPoint = p;
    TestPress(g->hwnd, TestDownOf(type), p);
    return true;
}

// The second press of a double click lands where the first did, whatever
// row lies there now.
static bool TestDoubleClickRow(int id, int row, EventType type) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g) || row < -1) return false;
    TestPress(g->hwnd, TestDownOf(type), TI().lastRowPoint);
    return true;
}

static bool TestTickRow(int id, int row) {
    GadgetRec* g = TestGadget(id);
    POINT p;
    if (!g || !(g->flags & kListCheckBoxes) || row < 0 || !TestBoxPoint(g->hwnd, row, p)) return false;
    TestTouch(*g, true);
    TestPress(g->hwnd, WM_LBUTTONDOWN, p);
    return true;
}

static bool TestClickColumnTitle(int id, int column) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g)) return false;
    HWND header = reinterpret_cast<HWND>(SendMessageW(g->hwnd, LVM_GETHEADER, 0, 0));
    RECT r = {};
    if (!header || !SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), LPARAM(&r))) return false;
    TestTouch(*g, false);
    TestPress(header, WM_LBUTTONDOWN, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

static bool TestSelectTab(int id, int index) {
    GadgetRec* g = TestGadget(id);
    RECT r = {};
    if (!g || g->kind != Kind::Panel || index < 0 || !SendMessageW(g->hwnd, TCM_GETITEMRECT, WPARAM(index), LPARAM(&r)))
        return false;
    TestTouch(*g, false);
    TestPress(g->hwnd, WM_LBUTTONDOWN, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

static bool TestDragSplitter(int id, int position) {
    GadgetRec* g = TestGadget(id);
    if (!g || g->kind != Kind::Splitter) return false;
    TestTouch(*g, false);
    const bool side = (g->flags & kSplitSideBySide) != 0;
    auto at = [side](int along) { return side ? MAKELPARAM(along, 2) : MAKELPARAM(2, along); };
    const int grip = g->position + 3;
    SendMessageW(g->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(grip));
    SendMessageW(g->hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(grip + position - g->position));
    SendMessageW(g->hwnd, WM_LBUTTONUP, 0, at(grip + position - g->position));
    return true;
}

// Each step a press on the upper or lower arrow of the up-down control.
static bool TestSpin(int id, int steps) {
    GadgetRec* g = TestGadget(id);
    if (!g || g->kind != Kind::Spin || !g->buddy) return false;
    TestTouch(*g, true);
    RECT r;
    GetClientRect(g->buddy, &r);
    const POINT p{r.right / 2, steps > 0 ? r.bottom / 4 : r.bottom * 3 / 4};
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) {
        SendMessageW(g->buddy, WM_LBUTTONDOWN, MK_LBUTTON, TestPoint(p));
        SendMessageW(g->buddy, WM_LBUTTONUP, 0, TestPoint(p));
    }
    return true;
}

// The user replaces the whole text at once (select all, type over it): one
// EN_CHANGE.
static bool TestType(int id, const std::wstring& text) {
    GadgetRec* g = TestGadget(id);
    if (!g || (g->kind != Kind::Edit && g->kind != Kind::Editor && g->kind != Kind::Spin)) return false;
    if (GetWindowLongPtrW(g->hwnd, GWL_STYLE) & ES_READONLY) return false;
    TestTouch(*g, true);
    SetWindowTextW(g->hwnd, text.c_str());
    return true;
}

// ---------------------------------------------------------------- menus and keys

// A drop-down's own entry in the menu that holds it.
static bool TestPopupEnabled(const WindowRec& w, int menuId) {
    auto it = w.menus.find(menuId);
    if (it == w.menus.end()) return false;
    const MenuRec& m = it->second;
    HMENU holder = w.bar;
    if (m.parentMenu) {
        auto p = w.menus.find(m.parentMenu);
        if (p == w.menus.end()) return false;
        holder = p->second.handle;
    }
    for (int i = 0, n = GetMenuItemCount(holder); i < n; ++i)
        if (GetSubMenu(holder, i) == m.handle)
            return !(GetMenuState(holder, UINT(i), MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED));
    return false;
}

// The user reaches an item through the bar: it and every drop-down above
// it are enabled; a drop-down itself is no command.
static bool TestMenuReachable(const WindowRec& w, int item) {
    auto it = w.itemMenu.find(item);
    if (it == w.itemMenu.end() || w.menus.count(item)) return false;
    HMENU holder = it->second == 0 ? w.bar : w.menus.at(it->second).handle;
    if (GetMenuState(holder, UINT(item), MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) return false;
    for (int menu = it->second; menu != 0; menu = w.menus.at(menu).parentMenu)
        if (!TestPopupEnabled(w, menu)) return false;
    return true;
}

static bool TestChooseMenu(int window, int item) {
    WindowRec* w = TestLiveWindow(window);
    if (!w || !w->bar || !TestMenuReachable(*w, item)) return false;
    TestBringToFront(w->hwnd);
    SendMessageW(w->hwnd, WM_COMMAND, MAKEWPARAM(item, 0), 0);
    return true;
}

static void TestSetModifiers(uint32_t modifiers) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    auto set = [&keys](int vk, bool down) { keys[vk] = down ? 0x80 : 0; };
    set(VK_SHIFT, modifiers & kModShift);
    set(VK_CONTROL, modifiers & kModCtrl);
    set(VK_MENU, modifiers & kModAlt);
    SetKeyboardState(keys);
}

// The key goes to the focus (or the window), through the message loop that
// translates accelerators; the modifiers are down for as long as it takes.
static bool TestPressKey(int window, int key, uint32_t modifiers) {
    WindowRec* w = TestLiveWindow(window);
    if (!w || GetForegroundWindow() != w->hwnd) return false;
    HWND focus = GetFocus();
    if (!focus || TestRoot(focus) != w->hwnd) focus = w->hwnd;
    TestSetModifiers(modifiers);
    const UINT down = (modifiers & kModAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    PostMessageW(focus, down, WPARAM(key), 1);
    PostMessageW(TI().taker, kTestKeysUp, 0, 0);
    return true;
}

// ---------------------------------------------------------------- windows

static bool TestSysCommand(int window, WPARAM command) {
    WindowRec* w = TestLiveWindow(window);
    if (!w) return false;
    SendMessageW(w->hwnd, WM_SYSCOMMAND, command, 0);
    return true;
}

static bool TestNormalSizable(const WindowRec& w, bool needSizable) {
    if (IsZoomed(w.hwnd) || IsIconic(w.hwnd)) return false;
    return !needSizable || (w.flags & kWinSizable);
}

// As a drag of the frame ends: the window's new rectangle, clamped to its
// minimum by the window's own WM_GETMINMAXINFO.
static bool TestResize(int window, int width, int height) {
    WindowRec* w = TestLiveWindow(window);
    if (!w || !TestNormalSizable(*w, true)) return false;
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(w->hwnd, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(w->hwnd, GWL_EXSTYLE)));
    SendMessageW(w->hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(w->hwnd, nullptr, 0, 0, width + frame.right - frame.left, height + frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(w->hwnd, WM_EXITSIZEMOVE, 0, 0);
    return true;
}

static bool TestMove(int window, int x, int y) {
    WindowRec* w = TestLiveWindow(window);
    if (!w || !TestNormalSizable(*w, false)) return false;
    SendMessageW(w->hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(w->hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(w->hwnd, WM_EXITSIZEMOVE, 0, 0);
    return true;
}

// The taskbar button and the restore box work on a minimised window too.
static bool TestRestore(int window) {
    WindowRec* w = FindWindowRec(window);
    if (!w || !IsWindowVisible(w->hwnd) || !IsWindowEnabled(w->hwnd)) return false;
    if (!IsIconic(w->hwnd) && !IsZoomed(w->hwnd)) return false;
    SendMessageW(w->hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(w->hwnd);
    return true;
}

static bool TestClose(int window) {
    WindowRec* w = FindWindowRec(window);
    if (!w || !IsWindowVisible(w->hwnd) || !IsWindowEnabled(w->hwnd)) return false;
    SendMessageW(w->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

// What Shell_NotifyIconW's callback brings for a press of the button.
static bool TestClickTray(int tray, EventType type) {
    auto it = Trays().find(tray);
    WindowRec* w = it == Trays().end() ? nullptr : FindWindowRec(it->second.window);
    if (!w) return false;
    const bool right = type == EventType::RightClick || type == EventType::RightDoubleClick;
    const UINT down = TestDownOf(type);
    SendMessageW(w->hwnd, kGuiTrayMessage, WPARAM(tray), LPARAM(down));
    SendMessageW(w->hwnd, kGuiTrayMessage, WPARAM(tray), LPARAM(right ? WM_RBUTTONUP : WM_LBUTTONUP));
    return true;
}

static bool TestApply(const Action& a) {
    switch (a.kind) {
        case Act::Click:
            return TestClick(a.target, a.type);
        case Act::ClickRow:
            return TestClickRow(a.target, a.a, a.type);
        case Act::DoubleClickRow:
            return TestDoubleClickRow(a.target, a.a, a.type);
        case Act::TickRow:
            return TestTickRow(a.target, a.a);
        case Act::Type:
            return TestType(a.target, a.text);
        case Act::SelectTab:
            return TestSelectTab(a.target, a.a);
        case Act::DragSplitter:
            return TestDragSplitter(a.target, a.a);
        case Act::Spin:
            return TestSpin(a.target, a.a);
        case Act::ClickColumnTitle:
            return TestClickColumnTitle(a.target, a.a);
        case Act::Focus: {
            GadgetRec* g = TestGadget(a.target);
            if (g) TestTouch(*g, true);
            return g != nullptr;
        }
        case Act::ChooseMenu:
            return TestChooseMenu(a.target, a.a);
        case Act::PressKey:
            return TestPressKey(a.target, a.a, a.value);
        case Act::Close:
            return TestClose(a.target);
        case Act::Resize:
            return TestResize(a.target, a.a, a.b);
        case Act::Move:
            return TestMove(a.target, a.a, a.b);
        case Act::Minimize:
            return TestSysCommand(a.target, SC_MINIMIZE);
        case Act::Maximize: {
            WindowRec* w = FindWindowRec(a.target);
            return w && (w->flags & kWinMaximizeBox) && !IsZoomed(w->hwnd) && TestSysCommand(a.target, SC_MAXIMIZE);
        }
        case Act::Restore:
            return TestRestore(a.target);
        case Act::Activate: {
            WindowRec* w = TestLiveWindow(a.target);
            if (w) TestBringToFront(w->hwnd);
            return w != nullptr;
        }
        case Act::ClickTray:
            return TestClickTray(a.target, a.type);
        case Act::Registered: {
            WindowRec* w = FindWindowRec(a.target);
            return w && PostMessageW(w->hwnd, a.value, 0, 0);
        }
    }
    return false;
}

// ---------------------------------------------------------------- the queue

static void TestPostNext() {
    TestInput& t = TI();
    if (t.posted || t.actions.empty() || !t.taker) return;
    t.posted = PostMessageW(t.taker, kTestTakeAction, 0, 0) != 0;
}

static LRESULT CALLBACK TestTakerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TestInput& t = TI();
    if (msg == kTestKeysUp) {
        TestSetModifiers(0);
        return 0;
    }
    if (msg != kTestTakeAction) return DefWindowProcW(hwnd, msg, wp, lp);
    t.posted = false;
    if (t.actions.empty()) return 0;
    const Action a = t.actions.front();
    t.actions.pop_front();
    try {
        if (!TestApply(a)) ++t.dropped;
    } catch (...) {
        ++t.dropped;
    }
    TestPostNext();
    return 0;
}

static bool TestEnsureTaker() {
    TestInput& t = TI();
    if (t.taker) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TestTakerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TresoroTestInput";
    RegisterClassExW(&wc);
    t.taker = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return t.taker != nullptr;
}

static void TestPush(Act kind, int target, int a = 0, int b = 0, EventType type = EventType::None, uint32_t value = 0,
                     const std::wstring& text = std::wstring()) {
    if (!TestEnsureTaker()) return;
    Action action;
    action.kind = kind;
    action.target = target;
    action.a = a;
    action.b = b;
    action.type = type;
    action.value = value;
    action.text = text;
    TI().actions.push_back(action);
    TestPostNext();
}

static EventType TestSingleOf(EventType type) {
    if (type == EventType::LeftDoubleClick) return EventType::LeftClick;
    if (type == EventType::RightDoubleClick) return EventType::RightClick;
    return type;
}

static bool TestIsDouble(EventType type) {
    return type == EventType::LeftDoubleClick || type == EventType::RightDoubleClick;
}

void ResetTestInput() {
    TI().actions.clear();
    TI().dropped = 0;
    TestSetModifiers(0);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

void UserClick(int gadget, EventType type) { TestPush(Act::Click, gadget, 0, 0, type); }
void UserClickRow(int list, int row, EventType type) {
    TestPush(Act::ClickRow, list, row, 0, TestSingleOf(type));
    if (TestIsDouble(type)) TestPush(Act::DoubleClickRow, list, row, 0, type);
}
void UserTickRow(int list, int row) { TestPush(Act::TickRow, list, row); }
void UserType(int gadget, const std::wstring& text) { TestPush(Act::Type, gadget, 0, 0, EventType::None, 0, text); }
void UserSelectTab(int panel, int index) { TestPush(Act::SelectTab, panel, index); }
void UserDragSplitter(int splitter, int position) { TestPush(Act::DragSplitter, splitter, position); }
void UserSpin(int spin, int steps) { TestPush(Act::Spin, spin, steps); }
void UserClickColumnTitle(int list, int column) { TestPush(Act::ClickColumnTitle, list, column); }
void UserFocus(int gadget) { TestPush(Act::Focus, gadget); }
void UserChooseMenu(int window, int itemId) { TestPush(Act::ChooseMenu, window, itemId); }
void UserPressKey(int window, int key, uint32_t modifiers) {
    TestPush(Act::PressKey, window, key, 0, EventType::None, modifiers);
}
void UserCloseWindow(int window) { TestPush(Act::Close, window); }
void UserResizeWindow(int window, int w, int h) { TestPush(Act::Resize, window, w, h); }
void UserMoveWindow(int window, int x, int y) { TestPush(Act::Move, window, x, y); }
void UserMinimize(int window) { TestPush(Act::Minimize, window); }
void UserMaximize(int window) { TestPush(Act::Maximize, window); }
// The real screen cannot be changed from a test.
void ChangeScreenSize(int, int) {}
void UserRestore(int window) { TestPush(Act::Restore, window); }
void UserActivate(int window) { TestPush(Act::Activate, window); }
void UserClickTray(int tray, EventType type) {
    TestPush(Act::ClickTray, tray, 0, 0, TestSingleOf(type));
    if (TestIsDouble(type)) TestPush(Act::ClickTray, tray, 0, 0, type);
}
void ArriveRegisteredMessage(int window, uint32_t message) {
    TestPush(Act::Registered, window, 0, 0, EventType::None, message);
}

size_t PendingUserActions() { return TI().actions.size(); }
size_t DroppedUserActions() { return TI().dropped; }

}  // namespace plat
