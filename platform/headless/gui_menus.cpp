// Menu bars, accelerators and tray icons of the headless model.
#include "platform/clock.h"
#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

namespace headless {

const MenuEntry* FindMenuEntry(const Window& w, int id) {
    if (id == 0) return nullptr;
    for (const MenuEntry& e : w.menu)
        if (e.id == id) return &e;
    return nullptr;
}

// Windows sends no command for a greyed item, nor for one inside a greyed
// drop-down.
bool MenuEntryLive(const Window& w, const MenuEntry& entry) {
    const MenuEntry* e = &entry;
    for (int depth = 0; e && depth < 64; ++depth) {
        if (!e->enabled) return false;
        e = FindMenuEntry(w, e->menu);
    }
    return true;
}

}  // namespace headless

static MenuEntry* MenusFind(int window, int id) {
    Window* w = FindWin(window);
    if (!w || id == 0) return nullptr;
    for (MenuEntry& e : w->menu)
        if (e.id == id) return &e;
    return nullptr;
}

// Command ids travel in the low word of WM_COMMAND.
static bool MenusValidId(int id) { return id > 0 && id <= 0xFFFF; }

static bool MenusCanHold(const Window& w, int menuId) {
    const MenuEntry* parent = FindMenuEntry(w, menuId);
    return parent && parent->isMenu;
}

bool CreateMenuBar(int window) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    if (!w || w->hasMenuBar) return false;
    w->hasMenuBar = true;
    return true;
}

bool AddMenu(int window, int parentMenu, int menuId, const std::wstring& title) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    if (!w || !w->hasMenuBar || !MenusValidId(menuId) || FindMenuEntry(*w, menuId)) return false;
    if (parentMenu != 0 && !MenusCanHold(*w, parentMenu)) return false;
    MenuEntry e;
    e.menu = parentMenu;
    e.id = menuId;
    e.text = title;
    e.isMenu = true;
    w->menu.push_back(e);
    return true;
}

bool AddMenuItem(int window, int menuId, int itemId, const std::wstring& text) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    if (!w || !MenusValidId(itemId) || FindMenuEntry(*w, itemId) || !MenusCanHold(*w, menuId)) return false;
    MenuEntry e;
    e.menu = menuId;
    e.id = itemId;
    e.text = text;
    w->menu.push_back(e);
    return true;
}

bool AddMenuRule(int window, int menuId) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    if (!w || !MenusCanHold(*w, menuId)) return false;
    MenuEntry e;
    e.menu = menuId;
    e.rule = true;
    w->menu.push_back(e);
    return true;
}

void SetMenuItemChecked(int window, int itemId, bool checked) {
    Guard guard(M().lock);
    MenuEntry* e = MenusFind(window, itemId);
    if (e && !e->isMenu) e->checked = checked;
}

bool GetMenuItemChecked(int window, int itemId) {
    Guard guard(M().lock);
    MenuEntry* e = MenusFind(window, itemId);
    return e && e->checked;
}

void SetMenuItemEnabled(int window, int itemId, bool enabled) {
    Guard guard(M().lock);
    if (MenuEntry* e = MenusFind(window, itemId)) e->enabled = enabled;
}

bool GetMenuItemEnabled(int window, int itemId) {
    Guard guard(M().lock);
    MenuEntry* e = MenusFind(window, itemId);
    return e && e->enabled;
}

bool AddShortcut(int window, int key, uint32_t modifiers, int itemId) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    if (!w || key <= 0 || key > 0xFF || !MenusValidId(itemId)) return false;
    for (Shortcut& s : w->shortcuts) {
        if (s.key == key && s.modifiers == modifiers) {
            s.item = itemId;
            return true;
        }
    }
    w->shortcuts.push_back(Shortcut{key, modifiers, itemId});
    return true;
}

void SetDialogKeys(int window, int okButton, int cancelButton) {
    Guard guard(M().lock);
    if (Window* w = FindWin(window)) {
        w->dialogKeys = true;
        w->okButton = okButton;
        w->cancelButton = cancelButton;
    }
}

// NOTIFYICONDATAW holds at most 127 characters of tool tip.
static std::wstring MenusTrayTip(const std::wstring& tip) { return tip.substr(0, 127); }

namespace headless {

bool TryTrayAdd(TrayIcon& tray) {
    tray.lastTry = Tick();
    tray.shown = M().trayAddFailures <= 0;
    if (!tray.shown) --M().trayAddFailures;
    return tray.shown;
}

// The window's timer: one more add of each icon still missing, once the
// interval has passed.
void RetryTrayAdds() {
    for (auto& [id, tray] : M().trays)
        if (!tray.shown && Tick() - tray.lastTry >= kTrayRetryMillis) TryTrayAdd(tray);
}

}  // namespace headless

bool AddTrayIcon(int id, int window, int icon, const std::wstring& tip) {
    Guard guard(M().lock);
    if (id <= 0 || M().trays.count(id) || !FindWin(window)) return false;
    TrayIcon& tray = M().trays[id] = TrayIcon{window, icon, MenusTrayTip(tip), false, 0, {}, {}, 0};
    TryTrayAdd(tray);
    return true;
}

void SetTrayIcon(int id, int icon) {
    Guard guard(M().lock);
    auto it = M().trays.find(id);
    if (it != M().trays.end()) it->second.icon = icon;
}

void SetTrayToolTip(int id, const std::wstring& tip) {
    Guard guard(M().lock);
    auto it = M().trays.find(id);
    if (it != M().trays.end()) it->second.tip = MenusTrayTip(tip);
}

void RemoveTrayIcon(int id) {
    Guard guard(M().lock);
    M().trays.erase(id);
}

// NOTIFYICONDATAW's szInfoTitle and szInfo hold 63 and 255 characters.
bool ShowTrayBalloon(int id, const std::wstring& title, const std::wstring& text) {
    Guard guard(M().lock);
    auto it = M().trays.find(id);
    if (it == M().trays.end()) return false;
    it->second.balloonTitle = title.substr(0, 63);
    it->second.balloonText = text.substr(0, 255);
    ++it->second.balloons;
    return true;
}

}  // namespace plat
