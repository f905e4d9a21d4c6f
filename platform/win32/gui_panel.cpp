// Tab panels: a WC_TABCONTROL with one container window per tab, shown
// while its tab is.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>

namespace plat::wgui {

void LayoutPanel(GadgetRec& g) {
    // Pages are siblings of the tab control: its display area in the
    // coordinates of the common parent.
    RECT r;
    GetClientRect(g.hwnd, &r);
    TabCtrl_AdjustRect(g.hwnd, FALSE, &r);
    MapWindowPoints(g.hwnd, GetParent(g.hwnd), reinterpret_cast<POINT*>(&r), 2);
    const int shown = int(SendMessageW(g.hwnd, TCM_GETCURSEL, 0, 0));
    Quiet quiet;
    for (size_t i = 0; i < g.pages.size(); ++i) {
        GadgetRec* page = FindGadget(g.pages[i]);
        if (!page) continue;
        SetWindowPos(page->hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
        ShowWindow(page->hwnd, int(i) == shown ? SW_SHOW : SW_HIDE);
    }
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreatePanel(int id, int parent, Box box) {
    HWND parentHwnd = nullptr;
    int window = 0;
    if (!EnsureGuiInit() || IdInUse(id) || !ParentHandle(parent, parentHwnd, window)) return false;
    HWND hwnd;
    {
        Quiet quiet;
        hwnd = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, box.x,
                               box.y, box.w, box.h, parentHwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
    }
    return RegisterGadget(id, hwnd, Kind::Panel, parent, 0);
}

// Pages are siblings of the tab control above it in z-order, so that the
// tab control's own painting does not cover them.
bool AddPanelTab(int panel, int page, const std::wstring& text) {
    GadgetRec* p = FindGadget(panel);
    if (!p || p->kind != Kind::Panel || IdInUse(page)) return false;
    HWND parentHwnd = GetParent(p->hwnd);
    HWND hwnd;
    {
        Quiet quiet;
        hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0,
                               0, parentHwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(page)),
                               GetModuleHandleW(nullptr), nullptr);
    }
    if (!hwnd) return false;
    if (!RegisterGadget(page, hwnd, Kind::PanelPage, p->parent, 0)) return false;
    GadgetRec* g = FindGadget(page);
    p = FindGadget(panel);
    g->parent = panel;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    std::wstring title = text;
    item.pszText = title.data();
    const int index = int(p->pages.size());
    {
        Quiet quiet;
        SendMessageW(p->hwnd, TCM_INSERTITEMW, WPARAM(index), LPARAM(&item));
        if (index == 0) SendMessageW(p->hwnd, TCM_SETCURSEL, 0, 0);
    }
    p->pages.push_back(page);
    LayoutPanel(*p);
    return true;
}

}  // namespace plat
