// Gadgets on Windows: the standard and common controls, their texts and
// states, fonts, colours and icons.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>
#include <richedit.h>

#include <cwchar>
#include <cwctype>

namespace plat::wgui {

bool ParentHandle(int parent, HWND& hwnd, int& window) {
    if (WindowRec* w = FindWindowRec(parent)) {
        hwnd = w->hwnd;
        window = parent;
        return true;
    }
    GadgetRec* g = FindGadget(parent);
    if (!g || (g->kind != Kind::Container && g->kind != Kind::PanelPage)) return false;
    hwnd = g->hwnd;
    window = g->window;
    return true;
}

bool RegisterGadget(int id, HWND hwnd, Kind kind, int parent, uint32_t flags) {
    if (!hwnd) return false;
    HWND unused;
    int window = 0;
    ParentHandle(parent, unused, window);
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        static int created = 0;
        GadgetRec& g = Gadgets()[id];
        g.order = ++created;
        g.hwnd = hwnd;
        g.kind = kind;
        g.window = window;
        g.parent = parent;
        g.flags = flags;
        g.font = DefaultFont();
        HwndIds()[hwnd] = id;
        RememberGivenBox(g);
    }
    SendMessageW(hwnd, WM_SETFONT, WPARAM(FontHandle(DefaultFont(), WindowDpiById(window))), FALSE);
    return true;
}

void DestroyGadgetTree(int id) {
    std::vector<int> children;
    for (auto& [cid, g] : Gadgets())
        if (g.parent == id) children.push_back(cid);
    for (int c : children) DestroyGadgetTree(c);
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    HWND hwnd = g->hwnd, buddy = g->buddy;
    {
        Quiet quiet;
        if (buddy) DestroyWindow(buddy);
        DestroyWindow(hwnd);
    }
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    HwndIds().erase(hwnd);
    Gadgets().erase(id);
}

