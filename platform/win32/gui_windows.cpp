// Top-level windows on Windows: the tables of ids, the window classes and
// the window procedure that turns what the user does into events.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>
#include <objbase.h>

namespace plat::wgui {

const wchar_t kTopClass[] = L"TresoroWindow";
const wchar_t kContainerClass[] = L"TresoroContainer";
const wchar_t kSplitterClass[] = L"TresoroSplitter";

std::recursive_mutex& GuiLock() {
    static std::recursive_mutex m;
    return m;
}
std::map<int, WindowRec>& Windows() {
    static std::map<int, WindowRec> m;
    return m;
}
std::map<int, GadgetRec>& Gadgets() {
    static std::map<int, GadgetRec> m;
    return m;
}
std::map<int, TrayRec>& Trays() {
    static std::map<int, TrayRec> m;
    return m;
}
std::map<HWND, int>& HwndIds() {
    static std::map<HWND, int> m;
    return m;
}
std::deque<GuiEvent>& EventQueue() {
    static std::deque<GuiEvent> q;
    return q;
}

static int g_quiet = 0;
Quiet::Quiet() { ++g_quiet; }
Quiet::~Quiet() { --g_quiet; }
bool IsQuiet() { return g_quiet > 0; }

WindowRec* FindWindowRec(int id) {
    auto it = Windows().find(id);
    return it == Windows().end() ? nullptr : &it->second;
}
GadgetRec* FindGadget(int id) {
    auto it = Gadgets().find(id);
    return it == Gadgets().end() ? nullptr : &it->second;
}
int IdOfHwnd(HWND hwnd) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    auto it = HwndIds().find(hwnd);
    return it == HwndIds().end() ? 0 : it->second;
}
HWND HwndOf(int id) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    if (WindowRec* w = FindWindowRec(id)) return w->hwnd;
    if (GadgetRec* g = FindGadget(id)) return g->hwnd;
    return nullptr;
}
bool IdInUse(int id) { return id <= 0 || FindWindowRec(id) || FindGadget(id); }
void PushEvent(const GuiEvent& e) { EventQueue().push_back(e); }

static UINT g_taskbarCreated = 0;
UINT TaskbarCreatedMessage() { return g_taskbarCreated; }

// Top-level: the kind of event a WM_SIZE means depends on where the window
// came from, so each window keeps its last state.
static void WinOnSize(int id, WindowRec& w, WPARAM wp, LPARAM lp) {
    const bool sameSize = LOWORD(lp) == w.lastW && HIWORD(lp) == w.lastH;
    if (wp != SIZE_MINIMIZED) {
        w.lastW = LOWORD(lp);
        w.lastH = HIWORD(lp);
    }
    WindowState now = wp == SIZE_MINIMIZED   ? WindowState::Minimized
                      : wp == SIZE_MAXIMIZED ? WindowState::Maximized
                                             : WindowState::Normal;
    if (wp != SIZE_RESTORED && wp != SIZE_MINIMIZED && wp != SIZE_MAXIMIZED) return;
    // A hidden window is "minimised" by bookkeeping only (SetWindowState
    // keeps it hidden); moving or sizing it must not make it normal again.
    if (wp == SIZE_RESTORED && w.lastState == WindowState::Minimized && !IsWindowVisible(w.hwnd)) return;
    const WindowState before = w.lastState;
    w.lastState = now;
    if (IsQuiet()) return;
    GuiEvent e;
    e.window = id;
    if (now == WindowState::Minimized)
        e.kind = before == now ? EventKind::None : EventKind::MinimizeWindow;
    else if (now == WindowState::Maximized)
        e.kind = before == now ? EventKind::SizeWindow : EventKind::MaximizeWindow;
    else if (before != WindowState::Normal)
        e.kind = EventKind::RestoreWindow;
    else
        e.kind = sameSize ? EventKind::None : EventKind::SizeWindow;
    if (e.kind != EventKind::None) PushEvent(e);
}

