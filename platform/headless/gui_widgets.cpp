// Gadgets of the headless model: creation, texts, states, geometry, focus,
// fonts, colours and pictures.
#include <algorithm>
#include <cwctype>

#include "platform/common/dirlist_text.h"
#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

// The window a new gadget lands in, or 0 when `parent` cannot hold gadgets.
static int WidgetsWindowOf(int parent) {
    if (FindWin(parent)) return parent;
    const Gadget* p = FindGadget(parent);
    if (p && (p->kind == GadgetKind::Container || p->kind == GadgetKind::PanelPage)) return p->window;
    return 0;
}

static Gadget* WidgetsCreate(int id, int parent, Box box, GadgetKind kind, uint32_t flags) {
    if (id <= 0 || IdInUse(id)) return nullptr;
    const int window = WidgetsWindowOf(parent);
    if (window == 0) return nullptr;
    Gadget& g = M().gadgets[id];
    g.kind = kind;
    g.id = id;
    g.window = window;
    g.parent = parent;
    g.order = M().nextOrder++;
    g.box = box;
    g.flags = flags;
    g.font = M().defaultFont;
    RememberGiven(g);
    return &g;
}

// What an up-down control reads from its buddy: an integer with optional
// sign and surrounding blanks; anything else is not a value.
static bool WidgetsParseInt(const std::wstring& text, int& out) {
    size_t i = 0;
    while (i < text.size() && iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long value = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 12) {
        value = value * 10 + (text[i++] - L'0');
        ++digits;
    }
    while (i < text.size() && iswspace(text[i])) ++i;
    if (digits == 0 || i != text.size()) return false;
    if (negative) value = -value;
    out = int(std::clamp<long long>(value, -2147483647LL, 2147483647LL));
    return true;
}

bool CreateButton(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Button, flags);
    if (g) g->text = text;
    return g != nullptr;
}

bool CreateText(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Text, flags);
    if (g) g->text = text;
    return g != nullptr;
}

bool CreateCheckBox(int id, int parent, Box box, const std::wstring& text) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::CheckBox, 0);
    if (g) g->text = text;
    return g != nullptr;
}

bool CreateImage(int id, int parent, Box box, int icon) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Image, 0);
    if (g) g->icon = icon;
    return g != nullptr;
}

bool CreateProgressBar(int id, int parent, Box box, int minimum, int maximum) {
    Guard guard(M().lock);
    if (maximum < minimum) return false;
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::ProgressBar, 0);
    if (!g) return false;
    g->minimum = minimum;
    g->maximum = maximum;
    g->state = minimum;
    return true;
}

bool CreatePanel(int id, int parent, Box box) {
    Guard guard(M().lock);
    return WidgetsCreate(id, parent, box, GadgetKind::Panel, 0) != nullptr;
}

bool AddPanelTab(int panel, int page, const std::wstring& text) {
    Guard guard(M().lock);
    Gadget* p = FindGadgetOfKind(panel, GadgetKind::Panel);
    if (!p || page <= 0 || IdInUse(page)) return false;
    const int window = p->window;
    Gadget& g = M().gadgets[page];  // map nodes stay put: `p` remains valid
    g.kind = GadgetKind::PanelPage;
    g.id = page;
    g.window = window;
    g.parent = panel;
    g.order = M().nextOrder++;
    g.text = text;
    g.font = M().defaultFont;
    p->pages.push_back(page);
    LayoutPanelPages(*p);
    return true;
}

bool CreateContainer(int id, int parent, Box box, uint32_t flags) {
    Guard guard(M().lock);
    return WidgetsCreate(id, parent, box, GadgetKind::Container, flags) != nullptr;
}

bool CreateFrame(int id, int parent, Box box, const std::wstring& text) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Frame, 0);
    if (g) g->text = text;
    return g != nullptr;
}

bool CreateEdit(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Edit, flags);
    if (g) g->text = text;
    return g != nullptr;
}

bool CreateEditor(int id, int parent, Box box, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Editor, flags);
    if (g) g->wordWrap = (flags & kWordWrap) != 0;
    return g != nullptr;
}

