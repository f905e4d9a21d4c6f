// The event queue on Windows: the message pump fills it through the window
// procedures, with the accelerators of our windows translated first.
#include "platform/win32/gui_registry.h"

namespace plat::wgui {

// A text field edits with the plain keys (Ins toggles overwriting, Del
// deletes): while one of ours has the focus, only shortcuts with Ctrl or Alt
// are the window's.
static bool EventsKeyForField(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    HWND focus = GetFocus();
    const GadgetRec* g = FindGadget(IdOfHwnd(focus));
    // Escape, and Enter outside a multi-line field, edit nothing: they stay
    // the window's (the restore window's "Stand vom" applies its date).
    if (msg.wParam == VK_ESCAPE || (msg.wParam == VK_RETURN && (!g || g->kind != Kind::Editor))) return false;
    // A spin's focus is on its edit child, which is the gadget's own window.
    return g && (g->kind == Kind::Edit || g->kind == Kind::Editor || g->kind == Kind::Spin);
}

// The accelerators belong to the top-level window that holds the focus or
// the message's target, whichever gadget it is.
static bool EventsTranslateAccelerator(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!msg.hwnd || EventsKeyForField(msg)) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    WindowRec* w = FindWindowRec(IdOfHwnd(root));
    return w && w->accelTable && TranslateAcceleratorW(root, w->accelTable, &msg);
}

// A dialog takes every message through IsDialogMessageW (Enter, Escape,
// Tab, Alt with a letter); other windows of ours only Tab, so that Enter
// stays a key of the list or field that has the focus.
static bool EventsDialogKey(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    WindowRec* w = root ? FindWindowRec(IdOfHwnd(root)) : nullptr;
    if (!w) return false;
    if (!w->dialogKeys && !(msg.message == WM_KEYDOWN && msg.wParam == VK_TAB)) return false;
    return IsDialogMessageW(root, &msg) != FALSE;
}

static void EventsPump() {
    MSG msg;
    while (EventQueue().empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        if (EventsTranslateAccelerator(msg) || EventsDialogKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

static std::set<UINT>& EventsAppMessages() {
    static std::set<UINT> s;
    return s;
}

bool IsAppMessage(UINT msg) {
    std::lock_guard<std::recursive_mutex> lock(GuiLock());
    return EventsAppMessages().count(msg) != 0;
}

static bool EventsTake(GuiEvent& out) {
    if (EventQueue().empty()) {
        out = GuiEvent{};
        return false;
    }
    out = EventQueue().front();
    EventQueue().pop_front();
    return true;
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool WaitEvent(uint32_t timeoutMs, GuiEvent& out) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        EventsPump();
        if (EventsTake(out)) return true;
        DWORD wait = INFINITE;
        if (timeoutMs != kWaitForever) {
            const ULONGLONG spent = GetTickCount64() - start;
            if (spent >= timeoutMs) return false;
            wait = DWORD(timeoutMs - spent);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool PollEvent(GuiEvent& out) {
    EventsPump();
    return EventsTake(out);
}

uint32_t RegisterAppMessage(const std::wstring& name) {
    const UINT msg = RegisterWindowMessageW(name.c_str());
    if (msg) {
        std::lock_guard<std::recursive_mutex> lock(GuiLock());
        EventsAppMessages().insert(msg);
    }
    return msg;
}

namespace {
struct PostJob {
    const std::wstring* prefix;
    UINT message;
    int count;
};
}  // namespace

static BOOL CALLBACK EventsPostToTitled(HWND hwnd, LPARAM lp) {
    auto* job = reinterpret_cast<PostJob*>(lp);
    wchar_t title[201] = {};
    const int n = GetWindowTextW(hwnd, title, 201);
    if (n >= 0 && std::wstring(title, size_t(n)).compare(0, job->prefix->size(), *job->prefix) == 0 &&
        size_t(n) >= job->prefix->size() && PostMessageW(hwnd, job->message, 0, 0))
        ++job->count;
    return TRUE;
}

int PostToWindowsTitled(const std::wstring& titlePrefix, uint32_t message) {
    PostJob job{&titlePrefix, UINT(message), 0};
    EnumWindows(EventsPostToTitled, reinterpret_cast<LPARAM>(&job));
    return job.count;
}

}  // namespace plat
