// The user's actions of the test hooks on Windows (gui_testing.h), carried
// out on the real controls by the messages a mouse, a keyboard, the window
// frame or the notification area would send them (the gadgets' presses in
// gui_pointer_testing.cpp), so that the tests of the window seam run against
// both window systems. Actions wait in a queue; a message-only window takes
// one at a time, posted behind whatever the previous one caused, so each
// reaches the program only when it takes events with nothing else pending.
#include "platform/win32/gui_input_testing.h"

#include "platform/common/user_actions.h"
#include "platform/gui_testing.h"

namespace plat::wgui {
namespace {

constexpr UINT kTestTakeAction = WM_APP + 20;
constexpr UINT kTestKeysUp = WM_APP + 21;

struct TestInput {
    std::deque<UserAction> actions;
    size_t dropped = 0;
    HWND taker = nullptr;  // the message-only window that applies them
    bool posted = false;
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

GadgetRec* TestGadget(int id) {
    GadgetRec* g = FindGadget(id);
    return g && TestReachable(*g) ? g : nullptr;
}

static WindowRec* TestLiveWindow(int id) {
    WindowRec* w = FindWindowRec(id);
    return w && IsWindowVisible(w->hwnd) && IsWindowEnabled(w->hwnd) && !IsIconic(w->hwnd) ? w : nullptr;
}

void TestBringToFront(HWND root) {
    const HWND before = GetForegroundWindow();
    if (before == root) return;
    {
        Quiet quiet;
        SetForegroundWindow(root);
    }
    SendMessageW(root, WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0), LPARAM(before));
}

void TestTouch(const GadgetRec& g, bool focus) {
    TestBringToFront(TestRoot(g.hwnd));
    if (focus) SetFocus(g.hwnd);
}

// ---------------------------------------------------------------- menus and keys

static bool TestChooseMenu(int window, int item) {
    WindowRec* w = TestLiveWindow(window);
    // The user reaches an item through the bar; a drop-down is no command.
    if (!w || !w->bar || w->menus.count(item) || !MenuItemLive(*w, item)) return false;
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
    WindowRec* w = it == Trays().end() || !it->second.shown ? nullptr : FindWindowRec(it->second.window);
    if (!w) return false;  // an icon not in the notification area takes no click
    const bool right = type == EventType::RightClick || type == EventType::RightDoubleClick;
    const UINT down = TestDownOf(type);
    SendMessageW(w->hwnd, kGuiTrayMessage, WPARAM(tray), LPARAM(down));
    SendMessageW(w->hwnd, kGuiTrayMessage, WPARAM(tray), LPARAM(right ? WM_RBUTTONUP : WM_LBUTTONUP));
    return true;
}

// What Windows sends a window that comes onto a monitor of `dpi`: the same
// outer position, the inner size scaled by the new DPI against the old.
static bool TestDpiChange(int window, int dpi) {
    WindowRec* w = FindWindowRec(window);
    if (!w || dpi <= 0) return false;
    RECT outer{}, inner{};
    GetWindowRect(w->hwnd, &outer);
    GetClientRect(w->hwnd, &inner);
    const int oldDpi = w->dpi > 0 ? w->dpi : 96;
    const int extraW = (outer.right - outer.left) - inner.right, extraH = (outer.bottom - outer.top) - inner.bottom;
    RECT suggested = outer;
    suggested.right = outer.left + MulDiv(inner.right, dpi, oldDpi) + extraW;
    suggested.bottom = outer.top + MulDiv(inner.bottom, dpi, oldDpi) + extraH;
    SendMessageW(w->hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return true;
}

// Explorer started again: its icons are gone, and "TaskbarCreated" reaches
// every top-level window.
static bool TestTaskbarCreated() {
    for (const auto& [id, tray] : Trays())
        if (WindowRec* w = FindWindowRec(tray.window); w && tray.shown) DeleteTrayIcon(w->hwnd, id);
    for (auto& [id, w] : Windows()) SendMessageW(w.hwnd, TaskbarCreatedMessage(), 0, 0);
    return true;
}

static bool TestApply(const UserAction& a) {
    switch (a.kind) {
        case ActionKind::Click:
            return TestClick(a.target, a.type);
        case ActionKind::ClickRow:
            return TestClickRow(a.target, a.a, a.type);
        case ActionKind::DoubleClickRow:
            return TestDoubleClickRow(a.target, a.a, a.type);
        case ActionKind::TickRow:
            return TestTickRow(a.target, a.a);
        case ActionKind::Type:
            return TestType(a.target, a.text);
        case ActionKind::SelectTab:
            return TestSelectTab(a.target, a.a);
        case ActionKind::DragSplitter:
            return TestDragSplitter(a.target, a.a);
        case ActionKind::Spin:
            return TestSpin(a.target, a.a);
        case ActionKind::ClickColumnTitle:
            return TestClickColumnTitle(a.target, a.a);
        case ActionKind::Focus: {
            GadgetRec* g = TestGadget(a.target);
            if (g) TestTouch(*g, true);
            return g != nullptr;
        }
        case ActionKind::ChooseMenu:
            return TestChooseMenu(a.target, a.a);
        case ActionKind::PressKey:
            return TestPressKey(a.target, a.a, a.value);
        case ActionKind::Close:
            return TestClose(a.target);
        case ActionKind::Resize:
            return TestResize(a.target, a.a, a.b);
        case ActionKind::Move:
            return TestMove(a.target, a.a, a.b);
        case ActionKind::Minimize:
            return TestSysCommand(a.target, SC_MINIMIZE);
        case ActionKind::Maximize: {
            WindowRec* w = FindWindowRec(a.target);
            return w && (w->flags & kWinMaximizeBox) && !IsZoomed(w->hwnd) && TestSysCommand(a.target, SC_MAXIMIZE);
        }
        case ActionKind::Restore:
            return TestRestore(a.target);
        case ActionKind::Activate: {
            WindowRec* w = TestLiveWindow(a.target);
            if (w) TestBringToFront(w->hwnd);
            return w != nullptr;
        }
        case ActionKind::ClickTray:
            return TestClickTray(a.target, a.type);
        case ActionKind::ScreenSize:  // a test cannot change the real screen
            return false;
        case ActionKind::DpiChange:
            return TestDpiChange(a.target, a.a);
        case ActionKind::TaskbarCreated:
            return TestTaskbarCreated();
        case ActionKind::Registered: {
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
    const UserAction a = t.actions.front();
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

void ResetTestInput() {
    TI().actions.clear();
    TI().dropped = 0;
    TestSetModifiers(0);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

void QueueUserAction(const UserAction& action) {
    if (!TestEnsureTaker()) return;
    TI().actions.push_back(action);
    TestPostNext();
}

size_t PendingUserActions() { return TI().actions.size(); }
size_t DroppedUserActions() { return TI().dropped; }

}  // namespace plat
