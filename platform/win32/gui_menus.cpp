// Menu bars, their drop-downs and the accelerator table of each window.
#include "platform/win32/gui_registry.h"

namespace plat::wgui {

static HMENU MenuHolding(WindowRec& w, int itemId) {
    auto it = w.itemMenu.find(itemId);
    if (it == w.itemMenu.end()) return nullptr;
    if (it->second == 0) return w.bar;
    auto m = w.menus.find(it->second);
    return m == w.menus.end() ? nullptr : m->second.handle;
}

// A drop-down has no command id of its own: it is found by its position in
// the menu that holds it.
static bool MenuPopupEntry(WindowRec& w, int menuId, HMENU& holder, UINT& position) {
    auto it = w.menus.find(menuId);
    if (it == w.menus.end()) return false;
    holder = w.bar;
    if (it->second.parentMenu != 0) {
        auto p = w.menus.find(it->second.parentMenu);
        if (p == w.menus.end()) return false;
        holder = p->second.handle;
    }
    for (int i = 0, n = GetMenuItemCount(holder); i < n; ++i) {
        if (GetSubMenu(holder, i) != it->second.handle) continue;
        position = UINT(i);
        return true;
    }
    return false;
}

// An item or a drop-down, by its id.
static bool MenuEntryEnabled(WindowRec& w, int id) {
    HMENU holder = nullptr;
    UINT position = 0, state = UINT(-1);
    if (MenuPopupEntry(w, id, holder, position))
        state = GetMenuState(holder, position, MF_BYPOSITION);
    else if ((holder = MenuHolding(w, id)))
        state = GetMenuState(holder, UINT(id), MF_BYCOMMAND);
    return state != UINT(-1) && !(state & (MF_DISABLED | MF_GRAYED));
}

bool MenuItemLive(WindowRec& w, int itemId) {
    auto it = w.itemMenu.find(itemId);
    if (it == w.itemMenu.end() || !MenuEntryEnabled(w, itemId)) return false;
    for (int menu = it->second; menu != 0; menu = w.menus[menu].parentMenu)
        if (!MenuEntryEnabled(w, menu)) return false;
    return true;
}

// Chosen items and accelerators both arrive here; an accelerator whose item
// is disabled, or stands in a disabled drop-down, or one without an item,
// raises nothing.
bool MenuCommand(int window, int item) {
    WindowRec* w = FindWindowRec(window);
    if (!w || item == 0) return false;
    if (w->itemMenu.count(item) && !MenuItemLive(*w, item)) return true;
    bool known = w->itemMenu.count(item) != 0;
    for (const ACCEL& a : w->accels) known = known || a.cmd == item;
    if (!known) return false;
    GuiEvent e;
    e.kind = EventKind::Menu;
    e.window = window;
    e.id = item;
    PushEvent(e);
    return true;
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreateMenuBar(int window) {
    WindowRec* w = FindWindowRec(window);
    if (!w || w->bar) return false;
    w->bar = CreateMenu();
    if (!w->bar) return false;
    // The inner size holds the menu bar, so the frame keeps its size and the
    // client area shrinks. Wine applies the new frame only when the next
    // messages are pumped unless told now, and the user would seem to have
    // moved and sized the window.
    Quiet quiet;
    SetMenu(w->hwnd, w->bar);
    SetWindowPos(w->hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SyncWindowGeometry(*w);
    return true;
}

bool AddMenu(int window, int parentMenu, int menuId, const std::wstring& title) {
    WindowRec* w = FindWindowRec(window);
    if (!w || !w->bar || menuId < 1 || menuId > 65535 || w->menus.count(menuId) || w->itemMenu.count(menuId))
        return false;
    HMENU parent = w->bar;
    if (parentMenu != 0) {
        auto it = w->menus.find(parentMenu);
        if (it == w->menus.end()) return false;
        parent = it->second.handle;
    }
    HMENU menu = CreatePopupMenu();
    if (!menu || !AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menu), title.c_str())) {
        if (menu) DestroyMenu(menu);
        return false;
    }
    w->menus[menuId] = MenuRec{menu, parentMenu};
    if (parent == w->bar) {
        // The bar gets its height with its first drop-down; that resize is ours.
        Quiet quiet;
        DrawMenuBar(w->hwnd);
        SetWindowPos(w->hwnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SyncWindowGeometry(*w);
    }
    return true;
}

bool AddMenuItem(int window, int menuId, int itemId, const std::wstring& text) {
    WindowRec* w = FindWindowRec(window);
    if (!w || itemId < 1 || itemId > 65535 || w->itemMenu.count(itemId) || w->menus.count(itemId)) return false;
    auto it = w->menus.find(menuId);
    if (it == w->menus.end()) return false;
    if (!AppendMenuW(it->second.handle, MF_STRING, UINT_PTR(itemId), text.c_str())) return false;
    w->itemMenu[itemId] = menuId;
    return true;
}

bool AddMenuRule(int window, int menuId) {
    WindowRec* w = FindWindowRec(window);
    if (!w) return false;
    auto it = w->menus.find(menuId);
    return it != w->menus.end() && AppendMenuW(it->second.handle, MF_SEPARATOR, 0, nullptr);
}

void SetMenuItemChecked(int window, int itemId, bool checked) {
    WindowRec* w = FindWindowRec(window);
    if (!w) return;
    if (HMENU menu = MenuHolding(*w, itemId))
        CheckMenuItem(menu, UINT(itemId), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool GetMenuItemChecked(int window, int itemId) {
    WindowRec* w = FindWindowRec(window);
    HMENU menu = w ? MenuHolding(*w, itemId) : nullptr;
    if (!menu) return false;
    const UINT state = GetMenuState(menu, UINT(itemId), MF_BYCOMMAND);
    return state != UINT(-1) && (state & MF_CHECKED);
}

void SetMenuItemEnabled(int window, int itemId, bool enabled) {
    WindowRec* w = FindWindowRec(window);
    if (!w) return;
    const UINT state = enabled ? MF_ENABLED : MF_GRAYED;
    HMENU holder = nullptr;
    UINT position = 0;
    if (MenuPopupEntry(*w, itemId, holder, position)) {
        EnableMenuItem(holder, position, MF_BYPOSITION | state);
        if (holder == w->bar) DrawMenuBar(w->hwnd);
    } else if (HMENU menu = MenuHolding(*w, itemId)) {
        EnableMenuItem(menu, UINT(itemId), MF_BYCOMMAND | state);
    }
}

bool GetMenuItemEnabled(int window, int itemId) {
    WindowRec* w = FindWindowRec(window);
    return w && MenuEntryEnabled(*w, itemId);
}

// The table is built anew with each shortcut; windows have only a handful.
bool AddShortcut(int window, int key, uint32_t modifiers, int itemId) {
    WindowRec* w = FindWindowRec(window);
    if (!w || itemId < 1 || itemId > 65535 || key <= 0 || key > 0xFF) return false;
    ACCEL a = {};
    a.fVirt = FVIRTKEY | ((modifiers & kModShift) ? FSHIFT : 0) | ((modifiers & kModCtrl) ? FCONTROL : 0) |
              ((modifiers & kModAlt) ? FALT : 0);
    a.key = WORD(key);
    a.cmd = WORD(itemId);
    w->accels.push_back(a);
    HACCEL table = CreateAcceleratorTableW(w->accels.data(), int(w->accels.size()));
    if (!table) {
        w->accels.pop_back();
        return false;
    }
    if (w->accelTable) DestroyAcceleratorTable(w->accelTable);
    w->accelTable = table;
    return true;
}

void SetDialogKeys(int window, int okButton, int cancelButton) {
    WindowRec* w = FindWindowRec(window);
    if (!w) return;
    w->dialogKeys = true;
    w->okButton = okButton;
    w->cancelButton = cancelButton;
    if (HWND ok = HwndOf(okButton)) SendMessageW(ok, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

}  // namespace plat