bool CreateSpin(int id, int parent, Box box, int minimum, int maximum) {
    Guard guard(M().lock);
    if (maximum < minimum) return false;
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::Spin, 0);
    if (!g) return false;
    g->minimum = minimum;
    g->maximum = maximum;
    g->state = std::clamp(0, minimum, maximum);
    g->text = std::to_wstring(g->state);
    return true;
}

bool CreateListView(int id, int parent, Box box, uint32_t flags) {
    Guard guard(M().lock);
    return WidgetsCreate(id, parent, box, GadgetKind::ListView, flags) != nullptr;
}

bool CreateDirList(int id, int parent, Box box, const std::wstring& dir, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* g = WidgetsCreate(id, parent, box, GadgetKind::DirList, flags);
    if (!g) return false;
    g->columns = {{DirListColumnTitle(ShellColumn::Name), 100},
                  {DirListColumnTitle(ShellColumn::Size), 100},
                  {DirListColumnTitle(ShellColumn::Type), 100},
                  {DirListColumnTitle(ShellColumn::Modified), 100}};
    g->dirList.flags = flags;
    g->text = dir;
    FillDirList(*g);
    return true;
}

bool CreateSplitter(int id, int parent, Box box, int first, int second, uint32_t flags) {
    Guard guard(M().lock);
    Gadget* a = FindGadget(first);
    Gadget* b = FindGadget(second);
    if (!a || !b || first == second || a->window != b->window) return false;
    if (WidgetsWindowOf(parent) != a->window) return false;
    Gadget* s = WidgetsCreate(id, parent, box, GadgetKind::Splitter, flags);
    if (!s) return false;
    s->first = first;
    s->second = second;
    FindGadget(first)->parent = id;
    FindGadget(second)->parent = id;
    const int total = (flags & kSplitSideBySide) ? box.w : box.h;
    s->state = std::max(0, total - kSplitterBar) / 2;
    LayoutSplitter(*s);
    return true;
}

void SetSplitterMinSizes(int id, int first, int second) {
    Guard guard(M().lock);
    Gadget* s = FindGadgetOfKind(id, GadgetKind::Splitter);
    if (!s) return;
    s->minFirst = std::max(0, first);
    s->minSecond = std::max(0, second);
    LayoutSplitter(*s);
}

void RemoveGadget(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    if (!g) return;
    // A splitter that loses a part keeps the other where it is.
    for (auto& [sid, s] : M().gadgets) {
        if (s.kind != GadgetKind::Splitter) continue;
        if (s.first == id) s.first = 0;
        if (s.second == id) s.second = 0;
    }
    EraseGadget(id);
}

bool GadgetExists(int id) {
    Guard guard(M().lock);
    return FindGadget(id) != nullptr;
}

namespace headless {

void AssignText(Gadget& g, const std::wstring& text) {
    switch (g.kind) {
        case GadgetKind::DirList:
            g.text = text;
            FillDirList(g);
            break;
        case GadgetKind::Spin: {
            g.text = text;
            int value = 0;
            if (WidgetsParseInt(text, value)) g.state = std::clamp(value, g.minimum, g.maximum);
            break;
        }
        case GadgetKind::ListView:
        case GadgetKind::Panel:
        case GadgetKind::Image:
        case GadgetKind::ProgressBar:
        case GadgetKind::Splitter:
        case GadgetKind::Container:
            break;
        default:
            g.text = text;
    }
}

}  // namespace headless

void SetGadgetText(int id, const std::wstring& text) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) AssignText(*g, text);
}

std::wstring GetGadgetText(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    if (!g) return std::wstring();
    switch (g->kind) {
        case GadgetKind::Panel: {
            if (g->state < 0 || g->state >= int(g->pages.size())) return std::wstring();
            Gadget* page = FindGadget(g->pages[g->state]);
            return page ? page->text : std::wstring();
        }
        case GadgetKind::ListView:
            if (g->current < 0 || g->rows[g->current].cells.empty()) return std::wstring();
            return g->rows[g->current].cells[0];
        case GadgetKind::Image:
        case GadgetKind::ProgressBar:
        case GadgetKind::Splitter:
        case GadgetKind::Container:
            return std::wstring();
        default:
            return g->text;
    }
}