static HWND MakeControl(int id, int parent, Box box, const wchar_t* cls, const std::wstring& text, DWORD style,
                        DWORD ex = 0) {
    HWND parentHwnd = nullptr;
    int window = 0;
    if (!EnsureGuiInit() || IdInUse(id) || !ParentHandle(parent, parentHwnd, window)) return nullptr;
    Quiet quiet;
    // The gadget id doubles as the control id, so that tools outside the
    // program (the end-to-end tests' probe) can tell the controls apart.
    return CreateWindowExW(ex, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, box.x, box.y, box.w, box.h, parentHwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

static std::wstring WindowText(HWND hwnd) {
    std::wstring text(size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

// Spins keep their value themselves: a typed text that is no number leaves
// the last good value. Blanks around the number are no reason to drop it.
static void SpinReadText(GadgetRec& g) {
    const std::wstring text = WindowText(g.hwnd);
    wchar_t* end = nullptr;
    const long v = wcstol(text.c_str(), &end, 10);
    while (end && iswspace(*end)) ++end;
    if (!end || end == text.c_str() || *end != 0) return;
    g.spinValue = int(v < g.minimum ? g.minimum : v > g.maximum ? g.maximum : v);
}

bool HandleCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    const int code = HIWORD(wp);
    if (lp == 0) {
        // A menu item or an accelerator; a disabled item raises nothing.
        return MenuCommand(IdOfHwnd(GetAncestor(hwnd, GA_ROOT)), LOWORD(wp));
    }
    const int id = IdOfHwnd(reinterpret_cast<HWND>(lp));
    GadgetRec* g = FindGadget(id);
    if (!g || IsQuiet()) return g != nullptr;
    GuiEvent e;
    e.kind = EventKind::Gadget;
    e.window = g->window;
    e.id = id;
    switch (g->kind) {
        case Kind::Button:
        case Kind::CheckBox:
            if (code != BN_CLICKED) return true;
            e.type = EventType::LeftClick;
            break;
        case Kind::Edit:
        case Kind::Editor:
            if (code != EN_CHANGE) return true;
            e.type = EventType::Change;
            break;
        case Kind::Spin:
            if (code != EN_CHANGE) return true;
            SpinReadText(*g);
            e.type = EventType::Change;
            break;
        default:
            return true;
    }
    PushEvent(e);
    return true;
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreateButton(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    const DWORD style = WS_TABSTOP | ((flags & kButtonToggle) ? (BS_AUTOCHECKBOX | BS_PUSHLIKE) : BS_PUSHBUTTON);
    return RegisterGadget(id, MakeControl(id, parent, box, WC_BUTTONW, text, style), Kind::Button, parent, flags);
}

bool CreateText(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    const DWORD style = SS_NOPREFIX | ((flags & kTextRight) ? SS_RIGHT : (flags & kTextCenter) ? SS_CENTER : SS_LEFT);
    return RegisterGadget(id, MakeControl(id, parent, box, WC_STATICW, text, style), Kind::Text, parent, flags);
}

bool CreateCheckBox(int id, int parent, Box box, const std::wstring& text) {
    return RegisterGadget(id, MakeControl(id, parent, box, WC_BUTTONW, text, WS_TABSTOP | BS_AUTOCHECKBOX),
                          Kind::CheckBox, parent, 0);
}

bool CreateImage(int id, int parent, Box box, int icon) {
    if (!RegisterGadget(id, MakeControl(id, parent, box, WC_STATICW, L"", SS_ICON | SS_NOTIFY | SS_CENTERIMAGE),
                        Kind::Image, parent, 0))
        return false;
    SetGadgetImage(id, icon);
    return true;
}

bool CreateProgressBar(int id, int parent, Box box, int minimum, int maximum) {
    if (!RegisterGadget(id, MakeControl(id, parent, box, PROGRESS_CLASSW, L"", 0), Kind::ProgressBar, parent, 0))
        return false;
    GadgetRec* g = FindGadget(id);
    g->minimum = minimum;
    g->maximum = maximum;
    SendMessageW(g->hwnd, PBM_SETRANGE32, WPARAM(minimum), LPARAM(maximum));
    SendMessageW(g->hwnd, PBM_SETPOS, WPARAM(minimum), 0);
    return true;
}

bool CreateContainer(int id, int parent, Box box, uint32_t flags) {
    return RegisterGadget(id, MakeControl(id, parent, box, kContainerClass, L"", WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT),
                          Kind::Container, parent, flags);
}

bool CreateFrame(int id, int parent, Box box, const std::wstring& text) {
    return RegisterGadget(id, MakeControl(id, parent, box, WC_BUTTONW, text, BS_GROUPBOX), Kind::Frame, parent, 0);
}

bool CreateEdit(int id, int parent, Box box, const std::wstring& text, uint32_t flags) {
    const DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ((flags & kReadOnly) ? ES_READONLY : 0);
    return RegisterGadget(id, MakeControl(id, parent, box, WC_EDITW, text, style, WS_EX_CLIENTEDGE), Kind::Edit, parent,
                          flags);
}

bool CreateEditor(int id, int parent, Box box, uint32_t flags) {
    DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
    if (!(flags & kWordWrap)) style |= ES_AUTOHSCROLL | WS_HSCROLL;
    if (flags & kReadOnly) style |= ES_READONLY;
    HWND hwnd = MakeControl(id, parent, box, MSFTEDIT_CLASS, L"", style, WS_EX_CLIENTEDGE);
    if (!RegisterGadget(id, hwnd, Kind::Editor, parent, flags)) return false;
    SendMessageW(hwnd, EM_EXLIMITTEXT, 0, LPARAM(0x7FFFFFFE));
    SendMessageW(hwnd, EM_SETEVENTMASK, 0, ENM_CHANGE);
    return true;
}

// The value starts at 0, or the end of the range nearer to it, where the
// up-down control's own position starts.
bool CreateSpin(int id, int parent, Box box, int minimum, int maximum) {
    const int start = minimum > 0 ? minimum : maximum < 0 ? maximum : 0;
    HWND edit = MakeControl(id, parent, box, WC_EDITW, std::to_wstring(start), WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
                            WS_EX_CLIENTEDGE);
    if (!RegisterGadget(id, edit, Kind::Spin, parent, 0)) return false;
    Quiet quiet;
    HWND updown =
        CreateWindowExW(0, UPDOWN_CLASSW, L"",
                        WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                        0, 0, 0, GetParent(edit), nullptr, GetModuleHandleW(nullptr), nullptr);
    GadgetRec* g = FindGadget(id);
    g->buddy = updown;
    g->minimum = minimum;
    g->maximum = maximum;
    g->spinValue = start;
    SendMessageW(updown, UDM_SETBUDDY, WPARAM(edit), 0);
    SendMessageW(updown, UDM_SETRANGE32, WPARAM(minimum), LPARAM(maximum));
    SendMessageW(updown, UDM_SETPOS32, 0, LPARAM(start));
    return true;
}

void RemoveGadget(int id) { DestroyGadgetTree(id); }
bool GadgetExists(int id) { return FindGadget(id) != nullptr; }

// True when the window shows exactly `text` already.
static bool WindowTextIs(HWND hwnd, const std::wstring& text) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length < 0 || static_cast<size_t>(length) != text.size()) return false;
    std::wstring shown(text.size() + 1, L'\0');
    shown.resize(static_cast<size_t>(GetWindowTextW(hwnd, shown.data(), length + 1)));
    return shown == text;
}

void SetGadgetText(int id, const std::wstring& text) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    Quiet quiet;
    switch (g->kind) {
        case Kind::ListView:
        case Kind::ProgressBar:
        case Kind::Image:
        case Kind::Splitter:
            return;
        case Kind::DirList:
            SetWindowTextW(g->hwnd, text.c_str());
            FillDirList(id);
            return;
        case Kind::Panel: {
            const int cur = int(SendMessageW(g->hwnd, TCM_GETCURSEL, 0, 0));
            if (cur < 0) return;
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            std::wstring t = text;
            item.pszText = t.data();
            SendMessageW(g->hwnd, TCM_SETITEMW, WPARAM(cur), LPARAM(&item));
            return;
        }
        case Kind::PanelPage: {
            SetWindowTextW(g->hwnd, text.c_str());
            GadgetRec* p = FindGadget(g->parent);
            if (!p) return;
            for (size_t i = 0; i < p->pages.size(); ++i) {
                if (p->pages[i] != id) continue;
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                std::wstring t = text;
                item.pszText = t.data();
                SendMessageW(p->hwnd, TCM_SETITEMW, WPARAM(i), LPARAM(&item));
            }
            return;
        }
        case Kind::Text:
            // A run sets its labels once per copied file, mostly to what they
            // show already (the size of a small file, the megabytes copied);
            // a label left as it is costs no repaint.
            if (!WindowTextIs(g->hwnd, text)) SetWindowTextW(g->hwnd, text.c_str());
            return;
        case Kind::Spin:
            SetWindowTextW(g->hwnd, text.c_str());
            SpinReadText(*g);
            SetWindowTextW(g->hwnd, std::to_wstring(g->spinValue).c_str());
            return;
        default:
            SetWindowTextW(g->hwnd, text.c_str());
    }
}

std::wstring GetGadgetText(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g) return L"";
    switch (g->kind) {
        case Kind::ListView: {
            const int row = GetListCurrentRow(id);
            return row < 0 ? L"" : GetListCell(id, row, 0);
        }
        case Kind::Panel: {
            const int cur = int(SendMessageW(g->hwnd, TCM_GETCURSEL, 0, 0));
            if (cur < 0 || size_t(cur) >= g->pages.size()) return L"";
            return GetGadgetText(g->pages[size_t(cur)]);
        }
        case Kind::ProgressBar:
        case Kind::Image:
        case Kind::Splitter:
            return L"";
        default:
            return WindowText(g->hwnd);
    }
}

