// The user's mouse and keyboard on the gadgets, for the Windows test hooks
// (gui_input_testing.cpp takes the actions from the queue): presses at the
// points the controls' own geometry names (a row's label, its check box, a
// column title, a tab, the splitter's bar, an arrow), so that the controls
// select, tick, sort and notify as they do for a user.
#include "platform/win32/gui_input_testing.h"

#include <commctrl.h>

#include <algorithm>

namespace plat::wgui {

// Where the first click of a double click landed.
static POINT g_lastRowPoint = {0, 0};

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

UINT TestDownOf(EventType type) {
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

bool TestClick(int id, EventType type) {
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

bool TestClickRow(int id, int row, EventType type) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g) || row < -1 || row >= int(SendMessageW(g->hwnd, LVM_GETITEMCOUNT, 0, 0))) return false;
    POINT p;
    if (!TestRowPoint(g->hwnd, row, p)) return false;
    TestTouch(*g, true);
    g_lastRowPoint = p;
    TestPress(g->hwnd, TestDownOf(type), p);
    return true;
}

// The second press of a double click lands where the first did, whatever
// row lies there now.
bool TestDoubleClickRow(int id, int row, EventType type) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g) || row < -1) return false;
    TestPress(g->hwnd, TestDownOf(type), g_lastRowPoint);
    return true;
}

bool TestTickRow(int id, int row) {
    GadgetRec* g = TestGadget(id);
    POINT p;
    if (!g || !(g->flags & kListCheckBoxes) || row < 0 || !TestBoxPoint(g->hwnd, row, p)) return false;
    TestTouch(*g, true);
    TestPress(g->hwnd, WM_LBUTTONDOWN, p);
    return true;
}

bool TestClickColumnTitle(int id, int column) {
    GadgetRec* g = TestGadget(id);
    if (!g || !TestIsList(*g)) return false;
    HWND header = reinterpret_cast<HWND>(SendMessageW(g->hwnd, LVM_GETHEADER, 0, 0));
    RECT r = {};
    if (!header || !SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), LPARAM(&r))) return false;
    TestTouch(*g, false);
    TestPress(header, WM_LBUTTONDOWN, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

bool TestSelectTab(int id, int index) {
    GadgetRec* g = TestGadget(id);
    RECT r = {};
    if (!g || g->kind != Kind::Panel || index < 0 || !SendMessageW(g->hwnd, TCM_GETITEMRECT, WPARAM(index), LPARAM(&r)))
        return false;
    TestTouch(*g, false);
    TestPress(g->hwnd, WM_LBUTTONDOWN, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

bool TestDragSplitter(int id, int position) {
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
bool TestSpin(int id, int steps) {
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
bool TestType(int id, const std::wstring& text) {
    GadgetRec* g = TestGadget(id);
    if (!g || (g->kind != Kind::Edit && g->kind != Kind::Editor && g->kind != Kind::Spin)) return false;
    if (GetWindowLongPtrW(g->hwnd, GWL_STYLE) & ES_READONLY) return false;
    TestTouch(*g, true);
    SetWindowTextW(g->hwnd, text.c_str());
    return true;
}

}  // namespace plat::wgui
