// The test side of the headless model: queueing the user's actions,
// scripting the answers of boxes, and reading what the windows show.
#include "platform/gui_testing.h"

#include <algorithm>

#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

bool HeadlessGui() { return true; }

void ResetGuiForTest() {
    Guard guard(M().lock);
    Model& m = M();
    m.windows.clear();
    m.gadgets.clear();
    m.trays.clear();
    m.events.clear();
    m.actions.clear();
    m.messages.clear();
    m.defaultFont = Font{};
    m.foreground = 0;
    m.focus = 0;
    m.nextOrder = 0;
    m.boxAnswers.clear();
    m.inputAnswers.clear();
    m.folderAnswers.clear();
    m.shown.clear();
    m.dropped = 0;
    m.idleWaits = 0;
    m.screenW = kScreenW;
    m.screenH = kScreenH;
    m.trayAddFailures = 0;
}

void QueueUserAction(const UserAction& action) {
    Guard guard(M().lock);
    M().actions.push_back(action);
}

size_t PendingUserActions() {
    Guard guard(M().lock);
    return M().actions.size();
}

size_t DroppedUserActions() {
    Guard guard(M().lock);
    return M().dropped;
}

size_t QueuedEvents() {
    Guard guard(M().lock);
    return M().events.size();
}

void AnswerNextMessageBox(MsgAnswer answer) {
    Guard guard(M().lock);
    M().boxAnswers.push_back(answer);
}

void AnswerNextInputBox(bool ok, const std::wstring& text) {
    Guard guard(M().lock);
    M().inputAnswers.emplace_back(ok, text);
}

void AnswerNextFolderBrowser(const std::wstring& path) {
    Guard guard(M().lock);
    M().folderAnswers.push_back(path);
}

std::vector<ShownDialog> ShownDialogsForTest() {
    Guard guard(M().lock);
    return M().shown;
}

GadgetKind GadgetKindForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g ? g->kind : GadgetKind::None;
}

uint32_t GadgetFlagsForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g ? g->flags : 0;
}

int GadgetParentForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g ? g->parent : 0;
}

int GadgetWindowForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g ? g->window : 0;
}

std::vector<int> GadgetsOfWindowForTest(int window) {
    Guard guard(M().lock);
    std::vector<std::pair<int, int>> byOrder;
    for (const auto& [id, g] : M().gadgets)
        if (g.window == window) byOrder.emplace_back(g.order, id);
    std::sort(byOrder.begin(), byOrder.end());
    std::vector<int> ids;
    for (const auto& [order, id] : byOrder) ids.push_back(id);
    return ids;
}

bool GadgetReachableForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g && Reachable(*g);
}

std::wstring GadgetToolTipForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(gadget);
    return g ? g->toolTip : std::wstring();
}

bool EditorPlainTextForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(gadget, GadgetKind::Editor);
    return g && g->plainText;
}

bool EditorWordWrapForTest(int gadget) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(gadget, GadgetKind::Editor);
    return g && g->wordWrap;
}

bool SplitterMinSizesForTest(int splitter, int& first, int& second) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(splitter, GadgetKind::Splitter);
    if (!g) return false;
    first = g->minFirst;
    second = g->minSecond;
    return true;
}

bool DirListSortForTest(int list, int& column, bool& descending) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(list, GadgetKind::DirList);
    if (!g) return false;
    column = DirListSortColumn(g->dirList);
    descending = g->dirList.sortDescending;
    return true;
}

uint32_t WindowFlagsForTest(int window) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    return w ? w->flags : 0;
}

int WindowOwnerForTest(int window) {
    Guard guard(M().lock);
    Window* w = FindWin(window);
    return w ? w->owner : 0;
}

bool WindowMinSizeForTest(int window, int& w, int& h) {
    Guard guard(M().lock);
    Window* win = FindWin(window);
    if (!win) return false;
    w = win->minW;
    h = win->minH;
    return true;
}

std::vector<MenuEntryForTest> MenuEntriesForTest(int window) {
    Guard guard(M().lock);
    std::vector<MenuEntryForTest> out;
    Window* w = FindWin(window);
    if (!w) return out;
    for (const MenuEntry& e : w->menu)
        out.push_back(MenuEntryForTest{e.menu, e.id, e.text, e.isMenu, e.rule, e.checked, e.enabled});
    return out;
}

void FailTrayAddsForTest(int count) {
    Guard guard(M().lock);
    M().trayAddFailures = count;
}

bool TrayIconShownForTest(int tray) {
    Guard guard(M().lock);
    auto it = M().trays.find(tray);
    return it != M().trays.end() && it->second.shown;
}

bool TrayIconForTest(int tray, int& window, int& icon, std::wstring& tip) {
    Guard guard(M().lock);
    auto it = M().trays.find(tray);
    if (it == M().trays.end()) return false;
    window = it->second.window;
    icon = it->second.icon;
    tip = it->second.tip;
    return true;
}

}  // namespace plat
