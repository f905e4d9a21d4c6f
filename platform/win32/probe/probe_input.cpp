// Where the suite may send real input, and what became of input sent: a
// point is only named once a click there would reach the control (it is
// shown and enabled, so is its window, nothing covers it, and its thread
// takes messages), and `watch-input` records what the program's thread saw
// of the mouse while a scenario clicks, for the evidence when a click is
// lost.
#include <windows.h>

#include "platform/win32/probe/probe.h"

#include <string>

namespace probe {

// A group box answers a click's hit test as transparent, so the click goes
// to the control within; WindowFromPoint from another process does not ask
// and names the box.
static bool SeeThrough(HWND hwnd) {
    return ClassOf(hwnd) == L"Button" && (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Why a click on `point` would not reach `control` now; empty when it would.
static std::wstring NotReady(HWND control, POINT point) {
    if (!IsWindow(control)) return L"the control is gone";
    if (!IsWindowVisible(control)) return L"the control is hidden";
    if (!IsWindowEnabled(control)) return L"the control is disabled";
    HWND root = GetAncestor(control, GA_ROOT);
    if (!IsWindowEnabled(root)) return L"its window is disabled";
    HWND hit = WindowFromPoint(point);
    if (hit != control && !IsChild(control, hit) && !(SeeThrough(hit) && GetAncestor(hit, GA_ROOT) == root))
        return L"another window is at the point (class " + ClassOf(hit) + L")";
    // The window's thread has come back to its message loop since the
    // window was made or changed: what it draws is what it acts on.
    DWORD_PTR unused = 0;
    if (!SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &unused)) return L"its thread is busy";
    return L"";
}

// A wait is told on stderr with what was first in the way, so that the
// suite's log shows where clicks would have been lost.
int ReadyPoint(HWND control, POINT client, double seconds) {
    const ULONGLONG start = GetTickCount64();
    POINT screen = client;
    std::wstring why, first;
    const bool ready = Await(seconds, [&] {
        screen = client;
        ClientToScreen(control, &screen);
        why = NotReady(control, screen);
        if (first.empty()) first = why;
        return why.empty();
    });
    if (!ready) {
        Out(L"not ready after " + std::to_wstring(int(seconds)) + L" s: " + why);
        return 1;
    }
    if (!first.empty())
        Err(L"waited " + std::to_wstring(GetTickCount64() - start) + L" ms for control " +
            std::to_wstring(GetDlgCtrlID(control)) + L": " + first);
    Out(std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y));
    return 0;
}

// The low-level hook runs on the probe's thread while it waits for messages.
static ULONGLONG gWatchStart = 0;

static LRESULT CALLBACK MouseSeen(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp != WM_MOUSEMOVE) {
        const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
        const wchar_t* what = wp == WM_LBUTTONDOWN ? L"down" : wp == WM_LBUTTONUP ? L"up" : L"other button";
        Out(std::to_wstring(GetTickCount64() - gWatchStart) + L"\tmouse " + what + L" at " + std::to_wstring(m->pt.x) +
            L" " + std::to_wstring(m->pt.y) + L" on " + ClassOf(WindowFromPoint(m->pt)));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

static std::wstring Named(HWND hwnd) {
    if (!hwnd) return L"-";
    const int id = GetDlgCtrlID(hwnd);
    return ClassOf(hwnd) + (GetParent(hwnd) && id ? L"#" + std::to_wstring(id) : L"");
}

// For `seconds`: each mouse button as the system delivers it, and each
// change of the active window, the focus and the capture of the main
// window's thread, and whether a button with the focus is pressed.
int WatchInput(HWND main, double seconds) {
    gWatchStart = GetTickCount64();
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, MouseSeen, GetModuleHandleW(nullptr), 0);
    if (!hook) return 1;
    // The suite clicks once it reads this.
    Out(L"watching");
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    std::wstring last;
    const ULONGLONG end = gWatchStart + ULONGLONG(seconds * 1000);
    while (GetTickCount64() < end) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (GetGUIThreadInfo(thread, &info)) {
            std::wstring now = L"active " + Named(info.hwndActive) + L" focus " + Named(info.hwndFocus) + L" capture " +
                               Named(info.hwndCapture);
            if (info.hwndFocus && ClassOf(info.hwndFocus) == L"Button") {
                DWORD_PTR state = 0;
                SendMessageTimeoutW(info.hwndFocus, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 200, &state);
                now += (state & BST_PUSHED) ? L" pushed" : L"";
            }
            if (now != last) Out(std::to_wstring(GetTickCount64() - gWatchStart) + L"\t" + now);
            last = now;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(hook);
    return 0;
}

}  // namespace probe