void SetGadgetState(int id, int state) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    Quiet quiet;
    switch (g->kind) {
        case Kind::CheckBox:
            SendMessageW(g->hwnd, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Kind::Button:
            if (g->flags & kButtonToggle) SendMessageW(g->hwnd, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case Kind::ProgressBar:
            SendMessageW(g->hwnd, PBM_SETPOS,
                         WPARAM(state < g->minimum   ? g->minimum
                                : state > g->maximum ? g->maximum
                                                     : state),
                         0);
            break;
        case Kind::Spin:
            g->spinValue = state < g->minimum ? g->minimum : state > g->maximum ? g->maximum : state;
            SendMessageW(g->buddy, UDM_SETPOS32, 0, LPARAM(g->spinValue));
            SetWindowTextW(g->hwnd, std::to_wstring(g->spinValue).c_str());
            break;
        case Kind::Panel:
            if (state < 0 || size_t(state) >= g->pages.size()) break;
            SendMessageW(g->hwnd, TCM_SETCURSEL, WPARAM(state), 0);
            LayoutPanel(*g);
            break;
        case Kind::Splitter:
            g->position = state;
            LayoutSplitter(*g);
            break;
        case Kind::ListView:
        case Kind::DirList:
            SetListCurrentRow(id, state);
            break;
        default:
            break;
    }
}

int GetGadgetState(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g) return 0;
    switch (g->kind) {
        case Kind::CheckBox:
            return SendMessageW(g->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        case Kind::Button:
            return (g->flags & kButtonToggle) && SendMessageW(g->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        case Kind::ProgressBar:
            return int(SendMessageW(g->hwnd, PBM_GETPOS, 0, 0));
        case Kind::Spin:
            return g->spinValue;
        case Kind::Panel:
            return int(SendMessageW(g->hwnd, TCM_GETCURSEL, 0, 0));
        case Kind::Splitter:
            return g->position;
        case Kind::ListView:
        case Kind::DirList:
            return GetListCurrentRow(id);
        default:
            return 0;
    }
}

void SetGadgetEnabled(int id, bool enabled) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    EnableWindow(g->hwnd, enabled);
    if (g->buddy) EnableWindow(g->buddy, enabled);
}

bool GetGadgetEnabled(int id) {
    GadgetRec* g = FindGadget(id);
    return g && IsWindowEnabled(g->hwnd);
}

void SetGadgetShown(int id, bool shown) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    Quiet quiet;
    ShowWindow(g->hwnd, shown ? SW_SHOWNA : SW_HIDE);
    if (g->buddy) ShowWindow(g->buddy, shown ? SW_SHOWNA : SW_HIDE);
}

