// The user's actions of the test hooks on Windows (gui_testing.h), carried
// out on the real controls by the messages a mouse, a keyboard, the window
// frame or the notification area would send them (the gadgets' presses in
// gui_pointer_testing.cpp), so that the tests of the window seam run against
// both window systems. Actions wait in a queue; a message-only window takes
// one at a time, posted behind whatever the previous one caused, so each
// reaches the program only when it takes events with nothing else pending.
#include "platform/win32/gui_input_testing.h"

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
