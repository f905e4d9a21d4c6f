// Message boxes, the input box and the system folder browser.
#include "platform/win32/gui_registry.h"

#include <objbase.h>
#include <shlobj.h>

namespace plat::wgui {

// Our window in front owns the box; without one the box is task-modal, so
// none of our other windows takes input meanwhile.
static HWND DialogOwner() {
    const int id = GetForeground();
    return id ? HwndOf(id) : nullptr;
}

namespace {
struct InputState {
    HWND edit = nullptr;
    bool done = false;
    bool ok = false;
    std::wstring text;
};
}  // namespace

static const wchar_t kInputClass[] = L"TresoroInputBox";
constexpr int kInputOk = 1;      // IDOK
constexpr int kInputCancel = 2;  // IDCANCEL

static LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        auto* st = reinterpret_cast<InputState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
            case WM_COMMAND:
                if (!st) break;
                if (LOWORD(wp) == kInputOk || LOWORD(wp) == kInputCancel) {
                    st->ok = LOWORD(wp) == kInputOk;
                    if (st->ok) {
                        std::wstring text(size_t(GetWindowTextLengthW(st->edit)) + 1, L'\0');
                        text.resize(size_t(GetWindowTextW(st->edit, text.data(), int(text.size()))));
                        st->text = text;
                    }
                    st->done = true;
                    return 0;
                }
                break;
            case WM_CLOSE:
                if (st) st->done = true;
                return 0;
            default:
                break;
        }
    } catch (...) {}
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

MsgAnswer ShowMessageBox(const std::wstring& caption, const std::wstring& text, MsgButtons buttons) {
    EnsureGuiInit();
    HWND owner = DialogOwner();
    UINT type = (buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK) | MB_SETFOREGROUND;
    if (!owner) type |= MB_TASKMODAL;
    const int r = MessageBoxW(owner, text.c_str(), caption.c_str(), type);
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return r == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
}

// A window of our own rather than a dialog template: it uses the same font
// as the gadgets and runs the same order of accelerators, dialog keys and
// dispatch as the main loop. Our other windows are disabled meanwhile.
bool InputBox(const std::wstring& title, const std::wstring& prompt, const std::wstring& initial,
              std::wstring& answer) {
    if (!EnsureGuiInit()) return false;
    static bool registered = false;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = InputProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kInputClass;
        registered = RegisterClassExW(&wc) != 0;
        if (!registered) return false;
    }
    HWND owner = DialogOwner();
    // Laid out for 96 DPI and scaled to the owner's (or the system's).
    const int dpi = owner ? WindowDpiOf(owner) : SystemDpi();
    auto px = [dpi](int units) { return MulDiv(units, dpi, 96); };
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT r = {0, 0, px(380), px(130)};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &area);
    const int x = area.left + (area.right - area.left - w) / 2, y = area.top + (area.bottom - area.top - h) / 2;
    HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kInputClass, title.c_str(), style, x, y, w, h,
                               owner, nullptr, inst, nullptr);
    if (!box) return false;
    InputState st;
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&st));
    HFONT font = FontHandle(DefaultFont(), dpi);
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD s, DWORD ex, int cx, int cy, int cw, int ch,
                     int id) {
        HWND c = CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | s, px(cx), px(cy), px(cw), px(ch), box,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        SendMessageW(c, WM_SETFONT, WPARAM(font), FALSE);
        return c;
    };
    child(L"STATIC", prompt.c_str(), SS_NOPREFIX, 0, 12, 10, 356, 36, 0);
    st.edit = child(L"EDIT", initial.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 12, 50, 356, 24, 100);
    child(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 196, 90, 84, 28, kInputOk);
    child(L"BUTTON", L"Abbrechen", WS_TABSTOP | BS_PUSHBUTTON, 0, 284, 90, 84, 28, kInputCancel);
    std::vector<HWND> disabled;
    for (auto& [id, win] : Windows())
        if (IsWindowEnabled(win.hwnd)) {
            EnableWindow(win.hwnd, FALSE);
            disabled.push_back(win.hwnd);
        }
    ShowWindow(box, SW_SHOW);
    SetForegroundWindow(box);
    SetFocus(st.edit);
    SendMessageW(st.edit, EM_SETSEL, 0, -1);
    MSG msg;
    while (!st.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The main loop must still see the end of the program.
            if (got == 0) PostQuitMessage(int(msg.wParam));
            break;
        }
        if (IsDialogMessageW(box, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    for (HWND hw : disabled) EnableWindow(hw, TRUE);
    DestroyWindow(box);
    if (owner) SetForegroundWindow(owner);
    if (st.ok) answer = st.text;
    return st.ok;
}

static int CALLBACK DialogsBrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::wstring BrowseForFolder(const std::wstring& title, const std::wstring& start) {
    EnsureGuiInit();
    const HRESULT co = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOW bi = {};
    bi.hwndOwner = DialogOwner();
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    bi.lpfn = DialogsBrowseCallback;
    bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    std::wstring result;
    if (PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl, path)) result = path;
        CoTaskMemFree(pidl);
    }
    if (SUCCEEDED(co)) CoUninitialize();
    return result;
}

}  // namespace plat
