// Notification-area icons: one NOTIFYICONDATAW per id, bound to a window
// that receives its mouse messages as kGuiTrayMessage.
#include "platform/win32/gui_registry.h"

#include "platform/test_hooks.h"

#include <shellapi.h>

#include <cwchar>

namespace plat::wgui {

// What names icon `id` of `hwnd` to the shell, and nothing else.
static NOTIFYICONDATAW TrayKey(HWND hwnd, int id) {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hwnd;
    nid.uID = UINT(id);
    return nid;
}

static void TrayFill(NOTIFYICONDATAW& nid, HWND hwnd, int id, const TrayRec& tray) {
    nid = TrayKey(hwnd, id);
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = kGuiTrayMessage;
    nid.hIcon = IconHandle(tray.icon, GetSystemMetrics(SM_CXSMICON));
    wcsncpy(nid.szTip, tray.tip.c_str(), 127);
    nid.szTip[127] = 0;
}

// Applies the stored icon and tip on the main thread; an icon that is not
// in the notification area yet is left to the retry, which adds it with
// what is stored then.
void ApplyTray(int id) {
    TrayRec tray;
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end() || !it->second.shown) return;
        tray = it->second;
        WindowRec* w = FindWindowRec(tray.window);
        if (!w) return;
        hwnd = w->hwnd;
    }
    NOTIFYICONDATAW nid;
    TrayFill(nid, hwnd, id, tray);
    Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void AddMissingTrays(int window, bool taskbarCreated) {
    WindowRec* w = FindWindowRec(window);
    if (!w) return;
    bool missing = false;
    std::vector<std::pair<int, TrayRec>> todo;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        for (auto& [id, tray] : Trays()) {
            if (tray.window != window) continue;
            if (taskbarCreated) tray.shown = false;
            if (!tray.shown) todo.emplace_back(id, tray);
        }
    }
    for (const auto& [id, tray] : todo) {
        NOTIFYICONDATAW nid;
        TrayFill(nid, w->hwnd, id, tray);
        const bool refused = g_testHooks.trayAddRefused && g_testHooks.trayAddRefused();
        const bool added = !refused && Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it != Trays().end()) it->second.shown = added;
        missing = missing || !added;
    }
    if (missing)
        SetTimer(w->hwnd, kTrayRetryTimer, kTrayRetryMillis, nullptr);
    else
        KillTimer(w->hwnd, kTrayRetryTimer);
}

void DeleteTrayIcon(HWND hwnd, int id) {
    NOTIFYICONDATAW nid = TrayKey(hwnd, id);
    Shell_NotifyIconW(NIM_DELETE, &nid);
}

// The tray's mouse message arrives with the icon id in wParam only when
// the callback passes it on: the window procedure reads uID from wParam.
static void TrayPost(int id) {
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end()) return;
        WindowRec* w = FindWindowRec(it->second.window);
        if (!w) return;
        hwnd = w->hwnd;
    }
    if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId())
        PostMessageW(hwnd, kGuiTrayApply, WPARAM(id), 0);
    else
        ApplyTray(id);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool AddTrayIcon(int id, int window, int icon, const std::wstring& tip) {
    WindowRec* w = FindWindowRec(window);
    if (!w || Trays().count(id)) return false;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        Trays()[id] = TrayRec{window, icon, tip, false};
    }
    // Explorer sends "TaskbarCreated" from outside; a program started
    // elevated would otherwise never hear it (UIPI drops it).
    ChangeWindowMessageFilterEx(w->hwnd, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
    AddMissingTrays(window, false);
    return true;
}

void SetTrayIcon(int id, int icon) {
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end()) return;
        it->second.icon = icon;
    }
    TrayPost(id);
}

void SetTrayToolTip(int id, const std::wstring& tip) {
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end()) return;
        it->second.tip = tip;
    }
    TrayPost(id);
}

void RemoveTrayIcon(int id) {
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end()) return;
        if (WindowRec* w = FindWindowRec(it->second.window)) hwnd = w->hwnd;
        Trays().erase(it);
    }
    DeleteTrayIcon(hwnd, id);
}

// The balloon is the icon's: NIM_MODIFY with NIF_INFO alone leaves icon,
// tip and callback as they are. Windows shows it for as long as the user's
// accessibility setting says (uTimeout is ignored since Vista) and reports
// a click on it as NIN_BALLOONUSERCLICK.
bool ShowTrayBalloon(int id, const std::wstring& title, const std::wstring& text) {
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        auto it = Trays().find(id);
        if (it == Trays().end()) return false;
        WindowRec* w = FindWindowRec(it->second.window);
        if (!w) return false;
        hwnd = w->hwnd;
    }
    NOTIFYICONDATAW nid = TrayKey(hwnd, id);
    nid.uFlags = NIF_INFO;
    wcsncpy(nid.szInfo, text.c_str(), 255);
    nid.szInfo[255] = 0;
    wcsncpy(nid.szInfoTitle, title.c_str(), 63);
    nid.szInfoTitle[63] = 0;
    nid.dwInfoFlags = NIIF_WARNING;
    nid.uTimeout = 30000;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

}  // namespace plat