void SetGadgetState(int id, int state) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    if (!g) return;
    switch (g->kind) {
        case GadgetKind::Button:
            if (g->flags & kButtonToggle) g->state = state != 0;
            break;
        case GadgetKind::CheckBox:
            g->state = state != 0;
            break;
        case GadgetKind::ProgressBar:
            g->state = std::clamp(state, g->minimum, g->maximum);
            break;
        case GadgetKind::Spin:
            g->state = std::clamp(state, g->minimum, g->maximum);
            g->text = std::to_wstring(g->state);
            break;
        case GadgetKind::Panel:
            if (state >= 0 && state < int(g->pages.size())) g->state = state;
            break;
        case GadgetKind::Splitter:
            g->state = state;
            LayoutSplitter(*g);
            break;
        case GadgetKind::ListView:
        case GadgetKind::DirList:
            ChangeCurrentRow(*g, state);
            break;
        default:
            break;
    }
}

int GetGadgetState(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    if (!g) return 0;
    switch (g->kind) {
        case GadgetKind::Button:
        case GadgetKind::CheckBox:
        case GadgetKind::ProgressBar:
        case GadgetKind::Spin:
        case GadgetKind::Panel:
        case GadgetKind::Splitter:
            return g->state;
        case GadgetKind::ListView:
        case GadgetKind::DirList:
            return g->current;
        default:
            return 0;
    }
}

void SetGadgetEnabled(int id, bool enabled) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) g->enabled = enabled;
}

bool GetGadgetEnabled(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    return g && g->enabled;
}

void SetGadgetShown(int id, bool shown) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) g->shown = shown;
}

bool GetGadgetShown(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    return g && g->shown;
}

void ResizeGadget(int id, int x, int y, int w, int h) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    if (!g) return;
    const Box old = g->box;
    g->box = KeepMerge(g->box, x, y, w, h);
    RememberGiven(*g);
    if (g->kind == GadgetKind::Splitter) {
        if (g->flags & kSplitSecondFixed) {
            const bool sideBySide = (g->flags & kSplitSideBySide) != 0;
            const int oldTotal = sideBySide ? old.w : old.h;
            const int newTotal = sideBySide ? g->box.w : g->box.h;
            g->state += newTotal - oldTotal;
        }
        LayoutSplitter(*g);
    } else if (g->kind == GadgetKind::Panel) {
        LayoutPanelPages(*g);
    }
}

Box GetGadgetBox(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    return g ? g->box : Box{};
}

void SetGadgetToolTip(int id, const std::wstring& text) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) g->toolTip = text;
}

void SetActiveGadget(int id) {
    Guard guard(M().lock);
    if (FindGadget(id)) M().focus = id;
}

int GetActiveGadget() {
    Guard guard(M().lock);
    return M().focus;
}

void SetDefaultFont(const Font& font) {
    Guard guard(M().lock);
    M().defaultFont = font;
}

void SetGadgetFont(int id, const Font& font) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) g->font = font;
}

Font GetGadgetFont(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    return g ? g->font : Font{};
}

void SetGadgetColor(int id, uint32_t color) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadget(id)) g->color = color;
}

uint32_t GetGadgetColor(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadget(id);
    return g ? g->color : kColorDefault;
}

void SetGadgetImage(int id, int icon) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadgetOfKind(id, GadgetKind::Image)) g->icon = icon;
}

int GetGadgetImage(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::Image);
    return g ? g->icon : 0;
}

void InsertEditorTextAtTop(int id, const std::wstring& text) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadgetOfKind(id, GadgetKind::Editor)) g->text.insert(0, text);
}

// Rich edit refuses EM_SETTEXTMODE once it holds text; so does the model,
// so that a program that switches too late finds out on the host.
void SetEditorPlainText(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::Editor);
    if (g && g->text.empty()) g->plainText = true;
}

void SetEditorWordWrap(int id, bool wrap) {
    Guard guard(M().lock);
    if (Gadget* g = FindGadgetOfKind(id, GadgetKind::Editor)) g->wordWrap = wrap;
}

}  // namespace plat
