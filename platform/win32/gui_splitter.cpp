// Splitters: a child window of our own class that adopts two existing
// gadgets and lays them out at both sides of a bar the user drags.
#include "platform/win32/gui_registry.h"

#include <windowsx.h>

namespace plat::wgui {

constexpr int kSplitBar = 7;

static int SplitterLength(const GadgetRec& g) {
    RECT r;
    GetClientRect(g.hwnd, &r);
    return (g.flags & kSplitSideBySide) ? r.right : r.bottom;
}

// The bar stays where the parts keep their minimum sizes; a splitter too
// small for both gives the first part what there is.
static int SplitterClamp(const GadgetRec& g, int position) {
    const int length = SplitterLength(g);
    if (position > length - kSplitBar - g.minSecond) position = length - kSplitBar - g.minSecond;
    if (position < g.minFirst) position = g.minFirst;
    const int room = length - kSplitBar > 0 ? length - kSplitBar : 0;
    if (position < 0) position = 0;
    if (position > room) position = room;
    return position;
}

void LayoutSplitter(GadgetRec& g) {
    g.position = SplitterClamp(g, g.position);
    RECT r;
    GetClientRect(g.hwnd, &r);
    const bool side = (g.flags & kSplitSideBySide) != 0;
    const int length = side ? r.right : r.bottom;
    const int across = side ? r.bottom : r.right;
    const int secondStart = g.position + kSplitBar;
    const int secondLength = length - secondStart > 0 ? length - secondStart : 0;
    Quiet quiet;
    if (GadgetRec* a = FindGadget(g.first)) {
        if (side)
            SetWindowPos(a->hwnd, nullptr, 0, 0, g.position, across, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(a->hwnd, nullptr, 0, 0, across, g.position, SWP_NOZORDER | SWP_NOACTIVATE);
        if (a->kind == Kind::Splitter) LayoutSplitter(*a);
    }
    if (GadgetRec* b = FindGadget(g.second)) {
        if (side)
            SetWindowPos(b->hwnd, nullptr, secondStart, 0, secondLength, across, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            SetWindowPos(b->hwnd, nullptr, 0, secondStart, across, secondLength, SWP_NOZORDER | SWP_NOACTIVATE);
        if (b->kind == Kind::Splitter) LayoutSplitter(*b);
    }
}

static LRESULT SplitterInner(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int id = IdOfHwnd(hwnd);
    GadgetRec* g = FindGadget(id);
    if (!g) return DefWindowProcW(hwnd, msg, wp, lp);
    const bool side = (g->flags & kSplitSideBySide) != 0;
    switch (msg) {
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == hwnd) {
                SetCursor(LoadCursorW(nullptr, side ? IDC_SIZEWE : IDC_SIZENS));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN: {
            const int at = side ? GET_X_LPARAM(lp) : GET_Y_LPARAM(lp);
            g->dragOffset = at - g->position;
            SetCapture(hwnd);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (g->dragOffset >= 0 && GetCapture() == hwnd) {
                const int at = side ? GET_X_LPARAM(lp) : GET_Y_LPARAM(lp);
                const int before = g->position;
                g->position = at - g->dragOffset;
                LayoutSplitter(*g);
                if (g->position != before) {
                    GuiEvent e;
                    e.kind = EventKind::Gadget;
                    e.window = g->window;
                    e.id = id;
                    e.type = EventType::Change;
                    PushEvent(e);
                }
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            g->dragOffset = -1;
            if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
            return 0;
        case WM_SIZE: {
            // With kSplitSecondFixed the second part keeps its size.
            const int length = side ? LOWORD(lp) : HIWORD(lp);
            if ((g->flags & kSplitSecondFixed) && g->length > 0) g->position += length - g->length;
            g->length = length;
            LayoutSplitter(*g);
            return 0;
        }
        default:
            break;
    }
    LRESULT result = 0;
    if (msg == WM_COMMAND && HandleCommand(hwnd, wp, lp)) return 0;
    if (msg == WM_NOTIFY && HandleNotify(hwnd, lp, result)) return result;
    if ((msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORBTN) &&
        HandleCtlColor(msg, wp, lp, result))
        return result;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return SplitterInner(hwnd, msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreateSplitter(int id, int parent, Box box, int first, int second, uint32_t flags) {
    HWND parentHwnd = nullptr;
    int window = 0;
    GadgetRec* a = FindGadget(first);
    GadgetRec* b = FindGadget(second);
    if (!EnsureGuiInit() || IdInUse(id) || !a || !b || first == second || !ParentHandle(parent, parentHwnd, window))
        return false;
    HWND hwnd;
    {
        Quiet quiet;
        hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kSplitterClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, box.x,
                               box.y, box.w, box.h, parentHwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }
    if (!RegisterGadget(id, hwnd, Kind::Splitter, parent, flags)) return false;
    GadgetRec* g = FindGadget(id);
    g->first = first;
    g->second = second;
    const int total = (flags & kSplitSideBySide) ? box.w : box.h;
    g->position = (total - kSplitBar > 0 ? total - kSplitBar : 0) / 2;
    g->length = total;
    {
        Quiet quiet;
        a = FindGadget(first);
        b = FindGadget(second);
        SetParent(a->hwnd, hwnd);
        SetParent(b->hwnd, hwnd);
        a->parent = b->parent = id;
    }
    LayoutSplitter(*g);
    return true;
}

void SetSplitterMinSizes(int id, int first, int second) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::Splitter) return;
    g->minFirst = first;
    g->minSecond = second;
    LayoutSplitter(*g);
}

}  // namespace plat