// A gadget counts as shown by its own flag, as the headless model does, not
// by whether its parent is visible.
bool GetGadgetShown(int id) {
    GadgetRec* g = FindGadget(id);
    if (g && g->kind == Kind::PanelPage) return true;  // the tab control shows and hides pages
    return g && (GetWindowLongPtrW(g->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

Box GetGadgetBox(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g) return Box{};
    if (g->kind == Kind::PanelPage) {
        // A page covers its panel, whose parent the page window shares.
        const Box panel = GetGadgetBox(g->parent);
        return Box{0, 0, panel.w, panel.h};
    }
    RECT r;
    GetWindowRect(g->hwnd, &r);
    if (g->buddy) {
        RECT b;
        GetWindowRect(g->buddy, &b);
        UnionRect(&r, &r, &b);
    }
    MapWindowPoints(nullptr, GetParent(g->hwnd), reinterpret_cast<POINT*>(&r), 2);
    return Box{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ResizeGadget(int id, int x, int y, int w, int h) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    const Box now = GetGadgetBox(id);
    const Box b{x == kKeep ? now.x : x, y == kKeep ? now.y : y, w == kKeep ? now.w : w, h == kKeep ? now.h : h};
    Quiet quiet;
    SetWindowPos(g->hwnd, nullptr, b.x, b.y, b.w, b.h, SWP_NOZORDER | SWP_NOACTIVATE);
    RememberGivenBox(*g);
    if (g->buddy) SendMessageW(g->buddy, UDM_SETBUDDY, WPARAM(g->hwnd), 0);
    if (g->kind == Kind::Panel) LayoutPanel(*g);
    if (g->kind == Kind::Splitter) LayoutSplitter(*g);
}

void SetGadgetToolTip(int id, const std::wstring& text) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    WindowRec* w = FindWindowRec(g->window);
    if (!w) return;
    if (!w->tooltip) {
        w->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w->hwnd, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        if (!w->tooltip) return;
        SendMessageW(w->tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = w->hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(g->hwnd);
    std::wstring t = text;
    ti.lpszText = t.data();
    if (!g->tip.empty()) SendMessageW(w->tooltip, TTM_DELTOOLW, 0, LPARAM(&ti));
    if (!text.empty()) SendMessageW(w->tooltip, TTM_ADDTOOLW, 0, LPARAM(&ti));
    g->tip = text;
}

void SetActiveGadget(int id) {
    if (GadgetRec* g = FindGadget(id)) SetFocus(g->hwnd);
}

int GetActiveGadget() {
    for (HWND h = GetFocus(); h; h = GetParent(h)) {
        const int id = IdOfHwnd(h);
        if (FindGadget(id)) return id;
        if (id) return 0;
    }
    return 0;
}

void InsertEditorTextAtTop(int id, const std::wstring& text) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::Editor) return;
    Quiet quiet;
    SendMessageW(g->hwnd, EM_SETSEL, 0, 0);
    SendMessageW(g->hwnd, EM_REPLACESEL, FALSE, LPARAM(text.c_str()));
    SendMessageW(g->hwnd, EM_SETSEL, 0, 0);
    SendMessageW(g->hwnd, WM_VSCROLL, SB_TOP, 0);
}

// The mode changes only while the editor has no text and nothing to undo;
// Wine's rich edit keeps an undo step for WM_SETFONT, which an empty editor
// can lose.
void SetEditorPlainText(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::Editor) return;
    if (GetWindowTextLengthW(g->hwnd) == 0) SendMessageW(g->hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(g->hwnd, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
}

// Rich edit wraps at the window's width when its target device is a null
// DC with width 0, and scrolls sideways with a very wide line width.
void SetEditorWordWrap(int id, bool wrap) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::Editor) return;
    SendMessageW(g->hwnd, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
    if (wrap)
        g->flags |= kWordWrap;
    else
        g->flags &= ~kWordWrap;
}

}  // namespace plat
