// Display scaling in the headless model, as gui_dpi.cpp of the Win32 layer
// has it: each window has the DPI of its monitor (the screen DPI of the
// portable layer's tables when it opens), a change of DPI scales the
// gadgets from the boxes the program gave them, and windows are kept on the
// work area of the model's one screen.
#include <algorithm>

#include "platform/headless/gui_model.h"
#include "platform/shell.h"

namespace plat::headless {

int NewWindowDpi() {
    const int dpi = ScreenDpiX();
    return dpi > 0 ? dpi : 96;
}

// MulDiv: rounded half away from zero.
static int DpiScaled(int value, int to, int from) {
    if (from <= 0) return value;
    const long long product = static_cast<long long>(value) * to;
    const long long half = from / 2;
    return static_cast<int>(product >= 0 ? (product + half) / from : -((-product + half) / from));
}

void RememberGiven(Gadget& g) {
    g.given = g.box;
    const Window* w = FindWin(g.window);
    g.givenDpi = w ? w->dpi : NewWindowDpi();
}

void KeepOnScreen(Window& w) {
    const int workW = M().screenW, workH = M().screenH - kTaskbarH;
    const int extraW = 2 * kFrameBorder, extraH = kCaptionH + 2 * kFrameBorder;
    Box b = w.state == WindowState::Normal ? w.box : w.normalBox;
    if (b.w + extraW > workW) b.w = std::max(workW - extraW, w.minW);
    if (b.h + extraH > workH) b.h = std::max(workH - extraH, w.minH);
    b.x = std::max(0, std::min(b.x, workW - b.w - extraW));
    b.y = std::max(0, std::min(b.y, workH - b.h - extraH));
    w.normalBox = b;
    if (w.state != WindowState::Maximized) w.box = b;
}

bool ChangeDpi(int window, int dpi) {
    Window* w = FindWin(window);
    if (!w || dpi <= 0) return false;
    const int old = w->dpi;
    w->dpi = dpi;
    w->box.w = DpiScaled(w->box.w, dpi, old);
    w->box.h = DpiScaled(w->box.h, dpi, old);
    if (w->state == WindowState::Normal) w->normalBox = w->box;
    std::vector<Gadget*> laidOut;
    for (auto& [id, g] : M().gadgets) {
        if (g.window != window) continue;
        const Gadget* parent = FindGadget(g.parent);
        if (g.kind == GadgetKind::PanelPage || (parent && parent->kind == GadgetKind::Splitter)) continue;
        if (g.givenDpi > 0)
            g.box = Box{DpiScaled(g.given.x, dpi, g.givenDpi), DpiScaled(g.given.y, dpi, g.givenDpi),
                        DpiScaled(g.given.w, dpi, g.givenDpi), DpiScaled(g.given.h, dpi, g.givenDpi)};
        if (g.kind == GadgetKind::Splitter) g.state = DpiScaled(g.state, dpi, old);
        if (g.kind == GadgetKind::Splitter || g.kind == GadgetKind::Panel) laidOut.push_back(&g);
    }
    // Outer ones first: creation order puts a splitter before one inside it.
    std::sort(laidOut.begin(), laidOut.end(), [](const Gadget* a, const Gadget* b) { return a->order < b->order; });
    for (Gadget* g : laidOut) {
        if (g->kind == GadgetKind::Splitter)
            LayoutSplitter(*g);
        else
            LayoutPanelPages(*g);
    }
    Queue(EventKind::DpiChanged, window, 0);
    return true;
}

}  // namespace plat::headless

namespace plat {

using namespace headless;

int GetWindowDpi(int id) {
    Guard guard(M().lock);
    const Window* w = FindWin(id);
    return w ? w->dpi : 0;
}

void KeepWindowOnScreen(int id) {
    Guard guard(M().lock);
    if (Window* w = FindWin(id)) KeepOnScreen(*w);
}

}  // namespace plat
