// Keys in the headless model, in the order Windows handles them in our
// loops: the window's accelerators (TranslateAcceleratorW), then the dialog
// keys (IsDialogMessageW), then the gadget with the focus. What a real
// window does with each key under Wine is checked end to end; this model
// follows it.
#include <algorithm>
#include <cwctype>

#include "platform/headless/gui_model.h"

namespace plat::headless {

// The gadget with the focus if it is in this window; 0 when the window
// itself has it (as after its activation: our window class keeps no
// focused control).
static int KeysFocusIn(const Window& w) {
    const Gadget* g = FindGadget(M().focus);
    return g && g->window == w.id && Reachable(*g) ? g->id : 0;
}

static bool KeysTextField(const Gadget* g) {
    return g && (g->kind == GadgetKind::Edit || g->kind == GadgetKind::Editor || g->kind == GadgetKind::Spin);
}

// A text field keeps the plain keys it edits with (Ins, Del, ...): only a
// shortcut with Ctrl or Alt reaches the menu from there.
// Escape, and Enter outside a multi-line field, edit nothing: they stay the
// window's, as the Win32 layer has them.
static bool KeysFieldKeeps(const Gadget* g, int key) {
    if (!KeysTextField(g) || key == kKeyEscape) return false;
    return key != kKeyReturn || g->kind == GadgetKind::Editor;
}

static bool KeysAccelerator(const Window& w, int key, uint32_t modifiers) {
    if (KeysFieldKeeps(FindGadget(KeysFocusIn(w)), key) && !(modifiers & (kModCtrl | kModAlt))) return false;
    for (const Shortcut& s : w.shortcuts) {
        if (s.key != key || s.modifiers != modifiers) continue;
        const MenuEntry* e = FindMenuEntry(w, s.item);
        if (!e || MenuEntryLive(w, *e)) Queue(EventKind::Menu, w.id, s.item);
        return true;
    }
    return false;
}

// WS_TABSTOP: every kind the user types into, clicks or selects in.
static bool KeysTabStop(const Gadget& g) {
    switch (g.kind) {
        case GadgetKind::Button:
        case GadgetKind::CheckBox:
        case GadgetKind::Edit:
        case GadgetKind::Editor:
        case GadgetKind::Spin:
        case GadgetKind::ListView:
        case GadgetKind::DirList:
        case GadgetKind::Panel:
            return Reachable(g);
        default:
            return false;
    }
}

static std::vector<const Gadget*> KeysInOrder(int window) {
    std::vector<const Gadget*> all;
    for (const auto& [id, g] : M().gadgets)
        if (g.window == window) all.push_back(&g);
    std::sort(all.begin(), all.end(), [](const Gadget* a, const Gadget* b) { return a->order < b->order; });
    return all;
}

// The next (or previous) tab stop after `from` in creation order, round
// the end; from the window itself the first (or last).
static int KeysNextTabStop(int window, int from, bool backwards) {
    std::vector<const Gadget*> stops;
    int at = -1;
    for (const Gadget* g : KeysInOrder(window)) {
        if (g->id == from) at = int(stops.size());
        if (KeysTabStop(*g)) stops.push_back(g);
    }
    if (stops.empty()) return 0;
    const int n = int(stops.size());
    if (at < 0) return backwards ? stops.back()->id : stops.front()->id;
    // `at` is where `from` stands among the stops (or would stand).
    const bool fromIsStop = at < n && stops[at]->id == from;
    const int next = backwards ? at - 1 : (fromIsStop ? at + 1 : at);
    return stops[size_t((next % n + n) % n)]->id;
}

// BM_CLICK: a push button reports the click, a check box or toggle button
// changes first; nothing for a gadget that takes no input.
static void KeysClick(Gadget& g) {
    if (!Reachable(g)) return;
    if (g.kind == GadgetKind::CheckBox || (g.kind == GadgetKind::Button && (g.flags & kButtonToggle)))
        g.state = !g.state;
    M().focus = g.id;
    Queue(EventKind::Gadget, g.window, g.id, EventType::LeftClick);
}

static bool KeysPushButton(const Gadget* g) {
    return g && g->kind == GadgetKind::Button && !(g->flags & kButtonToggle);
}

// Enter: a multi-line text keeps it; a push button with the focus is the
// default while it has it; otherwise the dialog's own default button.
static void KeysEnter(const Window& w) {
    Gadget* focus = FindGadget(KeysFocusIn(w));
    if (focus && focus->kind == GadgetKind::Editor) return;
    Gadget* target = KeysPushButton(focus) ? focus : FindGadget(w.okButton);
    // IsDialogMessageW sends the default button's command: the focus stays
    // where it was.
    if (target && target->window == w.id && Reachable(*target))
        Queue(EventKind::Gadget, target->window, target->id, EventType::LeftClick);
}

// Escape: IDCANCEL, the cancel button or the close box. A multi-line rich
// text takes the key itself and asks its parent to close (WM_CLOSE), which
// is the close box only where that parent is the window.
static void KeysEscape(const Window& w) {
    Gadget* focus = FindGadget(KeysFocusIn(w));
    if (focus && focus->kind == GadgetKind::Editor) {
        if (focus->parent == w.id) Queue(EventKind::CloseWindow, w.id, 0);
        return;
    }
    if (w.cancelButton == 0) {
        Queue(EventKind::CloseWindow, w.id, 0);
        return;
    }
    if (Gadget* cancel = FindGadget(w.cancelButton)) KeysClick(*cancel);
}

// The letter after a single "&" of a caption, 0 when it has none.
static wchar_t KeysMnemonic(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] != L'&') return wchar_t(std::towupper(text[i + 1]));
        ++i;
    }
    return 0;
}

// Alt with a letter: the control whose caption underlines it. A button is
// clicked; a label or frame hands the focus to the next tab stop after it.
static void KeysAltLetter(const Window& w, int key) {
    for (const Gadget* g : KeysInOrder(w.id)) {
        if (!Reachable(*g) || KeysMnemonic(g->text) != wchar_t(key)) continue;
        if (g->kind == GadgetKind::Button || g->kind == GadgetKind::CheckBox) {
            KeysClick(*FindGadget(g->id));
        } else if (g->kind == GadgetKind::Text || g->kind == GadgetKind::Frame) {
            if (const int next = KeysNextTabStop(w.id, g->id, false)) M().focus = next;
        }
        return;
    }
}

bool PressKey(int window, int key, uint32_t modifiers) {
    Window* w = FindWin(window);
    if (!w || !WindowTakesInput(*w) || M().foreground != window) return false;
    if (KeysAccelerator(*w, key, modifiers)) return true;
    if (key == kKeyTab && !(modifiers & (kModCtrl | kModAlt))) {
        if (const int next = KeysNextTabStop(window, KeysFocusIn(*w), (modifiers & kModShift) != 0)) M().focus = next;
        return true;
    }
    if (!w->dialogKeys || (modifiers & (kModCtrl | kModShift))) return true;
    if (modifiers & kModAlt) {
        if (key >= 'A' && key <= 'Z') KeysAltLetter(*w, key);
    } else if (key == kKeyReturn) {
        KeysEnter(*w);
    } else if (key == kKeyEscape) {
        KeysEscape(*w);
    }
    return true;
}

}  // namespace plat::headless
