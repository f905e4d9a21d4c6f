// The probe's checks of the layout and of the end of a session: whether
// every text of the program's windows fits its control at the window's DPI
// and every window lies on its monitor ("fits"), a change of DPI sent as
// Windows sends it ("dpi-changed"), the control with the keyboard focus
// ("focus"), and a window with unsaved work that objects to the end of the
// session ("unsaved").
#include <cwchar>

#include "platform/win32/probe/probe.h"

namespace probe {

namespace {

// The screen's DPI, which Wine gives every window (LogPixels). A probe that
// Wine does not take as DPI-aware would get 96 from GetDpiForWindow.
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The fonts of the program are not readable from outside: each control is
// measured with Arial at the size the command names (the program's
// default), or the size named for its id.
struct FontChoice {
    int points = 9;
    int dpi = 0;  // 0: the window's own
    std::vector<std::pair<int, int>> byId;
    int PointsOf(int id) const {
        for (const auto& [control, points] : byId)
            if (control == id) return points;
        return points;
    }
};

// What a control needs around its text at `dpi`: a push button the
// button's text margin (a pixel a side at 96 DPI: "Quelle:", 39 pixels in
// Arial 9 pt, is cut in a button 40 wide), a check box its box and the gap
// after it (13 and half a digit), a group box its indent (8).
struct Need {
    int width = 0, height = 0;
    bool cut = false;
};

Need Measure(HWND control, int dpi, int points) {
    Need need;
    const std::wstring text = TextOf(control);
    if (text.empty()) return need;
    const std::wstring cls = ClassOf(control);
    const LONG style = LONG(GetWindowLongPtrW(control, GWL_STYLE));
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HFONT font = CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, client.right, 0};
    if (cls == L"Static") {
        if ((style & SS_TYPEMASK) <= SS_RIGHT) {
            // Labels wrap at words: a text too wide for its box ends in a
            // line below that the box does not show.
            DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
            need.width = r.right;
            need.height = r.bottom;
            need.cut = r.right > client.right || r.bottom > client.bottom;
        }
    } else if (cls == L"Button") {
        DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        const LONG type = style & BS_TYPEMASK;
        int around = 2 * MulDiv(1, dpi, 96);
        if ((type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) && !(style & BS_PUSHLIKE)) {
            int digit = 0;
            GetCharWidthW(dc, L'0', L'0', &digit);
            around = MulDiv(12, dpi, 96) + 1 + digit / 2;
        } else if (type == BS_GROUPBOX) {
            around = 2 * 8;
        }
        need.width = r.right + around;
        need.height = r.bottom;
        need.cut = need.width > client.right || (type != BS_GROUPBOX && need.height > client.bottom);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(control, dc);
    return need;
}

int Fits(int more, wchar_t** argv) {
    FontChoice fonts;
    if (more >= 1) fonts.points = Number(argv[2]);
    // "dpi=N" measures for N instead: Wine's GetDpiForWindow keeps the
    // system's after a WM_DPICHANGED that only the program heard.
    for (int i = 1; i < more; ++i) {
        const wchar_t* arg = argv[2 + i];
        const wchar_t* eq = wcschr(arg, L'=');
        if (wcsncmp(arg, L"dpi=", 4) == 0)
            fonts.dpi = Number(arg + 4);
        else if (eq)
            fonts.byId.emplace_back(Number(arg), Number(eq + 1));
    }
    HWND main = MainWindow();
    if (!main) {
        Out(L"no main window");
        return 2;
    }
    std::vector<HWND> shown;
    for (HWND top : ProgramWindows(main))
        if (IsWindowVisible(top) && ClassOf(top) == L"TresoroWindow") shown.push_back(top);
    int problems = 0, checked = 0;
    for (HWND top : shown) {
        wchar_t title[256] = {};
        GetWindowTextW(top, title, 256);
        RECT frame;
        GetWindowRect(top, &frame);
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& screen = monitor.rcMonitor;
        if (frame.left < screen.left || frame.top < screen.top || frame.right > screen.right ||
            frame.bottom > screen.bottom) {
            Out(L"off-screen\t" + std::wstring(title) + L"\t" + std::to_wstring(frame.left) + L"," +
                std::to_wstring(frame.top) + L" " + std::to_wstring(frame.right - frame.left) + L"x" +
                std::to_wstring(frame.bottom - frame.top));
            ++problems;
        }
        const int dpi = fonts.dpi > 0 ? fonts.dpi : ScreenDpi();
        for (HWND control : Descendants(top)) {
            if (!IsWindowVisible(control)) continue;
            const int id = GetDlgCtrlID(control);
            const Need need = Measure(control, dpi, fonts.PointsOf(id));
            if (need.width == 0) continue;
            ++checked;
            if (!need.cut) continue;
            RECT client;
            GetClientRect(control, &client);
            Out(L"cut\t" + std::to_wstring(id) + L"\t" + ClassOf(control) + L"\tneeds " + std::to_wstring(need.width) +
                L"x" + std::to_wstring(need.height) + L", has " + std::to_wstring(client.right) + L"x" +
                std::to_wstring(client.bottom) + L"\t" + Escaped(TextOf(control), 80));
            ++problems;
        }
    }
    Out(L"checked " + std::to_wstring(checked) + L" texts in " + std::to_wstring(shown.size()) + L" windows at " +
        std::to_wstring(fonts.dpi > 0 ? fonts.dpi : ScreenDpi()) + L" dpi, " + std::to_wstring(problems) +
        L" problems");
    return problems == 0 ? 0 : 1;
}

// WM_DPICHANGED as Windows sends it when a window comes onto a monitor of
// another DPI: the new DPI twice in wParam and, in lParam, the rectangle it
// suggests: left where it is, the inner size (client and menu bar) scaled
// by the new DPI against `from`, the frame as it is (Wine keeps the
// system's metrics). The rectangle lies in the program's memory.
int DpiChanged(HWND target, int dpi, int from) {
    RECT r, client;
    GetWindowRect(target, &r);
    GetClientRect(target, &client);
    const int innerW = client.right, innerH = client.bottom + MenuBarHeight(target);
    const int extraW = r.right - r.left - innerW, extraH = r.bottom - r.top - innerH;
    RECT suggested = {r.left, r.top, r.left + MulDiv(innerW, dpi, from) + extraW,
                      r.top + MulDiv(innerH, dpi, from) + extraH};
    // Windows suggests a place on the new monitor: moved back into it.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST), &monitor);
    const LONG dx = suggested.right > monitor.rcWork.right ? suggested.right - monitor.rcWork.right : 0;
    const LONG dy = suggested.bottom > monitor.rcWork.bottom ? suggested.bottom - monitor.rcWork.bottom : 0;
    OffsetRect(&suggested, -(dx < suggested.left ? dx : suggested.left), -(dy < suggested.top ? dy : suggested.top));
    Remote remote(target);
    if (!remote.Ask(target, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested)) return 1;
    Out(L"dpi " + std::to_wstring(from) + L" -> " + std::to_wstring(dpi));
    return 0;
}

// The control of the program that has the keyboard focus, by its id (0:
// the window itself or none of the program's).
int Focus() {
    HWND main = MainWindow();
    if (!main) return 2;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
    HWND focus = info.hwndFocus;
    Out(std::to_wstring(focus && GetParent(focus) ? GetDlgCtrlID(focus) : 0) + L"\t" +
        (focus ? ClassOf(focus) : std::wstring()));
    return 0;
}

bool g_asked = false;

LRESULT CALLBACK UnsavedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYENDSESSION) {
        if (!g_asked) Out(L"asked to end the session: refused");
        g_asked = true;
        return FALSE;
    }
    if (msg == WM_ENDSESSION) {
        Out(wp ? L"the session ends" : L"the session goes on");
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A window with unsaved work, as an editor has one: it refuses the end of
// the session. Prints what it was asked and, at the end of the time,
// "still here".
int Unsaved(double seconds) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = UnsavedProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProbeUnsavedDocument";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Unsaved document", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300,
                                120, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 1;
    Out(L"open");
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
    MSG msg;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    Out(L"still here");
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace

int CheckCommand(const std::wstring& command, int more, wchar_t** argv) {
    if (command == L"fits") return Fits(more, argv);
    if (command == L"focus" && more == 0) return Focus();
    if (command == L"unsaved" && more == 1) return Unsaved(_wtof(argv[2]));
    if (command == L"dpi-changed" && (more == 2 || more == 3)) {
        HWND target = more == 3 ? TopWindow(argv[4]) : MainWindow();
        if (!target) return 2;
        return DpiChanged(target, Number(argv[3]), Number(argv[2]));
    }
    return -1;
}

}  // namespace probe