void SyncWindowGeometry(WindowRec& w) {
    if (IsIconic(w.hwnd)) return;
    RECT client;
    GetClientRect(w.hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(w.hwnd, &origin);
    w.lastW = client.right;
    w.lastH = client.bottom;
    w.lastX = origin.x;
    w.lastY = origin.y;
}

// The frame around an inner size (client plus menu bar): AdjustWindowRectEx
// without the menu, since the inner size already holds it.
static SIZE WinFrameExtra(HWND hwnd) {
    RECT r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// What IsDialogMessageW asks of a dialog of ours. DM_GETDEFID: the push
// button with the focus is the default while it has it, as in any dialog,
// else the dialog's OK. IDCANCEL (Escape) clicks the cancel button, so that a
// disabled one does nothing, or is the close box; IDOK without a default
// (Enter where no button is the default) does nothing.
static bool WinDialogMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    WindowRec* w = FindWindowRec(IdOfHwnd(hwnd));
    if (!w || !w->dialogKeys) return false;
    if (msg == DM_GETDEFID) {
        const GadgetRec* focus = FindGadget(IdOfHwnd(GetFocus()));
        const bool pushButton =
            focus && focus->window == IdOfHwnd(hwnd) && focus->kind == Kind::Button && !(focus->flags & kButtonToggle);
        const int id = pushButton ? IdOfHwnd(GetFocus()) : w->okButton;
        result = id ? MAKELRESULT(id, DC_HASDEFID) : 0;
        return true;
    }
    // The mnemonic of a label: IsDialogMessageW puts the focus on the label,
    // then asks for the next control; a window that is not a dialog has to
    // answer that itself (DefDlgProc would).
    if (msg == WM_NEXTDLGCTL) {
        HWND next = LOWORD(lp) ? HWND(wp) : GetNextDlgTabItem(hwnd, GetFocus(), wp != 0);
        if (next) SetFocus(next);
        result = 0;
        return true;
    }
    if (msg != WM_COMMAND || lp != 0 || HIWORD(wp) != 0 || (LOWORD(wp) != IDCANCEL && LOWORD(wp) != IDOK)) return false;
    if (LOWORD(wp) == IDCANCEL) {
        if (w->cancelButton == 0) {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        } else if (HWND cancel = HwndOf(w->cancelButton)) {
            SendMessageW(cancel, BM_CLICK, 0, 0);
        }
    }
    result = 0;
    return true;
}

static LRESULT WinProcInner(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (WinDialogMessage(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_COMMAND:
            if (HandleCommand(hwnd, wp, lp)) return 0;
            break;
        case WM_NOTIFY:
            if (HandleNotify(hwnd, lp, result)) return result;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (HandleCtlColor(msg, wp, lp, result)) return result;
            break;
        case kGuiApplyMessage:
            ApplyGadgetCells(int(wp));
            return 0;
        case kGuiTrayApply:
            ApplyTray(int(wp));
            return 0;
        default:
            break;
    }
    const int id = IdOfHwnd(hwnd);
    WindowRec* w = FindWindowRec(id);
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_CLOSE: {
            // The program decides; the window stays until RemoveWindow.
            GuiEvent e;
            e.kind = EventKind::CloseWindow;
            e.window = id;
            PushEvent(e);
            return 0;
        }
        case WM_SIZE:
            WinOnSize(id, *w, wp, lp);
            return 0;
        case WM_MOVE: {
            const int mx = short(LOWORD(lp)), my = short(HIWORD(lp));
            const bool same = mx == w->lastX && my == w->lastY;
            if (IsIconic(hwnd)) return 0;
            w->lastX = mx;
            w->lastY = my;
            // Maximising and restoring move the window before the WM_SIZE
            // that reports the new state: that move is the state's.
            const bool stateMove = (IsZoomed(hwnd) ? WindowState::Maximized : WindowState::Normal) != w->lastState;
            if (!IsQuiet() && !same && !stateMove) {
                GuiEvent e;
                e.kind = EventKind::MoveWindow;
                e.window = id;
                PushEvent(e);
            }
            return 0;
        }
        case WM_ACTIVATE:
            // Only a click: the activation Windows hands back to the owner
            // when one of our boxes closes is not the user's doing.
            if (LOWORD(wp) == WA_CLICKACTIVE && !IsQuiet()) {
                GuiEvent e;
                e.kind = EventKind::ActivateWindow;
                e.window = id;
                PushEvent(e);
            }
            break;
        case WM_TIMER:
            if (wp != kTrayRetryTimer) break;
            AddMissingTrays(id, false);
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(id, LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_GETMINMAXINFO: {
            const SIZE extra = WinFrameExtra(hwnd);
            auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
            if (w->minW > 0) mm->ptMinTrackSize.x = w->minW + extra.cx;
            if (w->minH > 0) mm->ptMinTrackSize.y = w->minH + extra.cy;
            return 0;
        }
        case kGuiTrayMessage: {
            GuiEvent e;
            e.kind = EventKind::Tray;
            e.window = id;
            e.id = int(wp);
            // A double click ends with a second button-up, which is not a
            // click of its own.
            static bool afterDouble = false;
            const bool swallow = afterDouble && (UINT(lp) == WM_LBUTTONUP || UINT(lp) == WM_RBUTTONUP);
            if (UINT(lp) == WM_LBUTTONUP || UINT(lp) == WM_RBUTTONUP) afterDouble = false;
            if (UINT(lp) == WM_LBUTTONDBLCLK || UINT(lp) == WM_RBUTTONDBLCLK) afterDouble = true;
            if (swallow) return 0;
            switch (UINT(lp)) {
                case WM_LBUTTONUP:
                    e.type = EventType::LeftClick;
                    break;
                case WM_RBUTTONUP:
                    e.type = EventType::RightClick;
                    break;
                case WM_LBUTTONDBLCLK:
                    e.type = EventType::LeftDoubleClick;
                    break;
                case WM_RBUTTONDBLCLK:
                    e.type = EventType::RightDoubleClick;
                    break;
                case kGuiBalloonClick:
                    e.type = EventType::BalloonClick;
                    break;
                default:
                    return 0;
            }
            PushEvent(e);
            return 0;
        }
        default:
            break;
    }
    if (msg >= 0xC000 && msg <= 0xFFFF) {
        if (msg == g_taskbarCreated) {
            AddMissingTrays(id, true);
            return 0;
        }
        if (!IsAppMessage(msg)) return DefWindowProcW(hwnd, msg, wp, lp);
        GuiEvent e;
        e.kind = EventKind::Registered;
        e.window = id;
        e.message = msg;
        PushEvent(e);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// No exception may cross into user32; a failure inside is dropped.
static LRESULT CALLBACK WinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return WinProcInner(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

// Containers and panel pages paint their optional raised edge and pass the
// notifications of their children on like a window.
static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            GadgetRec* g = FindGadget(IdOfHwnd(hwnd));
            if (g && (g->flags & kContainerRaised) && g->kind == Kind::Container) {
                RECT r;
                GetClientRect(hwnd, &r);
                DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        // A rich edit in dialog mode answers Escape with WM_CLOSE to its
        // parent: a container is not to be destroyed by it (DefWindowProc
        // would), and a log view's Escape closes nothing.
        if (msg == WM_CLOSE) return 0;
        if (msg == WM_SIZE || msg == WM_MOVE || msg == WM_ACTIVATE || msg == WM_GETMINMAXINFO ||
            msg == kGuiTrayMessage || msg >= 0xC000)
            return DefWindowProcW(hwnd, msg, wp, lp);
        return WinProcInner(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

bool EnsureGuiInit() {
    static bool done = false;
    static bool ok = false;
    if (done) return ok;
    done = true;
    // The shell's calls on this thread (type names of the directory lists,
    // the folder browser, opening documents) need COM in a single-threaded
    // apartment here; it stays for the life of the thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // Looked up at run time so the program needs no import of comctl32
    // beyond what the manifest activates.
    if (HMODULE cc = LoadLibraryW(L"comctl32.dll")) {
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(cc, "InitCommonControlsEx")));
        if (init) {
            INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                         ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
            init(&icc);
        }
    }
    LoadLibraryW(L"Msftedit.dll");
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WinProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kTopClass;
    wc.hIcon = IconHandle(101, 32);
    wc.hIconSm = IconHandle(101, 16);
    ok = RegisterClassExW(&wc) != 0;
    wc.lpfnWndProc = ContainerProc;
    wc.lpszClassName = kContainerClass;
    wc.hIcon = wc.hIconSm = nullptr;
    ok = ok && RegisterClassExW(&wc) != 0;
    wc.lpfnWndProc = SplitterProc;
    wc.lpszClassName = kSplitterClass;
    ok = ok && RegisterClassExW(&wc) != 0;
    g_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return ok;
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool OpenWindow(int id, const std::wstring& title, Box box, uint32_t flags, int owner) {
    if (!EnsureGuiInit() || IdInUse(id)) return false;
    DWORD style = WS_CAPTION | WS_CLIPCHILDREN;
    DWORD ex = 0;
    if (flags & kWinSystemMenu) style |= WS_SYSMENU;
    if (flags & kWinMinimizeBox) style |= WS_MINIMIZEBOX | WS_SYSMENU;
    if (flags & kWinMaximizeBox) style |= WS_MAXIMIZEBOX | WS_SYSMENU;
    if (flags & kWinSizable) style |= WS_THICKFRAME;
    if (flags & kWinToolWindow) ex |= WS_EX_TOOLWINDOW;
    HWND ownerHwnd = nullptr;
    if (owner) {
        WindowRec* o = FindWindowRec(owner);
        if (!o) return false;
        ownerHwnd = o->hwnd;
    }
    RECT r = {0, 0, box.w, box.h};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    const int ow = r.right - r.left, oh = r.bottom - r.top;
    int x = box.x, y = box.y;
    if (flags & (kWinCenterScreen | kWinCenterOwner)) {
        RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if ((flags & kWinCenterOwner) && ownerHwnd) GetWindowRect(ownerHwnd, &area);
        x = area.left + (area.right - area.left - ow) / 2;
        y = area.top + (area.bottom - area.top - oh) / 2;
    }
    Quiet quiet;
    HWND hwnd = CreateWindowExW(ex, kTopClass, title.c_str(), style, x, y, ow, oh, ownerHwnd, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        WindowRec& w = Windows()[id];
        w.hwnd = hwnd;
        w.flags = flags;
        w.owner = owner;
        w.dpi = WindowDpiOf(hwnd);
        HwndIds()[hwnd] = id;
    }
    SetWindowIcons(Windows()[id]);
    // Centred on a small screen or on an owner near its edge, a window
    // could reach past the work area.
    KeepWindowOnScreen(id);
    if (!(flags & kWinHidden)) {
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
    }
    SyncWindowGeometry(Windows()[id]);
    return true;
}

void RemoveWindow(int id) {
    WindowRec* w = FindWindowRec(id);
    if (!w) return;
    for (auto it = Trays().begin(); it != Trays().end();) {
        if (it->second.window == id) {
            const int trayId = it->first;
            ++it;
            RemoveTrayIcon(trayId);
        } else {
            ++it;
        }
    }
    std::vector<int> gadgets;
    for (auto& [gid, g] : Gadgets())
        if (g.window == id) gadgets.push_back(gid);
    HWND hwnd = w->hwnd;
    HACCEL accel = w->accelTable;
    {
        Quiet quiet;
        DestroyWindow(hwnd);  // destroys the children and the menu bar
    }
    if (accel) DestroyAcceleratorTable(accel);
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        for (int gid : gadgets) {
            if (GadgetRec* g = FindGadget(gid)) HwndIds().erase(g->hwnd);
            Gadgets().erase(gid);
        }
        HwndIds().erase(hwnd);
        Windows().erase(id);
    }
    auto& q = EventQueue();
    for (auto it = q.begin(); it != q.end();) it = it->window == id ? q.erase(it) : it + 1;
}

bool WindowExists(int id) { return FindWindowRec(id) != nullptr; }

void SetWindowTitle(int id, const std::wstring& title) {
    if (WindowRec* w = FindWindowRec(id)) SetWindowTextW(w->hwnd, title.c_str());
}

std::wstring GetWindowTitle(int id) {
    WindowRec* w = FindWindowRec(id);
    if (!w) return L"";
    std::wstring text(size_t(GetWindowTextLengthW(w->hwnd)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(w->hwnd, text.data(), int(text.size()))));
    return text;
}

Box GetWindowBox(int id) {
    WindowRec* w = FindWindowRec(id);
    if (!w) return Box{};
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof(wp);
    GetWindowPlacement(w->hwnd, &wp);
    RECT r = wp.rcNormalPosition;
    if (!IsIconic(w->hwnd) && !IsZoomed(w->hwnd)) GetWindowRect(w->hwnd, &r);
    const SIZE extra = WinFrameExtra(w->hwnd);
    return Box{r.left, r.top, r.right - r.left - extra.cx, r.bottom - r.top - extra.cy};
}

// Maximised, the frame's borders hang off the screen; less them, the rest
// is the client area with the menu bar, as for a normal window.
Box GetWindowScreenBox(int id) {
    WindowRec* w = FindWindowRec(id);
    if (!w) return Box{};
    if (!IsZoomed(w->hwnd) || IsIconic(w->hwnd)) return GetWindowBox(id);
    RECT r;
    GetWindowRect(w->hwnd, &r);
    const SIZE extra = WinFrameExtra(w->hwnd);
    return Box{r.left, r.top, r.right - r.left - extra.cx, r.bottom - r.top - extra.cy};
}

void ResizeWindow(int id, int x, int y, int w, int h) {
    WindowRec* rec = FindWindowRec(id);
    if (!rec) return;
    const Box now = GetWindowBox(id);
    Box b{x == kKeep ? now.x : x, y == kKeep ? now.y : y, w == kKeep ? now.w : w, h == kKeep ? now.h : h};
    if (b.w < rec->minW) b.w = rec->minW;
    if (b.h < rec->minH) b.h = rec->minH;
    const SIZE extra = WinFrameExtra(rec->hwnd);
    Quiet quiet;
    if (IsIconic(rec->hwnd) || IsZoomed(rec->hwnd)) {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        GetWindowPlacement(rec->hwnd, &wp);
        wp.rcNormalPosition = RECT{b.x, b.y, b.x + b.w + extra.cx, b.y + b.h + extra.cy};
        wp.showCmd = IsIconic(rec->hwnd) ? SW_SHOWMINNOACTIVE : SW_SHOWMAXIMIZED;
        if (!IsWindowVisible(rec->hwnd)) wp.showCmd = SW_HIDE;
        SetWindowPlacement(rec->hwnd, &wp);
        return;
    }
    SetWindowPos(rec->hwnd, nullptr, b.x, b.y, b.w + extra.cx, b.h + extra.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SyncWindowGeometry(*rec);
}

void SetWindowMinSize(int id, int w, int h) {
    if (WindowRec* rec = FindWindowRec(id)) {
        rec->minW = w;
        rec->minH = h;
    }
}

// A hidden window changes its state through its placement, so that it
// stays hidden.
void SetWindowState(int id, WindowState state) {
    WindowRec* rec = FindWindowRec(id);
    if (!rec) return;
    Quiet quiet;
    const int cmd = state == WindowState::Minimized   ? SW_MINIMIZE
                    : state == WindowState::Maximized ? SW_MAXIMIZE
                                                      : SW_RESTORE;
    if (IsWindowVisible(rec->hwnd)) {
        ShowWindow(rec->hwnd, cmd);
    } else if (state != WindowState::Minimized && (IsIconic(rec->hwnd) || IsZoomed(rec->hwnd))) {
        // Minimised (or maximised) and then hidden, as the tray does: only
        // ShowWindow leaves that state, so the window is restored and hidden
        // again at once, before anything is painted.
        ShowWindow(rec->hwnd, cmd);
        ShowWindow(rec->hwnd, SW_HIDE);
    } else {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof(wp);
        GetWindowPlacement(rec->hwnd, &wp);
        wp.showCmd = SW_HIDE;
        if (state == WindowState::Maximized) wp.flags |= WPF_RESTORETOMAXIMIZED;
        SetWindowPlacement(rec->hwnd, &wp);
    }
    rec->lastState = state;
    SyncWindowGeometry(*rec);
}

WindowState GetWindowState(int id) {
    WindowRec* rec = FindWindowRec(id);
    if (!rec) return WindowState::Normal;
    if (IsIconic(rec->hwnd)) return WindowState::Minimized;
    if (IsZoomed(rec->hwnd)) return WindowState::Maximized;
    return rec->lastState == WindowState::Normal ? WindowState::Normal : rec->lastState;
}

void SetWindowShown(int id, bool shown) {
    WindowRec* rec = FindWindowRec(id);
    if (!rec) return;
    Quiet quiet;
    ShowWindow(rec->hwnd, shown ? SW_SHOWNA : SW_HIDE);
    SyncWindowGeometry(*rec);
}

bool GetWindowShown(int id) {
    WindowRec* rec = FindWindowRec(id);
    return rec && IsWindowVisible(rec->hwnd);
}

void SetWindowEnabled(int id, bool enabled) {
    if (WindowRec* rec = FindWindowRec(id)) EnableWindow(rec->hwnd, enabled);
}

bool GetWindowEnabled(int id) {
    WindowRec* rec = FindWindowRec(id);
    return rec && IsWindowEnabled(rec->hwnd);
}

void SetForeground(int id) {
    if (WindowRec* rec = FindWindowRec(id)) {
        Quiet quiet;
        SetForegroundWindow(rec->hwnd);
    }
}

// Wine leaves a window that was hidden or minimised in the foreground; it
// is not in front of the user, and a box it owned would not show.
int GetForeground() {
    HWND fg = GetForegroundWindow();
    const int id = IdOfHwnd(fg);
    return FindWindowRec(id) && IsWindowVisible(fg) && !IsIconic(fg) ? id : 0;
}

}  // namespace plat
