// Display scaling: every window of ours is laid out for the DPI of the
// monitor it is on (the manifest declares per-monitor awareness, v2). A
// window that comes onto a monitor of another DPI gets WM_DPICHANGED: it
// takes the rectangle Windows suggests, its gadgets are scaled from the
// boxes the program gave them, their fonts and icons are made for the new
// DPI, and the program hears DpiChanged to lay out what it keeps in design
// units.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>

namespace plat::wgui {

// GetDpiForWindow exists from Windows 10 1607 on; before, every window has
// the system's DPI.
int WindowDpiOf(HWND hwnd) {
    using DpiFn = UINT(WINAPI*)(HWND);
    static const DpiFn forWindow = reinterpret_cast<DpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = forWindow && hwnd ? forWindow(hwnd) : 0;
    return dpi > 0 ? int(dpi) : SystemDpi();
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpiById(int window) {
    const WindowRec* w = FindWindowRec(window);
    return w ? w->dpi : SystemDpi();
}

void RememberGivenBox(GadgetRec& g) {
    RECT r;
    GetWindowRect(g.hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(g.hwnd), reinterpret_cast<POINT*>(&r), 2);
    g.given = Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
    g.givenDpi = WindowDpiById(g.window);
}

// The title bar and Alt+Tab icons at the window's DPI, from the program's
// icon in all its sizes (LoadImageW picks the nearest and scales it).
void SetWindowIcons(const WindowRec& w) {
    SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, LPARAM(IconHandle(101, MulDiv(32, w.dpi, 96))));
    SendMessageW(w.hwnd, WM_SETICON, ICON_SMALL, LPARAM(IconHandle(101, MulDiv(16, w.dpi, 96))));
}

static int DpiScaled(int value, int to, int from) { return from > 0 ? MulDiv(value, to, from) : value; }

// From the box the program gave each gadget at its DPI, so that a window
// moved to and fro keeps its layout exactly. The parts of a splitter and
// the pages of a panel are laid out by them.
static void DpiScaleGadgets(int window, int dpi, int oldDpi) {
    std::vector<int> ids;
    for (auto& [id, g] : Gadgets())
        if (g.window == window) ids.push_back(id);
    Quiet quiet;
    for (int id : ids) {
        GadgetRec* g = FindGadget(id);
        const GadgetRec* parent = g ? FindGadget(g->parent) : nullptr;
        if (!g || g->kind == Kind::PanelPage || (parent && parent->kind == Kind::Splitter) || g->givenDpi <= 0)
            continue;
        const Box b = g->given;
        SetWindowPos(g->hwnd, nullptr, DpiScaled(b.x, dpi, g->givenDpi), DpiScaled(b.y, dpi, g->givenDpi),
                     DpiScaled(b.w, dpi, g->givenDpi), DpiScaled(b.h, dpi, g->givenDpi), SWP_NOZORDER | SWP_NOACTIVATE);
        if (g->buddy) SendMessageW(g->buddy, UDM_SETBUDDY, WPARAM(g->hwnd), 0);
        // The bar where the user or the program left it, in proportion.
        if (g->kind == Kind::Splitter) g->position = DpiScaled(g->position, dpi, oldDpi);
    }
    for (int id : ids) {
        GadgetRec* g = FindGadget(id);
        if (g && g->kind == Kind::Panel) LayoutPanel(*g);
        if (g && g->kind == Kind::Splitter) LayoutSplitter(*g);
        if (g) ApplyGadgetCells(id);
    }
}

void OnDpiChanged(int window, int dpi, const RECT& suggested) {
    WindowRec* w = FindWindowRec(window);
    if (!w || dpi <= 0) return;
    const int oldDpi = w->dpi;
    w->dpi = dpi;
    {
        Quiet quiet;
        SetWindowPos(w->hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SyncWindowGeometry(*w);
    DpiScaleGadgets(window, dpi, oldDpi);
    SetWindowIcons(*w);
    GuiEvent e;
    e.kind = EventKind::DpiChanged;
    e.window = window;
    PushEvent(e);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

int GetWindowDpi(int id) {
    const WindowRec* w = FindWindowRec(id);
    return w ? w->dpi : 0;
}

// The work area of the window's monitor, less the taskbar; the frame of a
// window that does not fit is shrunk to it, never below the minimum size.
void KeepWindowOnScreen(int id) {
    WindowRec* w = FindWindowRec(id);
    if (!w) return;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromWindow(w->hwnd, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(w->hwnd, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongPtrW(w->hwnd, GWL_EXSTYLE)));
    const int extraW = frame.right - frame.left, extraH = frame.bottom - frame.top;
    Box b = GetWindowBox(id);
    const int workW = work.right - work.left, workH = work.bottom - work.top;
    if (b.w + extraW > workW) b.w = workW - extraW > w->minW ? workW - extraW : w->minW;
    if (b.h + extraH > workH) b.h = workH - extraH > w->minH ? workH - extraH : w->minH;
    if (b.x + b.w + extraW > work.right) b.x = work.right - b.w - extraW;
    if (b.y + b.h + extraH > work.bottom) b.y = work.bottom - b.h - extraH;
    if (b.x < work.left) b.x = work.left;
    if (b.y < work.top) b.y = work.top;
    const Box now = GetWindowBox(id);
    if (b.x != now.x || b.y != now.y || b.w != now.w || b.h != now.h) ResizeWindow(id, b.x, b.y, b.w, b.h);
}

}  // namespace plat
