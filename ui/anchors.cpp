#include "ui/anchors.h"

#include "dialogs/design_units.h"
#include "platform/gui.h"

namespace ui {

static std::vector<Anchor> g_anchors;

std::vector<Anchor>& AnchorList() { return g_anchors; }
void ResetAnchors() { g_anchors.clear(); }

static Anchor& AnchorsEntry(int window, int widget) {
    for (Anchor& a : g_anchors)
        if (a.window == window && a.widget == widget) return a;
    return g_anchors.emplace_back();
}

void AnchorWidget(const std::wstring& letters, int window, int widget, int x, int y, int w, int h) {
    auto has = [&](wchar_t c) { return letters.find(c) != std::wstring::npos; };
    AnchorsEntry(window, widget) = Anchor{window, widget, x, y, w, h, has(L'L'), has(L'O'), has(L'R'), has(L'U')};
}

void RegisterAnchor(int window, int widget, int x, int y, int w, int h) {
    AnchorsEntry(window, widget) = Anchor{window, widget, x, y, w, h};
}

// Each side at its design place for DialogScale, shifted by the window's
// change where it follows; a side that neither follows nor is `all` stays.
static void AnchorsPlace(int window, bool all) {
    const Anchor* reference = nullptr;
    for (const Anchor& a : g_anchors) {
        if (a.window == window && a.widget == plat::kKeep) {
            reference = &a;
            break;
        }
    }
    if (!reference || !plat::WindowExists(window)) return;
    // The size on the screen, not the remembered one: maximised, the widgets
    // fill the maximised window.
    const plat::Box now = plat::GetWindowScreenBox(window);
    const int dx = now.w - dialogs::Scaled(reference->w);
    const int dy = now.h - dialogs::Scaled(reference->h);
    auto side = [all](bool follows, int design, int delta) {
        if (follows) return dialogs::Scaled(design) + delta;
        return all ? dialogs::Scaled(design) : plat::kKeep;
    };
    for (const Anchor& a : g_anchors) {
        if (a.window != window || a.widget == plat::kKeep) continue;
        if (!all && !a.left && !a.top && !a.width && !a.height) continue;
        plat::ResizeGadget(a.widget, side(a.left, a.x, dx), side(a.top, a.y, dy), side(a.width, a.w, dx),
                           side(a.height, a.h, dy));
    }
}

void ApplyAnchors(int window) { AnchorsPlace(window, false); }

void RelayoutAnchors(int window) { AnchorsPlace(window, true); }

}  // namespace ui
