// Test hooks of the window system on Windows, apart from the user's actions
// (gui_input_testing.cpp): the reset between tests and reading back, from
// the controls where they can tell (item texts, check marks, text mode) and
// from the layer's tables otherwise. Boxes (message, input, folder browser)
// are the system's own modal windows and cannot be scripted here: their
// hooks do nothing, and tests of them run on the in-memory system only.
#include <richedit.h>

#include <algorithm>

#include "platform/gui_testing.h"
#include "platform/test_hooks.h"
#include "platform/win32/gui_input_testing.h"

namespace plat::wgui {

static GadgetKind TestKindOf(Kind kind) {
    switch (kind) {
        case Kind::Button:
            return GadgetKind::Button;
        case Kind::Text:
            return GadgetKind::Text;
        case Kind::CheckBox:
            return GadgetKind::CheckBox;
        case Kind::Image:
            return GadgetKind::Image;
        case Kind::ProgressBar:
            return GadgetKind::ProgressBar;
        case Kind::Panel:
            return GadgetKind::Panel;
        case Kind::PanelPage:
            return GadgetKind::PanelPage;
        case Kind::Container:
            return GadgetKind::Container;
        case Kind::Frame:
            return GadgetKind::Frame;
        case Kind::Edit:
            return GadgetKind::Edit;
        case Kind::Editor:
            return GadgetKind::Editor;
        case Kind::Spin:
            return GadgetKind::Spin;
        case Kind::ListView:
            return GadgetKind::ListView;
        case Kind::DirList:
            return GadgetKind::DirList;
        case Kind::Splitter:
            return GadgetKind::Splitter;
    }
    return GadgetKind::None;
}

// The entries as the menus hold them, each drop-down followed by its own:
// the order they were added when each menu is filled before the next.
static void TestReadMenu(const WindowRec& w, HMENU menu, int menuId, std::vector<MenuEntryForTest>& out) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        const UINT state = GetMenuState(menu, UINT(i), MF_BYPOSITION);
        MenuEntryForTest e;
        e.menu = menuId;
        e.rule = (state & MF_SEPARATOR) != 0;
        e.checked = (state & MF_CHECKED) != 0;
        e.enabled = !(state & (MF_DISABLED | MF_GRAYED));
        HMENU sub = GetSubMenu(menu, i);
        for (const auto& [id, m] : w.menus)
            if (sub && m.handle == sub) e.id = id;
        e.isMenu = sub != nullptr;
        if (!e.isMenu && !e.rule) e.id = int(GetMenuItemID(menu, i));
        if (!e.rule) {
            wchar_t text[512] = {};
            GetMenuStringW(menu, UINT(i), text, 512, MF_BYPOSITION);
            e.text = text;
        }
        out.push_back(e);
        if (sub) TestReadMenu(w, sub, e.id, out);
    }
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool HeadlessGui() { return false; }

// The next adds of tray icons are refused before they reach
// Shell_NotifyIconW, as Explorer refuses them while it starts.
static int g_trayAddRefusals = 0;

static bool TrayAddRefused() {
    if (g_trayAddRefusals <= 0) return false;
    --g_trayAddRefusals;
    return true;
}

static const bool g_trayHooked = [] {
    g_testHooks.trayAddRefused = &TrayAddRefused;
    return true;
}();

// Closes the windows a test left open and forgets its actions; the keys a
// pressed shortcut held go up.
void ResetGuiForTest() {
    std::vector<int> open;
    for (auto& [id, w] : wgui::Windows()) open.push_back(id);
    for (int id : open) RemoveWindow(id);
    wgui::EventQueue().clear();
    ResetTestInput();
    g_trayAddRefusals = 0;
}

size_t QueuedEvents() { return EventQueue().size(); }

void AnswerNextMessageBox(MsgAnswer) {}
void AnswerNextInputBox(bool, const std::wstring&) {}
void AnswerNextFolderBrowser(const std::wstring&) {}
std::vector<ShownDialog> ShownDialogsForTest() { return {}; }

GadgetKind GadgetKindForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g ? TestKindOf(g->kind) : GadgetKind::None;
}

uint32_t GadgetFlagsForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g ? g->flags : 0;
}

int GadgetParentForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g ? g->parent : 0;
}

int GadgetWindowForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g ? g->window : 0;
}

std::vector<int> GadgetsOfWindowForTest(int window) {
    std::vector<std::pair<int, int>> byOrder;
    for (const auto& [id, g] : Gadgets())
        if (g.window == window) byOrder.emplace_back(g.order, id);
    std::sort(byOrder.begin(), byOrder.end());
    std::vector<int> ids;
    for (const auto& [order, id] : byOrder) ids.push_back(id);
    return ids;
}

bool GadgetReachableForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g && TestReachable(*g);
}

std::wstring GadgetToolTipForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g ? g->tip : std::wstring();
}

bool EditorPlainTextForTest(int gadget) {
    GadgetRec* g = FindGadget(gadget);
    return g && g->kind == Kind::Editor && (SendMessageW(g->hwnd, EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT);
}

// Word wrap leaves no state in the control to read back.
bool EditorWordWrapForTest(int) { return false; }

bool SplitterMinSizesForTest(int splitter, int& first, int& second) {
    GadgetRec* g = FindGadget(splitter);
    if (!g || g->kind != Kind::Splitter) return false;
    first = g->minFirst;
    second = g->minSecond;
    return true;
}

bool DirListSortForTest(int list, int& column, bool& descending) {
    GadgetRec* g = FindGadget(list);
    if (!g || g->kind != Kind::DirList) return false;
    column = DirListSortColumn(g->dirList);
    descending = g->dirList.sortDescending;
    return true;
}

uint32_t WindowFlagsForTest(int window) {
    WindowRec* w = FindWindowRec(window);
    return w ? w->flags : 0;
}

int WindowOwnerForTest(int window) {
    WindowRec* w = FindWindowRec(window);
    return w ? w->owner : 0;
}

bool WindowMinSizeForTest(int window, int& w, int& h) {
    WindowRec* rec = FindWindowRec(window);
    if (!rec) return false;
    w = rec->minW;
    h = rec->minH;
    return true;
}

std::vector<MenuEntryForTest> MenuEntriesForTest(int window) {
    std::vector<MenuEntryForTest> out;
    WindowRec* w = FindWindowRec(window);
    if (w && w->bar) TestReadMenu(*w, w->bar, 0, out);
    return out;
}

void FailTrayAddsForTest(int count) { g_trayAddRefusals = count; }

bool TrayIconShownForTest(int tray) {
    auto it = Trays().find(tray);
    return it != Trays().end() && it->second.shown;
}

bool TrayIconForTest(int tray, int& window, int& icon, std::wstring& tip) {
    auto it = Trays().find(tray);
    if (it == Trays().end()) return false;
    window = it->second.window;
    icon = it->second.icon;
    tip = it->second.tip;
    return true;
}

}  // namespace plat
