// Fonts, text colours and icons of gadgets. These are the calls the icon
// animation and blink threads make: the values live in the gadget table
// under GuiLock(), and a call from another thread posts kGuiApplyMessage so
// that the window's own thread applies them.
#include "platform/win32/gui_registry.h"

#include <cwchar>

namespace plat::wgui {

static Font g_defaultFont;
const Font& DefaultFont() { return g_defaultFont; }

// One HFONT per distinct font and DPI for the life of the program; gadgets
// share them. The message font comes at the system's DPI and is scaled to
// the window's.
HFONT FontHandle(const Font& font, int dpi) {
    struct Made {
        Font font;
        int dpi;
        HFONT handle;
    };
    static std::vector<Made> cache;
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    for (const Made& m : cache)
        if (m.font == font && m.dpi == dpi) return m.handle;
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    LOGFONTW lf = ncm.lfMessageFont;
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
    if (!font.face.empty()) {
        wcsncpy(lf.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
        lf.lfFaceName[LF_FACESIZE - 1] = 0;
    }
    if (font.points > 0) {
        lf.lfHeight = -MulDiv(font.points, dpi, 72);
        lf.lfWidth = 0;
    }
    if (font.bold)
        lf.lfWeight = FW_BOLD;
    else if (!font.face.empty() || font.points > 0)
        lf.lfWeight = FW_NORMAL;
    HFONT h = CreateFontIndirectW(&lf);
    cache.push_back(Made{font, dpi, h});
    return h;
}

// The program's icons are resources of the executable; where one is missing
// (the test program links none) the stock application icon stands in.
HICON IconHandle(int icon, int size) {
    if (icon <= 0) return nullptr;
    HANDLE h = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon), IMAGE_ICON, size, size, LR_SHARED);
    if (h) return static_cast<HICON>(h);
    return LoadIconW(nullptr, IDI_APPLICATION);
}

bool HandleCtlColor(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    GadgetRec* g = FindGadget(IdOfHwnd(reinterpret_cast<HWND>(lp)));
    if (!g) return false;
    uint32_t color;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        color = g->color;
    }
    if (color == kColorDefault) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, COLORREF(color));
    const bool editLike =
        msg == WM_CTLCOLOREDIT || ((g->kind == Kind::Edit || g->kind == Kind::Spin) && IsWindowEnabled(g->hwnd) &&
                                   !(GetWindowLongPtrW(g->hwnd, GWL_STYLE) & ES_READONLY));
    const int sys = editLike ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(sys));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(sys));
    return true;
}

// The main thread applies what another thread stored for the gadget.
void ApplyGadgetCells(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g) return;
    Font font;
    int icon;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        font = g->font;
        icon = g->icon;
    }
    SendMessageW(g->hwnd, WM_SETFONT, WPARAM(FontHandle(font, WindowDpiById(g->window))), FALSE);
    if (g->kind == Kind::Image) {
        // As large as the gadget: 32 design units are 48 pixels at 144 DPI.
        RECT r;
        GetClientRect(g->hwnd, &r);
        const int size = r.right < r.bottom ? r.right : r.bottom;
        SendMessageW(g->hwnd, STM_SETICON, WPARAM(IconHandle(icon, size > 16 ? size : 16)), 0);
    }
    InvalidateRect(g->hwnd, nullptr, TRUE);
}

static void PostApply(int id) {
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        GadgetRec* g = FindGadget(id);
        if (!g) return;
        if (WindowRec* w = FindWindowRec(g->window)) hwnd = w->hwnd;
        if (!hwnd) return;
        if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
            PostMessageW(hwnd, kGuiApplyMessage, WPARAM(id), 0);
            return;
        }
    }
    ApplyGadgetCells(id);
}
}  // namespace plat::wgui

namespace plat {
using namespace wgui;

void SetDefaultFont(const Font& font) { g_defaultFont = font; }

void SetGadgetFont(int id, const Font& font) {
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        GadgetRec* g = FindGadget(id);
        if (!g) return;
        g->font = font;
    }
    PostApply(id);
}

Font GetGadgetFont(int id) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    GadgetRec* g = FindGadget(id);
    return g ? g->font : Font{};
}

void SetGadgetColor(int id, uint32_t color) {
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        GadgetRec* g = FindGadget(id);
        if (!g) return;
        g->color = color;
    }
    PostApply(id);
}

uint32_t GetGadgetColor(int id) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    GadgetRec* g = FindGadget(id);
    return g ? g->color : kColorDefault;
}

void SetGadgetImage(int id, int icon) {
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        GadgetRec* g = FindGadget(id);
        if (!g || g->kind != Kind::Image) return;
        g->icon = icon;
    }
    PostApply(id);
}

int GetGadgetImage(int id) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    GadgetRec* g = FindGadget(id);
    return g && g->kind == Kind::Image ? g->icon : 0;
}
}  // namespace plat
