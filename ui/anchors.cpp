#include "ui/anchors.h"

#include "platform/gui.h"

namespace ui {

static std::vector<Anchor> g_anchors;

std::vector<Anchor>& AnchorList() { return g_anchors; }
#ifdef TRESORO_TEST_HOOKS
void ResetAnchorsForTest() { g_anchors.clear(); }
#endif

void AnchorWidget(const std::wstring& letters, int window, int widget, int x, int y, int w, int h) {
    if (letters.empty()) return;
    auto has = [&](wchar_t c) { return letters.find(c) != std::wstring::npos; };
    RegisterAnchor(window, widget, has(L'L') ? x : plat::kKeep, has(L'O') ? y : plat::kKeep,
                   has(L'R') ? w : plat::kKeep, has(L'U') ? h : plat::kKeep);
}

void RegisterAnchor(int window, int widget, int x, int y, int w, int h) {
    Anchor* entry = nullptr;
    for (Anchor& a : g_anchors) {
        if (a.window == window && a.widget == widget) {
            entry = &a;
            break;
        }
    }
    if (!entry) entry = &g_anchors.emplace_back();
    *entry = Anchor{window, widget, x, y, w, h};
}

static int AnchorsShift(int value, int delta) { return value == plat::kKeep ? plat::kKeep : value + delta; }

void ApplyAnchors(int window) {
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
    const int dx = now.w - reference->w;
    const int dy = now.h - reference->h;
    for (const Anchor& a : g_anchors) {
        if (a.window != window || a.widget == plat::kKeep) continue;
        plat::ResizeGadget(a.widget, AnchorsShift(a.x, dx), AnchorsShift(a.y, dy), AnchorsShift(a.w, dx),
                           AnchorsShift(a.h, dy));
    }
}

}  // namespace ui
