// The model's shared state and the helpers every part of it uses.
#include "platform/headless/gui_model.h"

#include <algorithm>

namespace plat::headless {

Model& M() {
    static Model model;
    return model;
}

Window* FindWin(int id) {
    auto it = M().windows.find(id);
    return it == M().windows.end() ? nullptr : &it->second;
}

Gadget* FindGadget(int id) {
    auto it = M().gadgets.find(id);
    return it == M().gadgets.end() ? nullptr : &it->second;
}

Gadget* FindGadgetOfKind(int id, GadgetKind kind) {
    Gadget* g = FindGadget(id);
    return g && g->kind == kind ? g : nullptr;
}

Gadget* FindList(int id) {
    Gadget* g = FindGadget(id);
    return g && (g->kind == GadgetKind::ListView || g->kind == GadgetKind::DirList) ? g : nullptr;
}

bool IdInUse(int id) { return M().windows.count(id) > 0 || M().gadgets.count(id) > 0; }

Box KeepMerge(const Box& box, int x, int y, int w, int h) {
    Box r = box;
    if (x != kKeep) r.x = x;
    if (y != kKeep) r.y = y;
    if (w != kKeep) r.w = w;
    if (h != kKeep) r.h = h;
    return r;
}

void Queue(EventKind kind, int window, int id, EventType type, uint32_t message) {
    GuiEvent e;
    e.kind = kind;
    e.window = window;
    e.id = id;
    e.type = type;
    e.message = message;
    M().events.push_back(e);
}

void PurgeWindowEvents(int window) {
    auto& q = M().events;
    q.erase(std::remove_if(q.begin(), q.end(), [&](const GuiEvent& e) { return e.window == window; }), q.end());
}

void PurgeGadgetEvents(int gadget) {
    auto& q = M().events;
    q.erase(std::remove_if(q.begin(), q.end(),
                           [&](const GuiEvent& e) { return e.kind == EventKind::Gadget && e.id == gadget; }),
            q.end());
}

void EraseGadget(int id) {
    Gadget* g = FindGadget(id);
    if (!g) return;
    std::vector<int> children;
    for (const auto& [cid, c] : M().gadgets)
        if (c.parent == id) children.push_back(cid);
    for (int c : children) EraseGadget(c);
    // A page leaves its panel's tab row.
    if (Gadget* panel = FindGadgetOfKind(g->parent, GadgetKind::Panel)) {
        auto& pages = panel->pages;
        auto it = std::find(pages.begin(), pages.end(), id);
        if (it != pages.end()) {
            pages.erase(it);
            if (panel->state >= int(pages.size())) panel->state = pages.empty() ? 0 : int(pages.size()) - 1;
        }
    }
    if (M().focus == id) M().focus = 0;
    PurgeGadgetEvents(id);
    M().gadgets.erase(id);
}

void LayoutSplitter(Gadget& s) {
    const bool sideBySide = (s.flags & kSplitSideBySide) != 0;
    const int total = sideBySide ? s.box.w : s.box.h;
    const int room = std::max(0, total - kSplitterBar);
    int pos = s.state;
    if (pos > room - s.minSecond) pos = room - s.minSecond;
    if (pos < s.minFirst) pos = s.minFirst;
    pos = std::clamp(pos, 0, room);
    s.state = pos;
    const int rest = room - pos;
    if (Gadget* a = FindGadget(s.first)) a->box = sideBySide ? Box{0, 0, pos, s.box.h} : Box{0, 0, s.box.w, pos};
    if (Gadget* b = FindGadget(s.second))
        b->box = sideBySide ? Box{pos + kSplitterBar, 0, rest, s.box.h} : Box{0, pos + kSplitterBar, s.box.w, rest};
    for (int part : {s.first, s.second}) {
        Gadget* p = FindGadget(part);
        if (p && p->kind == GadgetKind::Splitter) LayoutSplitter(*p);
        if (p && p->kind == GadgetKind::Panel) LayoutPanelPages(*p);
    }
}

void LayoutPanelPages(Gadget& panel) {
    for (int page : panel.pages)
        if (Gadget* p = FindGadget(page)) p->box = Box{0, 0, panel.box.w, panel.box.h};
}

bool WindowTakesInput(const Window& w) { return w.shown && w.enabled && w.state != WindowState::Minimized; }

bool Reachable(const Gadget& g) {
    const Gadget* cur = &g;
    while (cur) {
        if (!cur->shown || !cur->enabled) return false;
        Gadget* parent = FindGadget(cur->parent);
        if (parent && parent->kind == GadgetKind::Panel) {
            auto& pages = parent->pages;
            if (parent->state < 0 || parent->state >= int(pages.size()) || pages[parent->state] != cur->id)
                return false;
        }
        if (!parent) break;
        cur = parent;
    }
    const Window* w = FindWin(g.window);
    return w && WindowTakesInput(*w);
}

void ChangeCurrentRow(Gadget& list, int row) {
    if (row < -1 || row >= int(list.rows.size())) row = -1;
    if (row == list.current) return;
    list.current = row;
    Queue(EventKind::Gadget, list.window, list.id, EventType::Change);
}

}  // namespace plat::headless
