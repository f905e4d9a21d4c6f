// Top-level windows of the headless model: geometry, state, visibility,
// the foreground window and the registered messages.
#include <algorithm>

#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

// Windows keeps the frame at its minimum tracking size, whoever resizes it.
static Box WindowsClampToMin(const Window& w, Box b) {
    b.w = std::max(b.w, w.minW);
    b.h = std::max(b.h, w.minH);
    return b;
}

bool OpenWindow(int id, const std::wstring& title, Box box, uint32_t flags, int owner) {
    Guard guard(M().lock);
    if (id <= 0 || IdInUse(id)) return false;
    if (owner != 0 && !FindWin(owner)) return false;
    Window w;
    w.id = id;
    w.title = title;
    w.flags = flags;
    w.owner = owner;
    w.box = box;
    if (flags & kWinCenterScreen) {
        w.box.x = (M().screenW - box.w) / 2;
        w.box.y = (M().screenH - box.h) / 2;
    } else if (const Window* o = (flags & kWinCenterOwner) ? FindWin(owner) : nullptr) {
        w.box.x = o->box.x + (o->box.w - box.w) / 2;
        w.box.y = o->box.y + (o->box.h - box.h) / 2;
    }
    w.normalBox = w.box;
    w.shown = (flags & kWinHidden) == 0;
    w.dpi = NewWindowDpi();
    KeepOnScreen(w);
    M().windows[id] = w;
    if (w.shown) M().foreground = id;
    return true;
}

void RemoveWindow(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    if (!w) return;
    std::vector<int> top;
    for (const auto& [gid, g] : M().gadgets)
        if (g.window == id && g.parent == id) top.push_back(gid);
    for (int g : top) EraseGadget(g);
    for (auto it = M().trays.begin(); it != M().trays.end();)
        it = it->second.window == id ? M().trays.erase(it) : std::next(it);
    PurgeWindowEvents(id);
    // Windows activates the owner when an owned window goes away.
    if (M().foreground == id) {
        const Window* o = FindWin(w->owner);
        M().foreground = o && o->shown && o->state != WindowState::Minimized ? o->id : 0;
    }
    M().windows.erase(id);
}

bool WindowExists(int id) {
    Guard guard(M().lock);
    return FindWin(id) != nullptr;
}

void SetWindowTitle(int id, const std::wstring& title) {
    Guard guard(M().lock);
    if (Window* w = FindWin(id)) w->title = title;
}

std::wstring GetWindowTitle(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    return w ? w->title : std::wstring();
}

void ResizeWindow(int id, int x, int y, int w, int h) {
    Guard guard(M().lock);
    Window* win = FindWin(id);
    if (!win) return;
    if (win->state == WindowState::Normal) {
        win->box = WindowsClampToMin(*win, KeepMerge(win->box, x, y, w, h));
        win->normalBox = win->box;
        return;
    }
    win->normalBox = WindowsClampToMin(*win, KeepMerge(win->normalBox, x, y, w, h));
    if (win->state == WindowState::Minimized) win->box = win->normalBox;
}

// As GetWindowPlacement answers: the normal geometry in every state.
Box GetWindowBox(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    if (!w) return Box{};
    return w->state == WindowState::Normal ? w->box : w->normalBox;
}

Box GetWindowScreenBox(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    if (!w) return Box{};
    return w->state == WindowState::Minimized ? w->normalBox : w->box;
}

void SetWindowMinSize(int id, int w, int h) {
    Guard guard(M().lock);
    Window* win = FindWin(id);
    if (!win) return;
    win->minW = std::max(0, w);
    win->minH = std::max(0, h);
    win->box = WindowsClampToMin(*win, win->box);
    win->normalBox = WindowsClampToMin(*win, win->normalBox);
}

namespace headless {

// A maximised window covers the screen above the taskbar; its inner size
// is that less the caption, as a real frame's borders lie off the screen.
Box MaximizedBox() { return Box{-kFrameBorder, -kFrameBorder, M().screenW, M().screenH - kTaskbarH - kCaptionH}; }

// Shared with the user's actions, which change the state the same way.
void EnterWindowState(Window& w, WindowState state) {
    if (state == w.state) return;
    if (w.state == WindowState::Normal) w.normalBox = w.box;
    if (state == WindowState::Minimized) {
        w.maximizedBeforeMinimize = w.state == WindowState::Maximized;
        if (!w.maximizedBeforeMinimize) w.box = w.normalBox;
        if (M().foreground == w.id) M().foreground = 0;
    } else if (state == WindowState::Maximized) {
        w.box = MaximizedBox();
    } else {
        w.box = w.normalBox;
    }
    w.state = state;
}

}  // namespace headless

void SetWindowState(int id, WindowState state) {
    Guard guard(M().lock);
    if (Window* w = FindWin(id)) EnterWindowState(*w, state);
}

WindowState GetWindowState(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    return w ? w->state : WindowState::Normal;
}

void SetWindowShown(int id, bool shown) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    if (!w) return;
    w->shown = shown;
    if (!shown && M().foreground == id) M().foreground = 0;
}

bool GetWindowShown(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    return w && w->shown;
}

void SetWindowEnabled(int id, bool enabled) {
    Guard guard(M().lock);
    if (Window* w = FindWin(id)) w->enabled = enabled;
}

bool GetWindowEnabled(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    return w && w->enabled;
}

// Only a window on the screen can come to the front; Windows ignores the
// call for a hidden or minimised one.
void SetForeground(int id) {
    Guard guard(M().lock);
    Window* w = FindWin(id);
    if (w && w->shown && w->state != WindowState::Minimized) M().foreground = id;
}

int GetForeground() {
    Guard guard(M().lock);
    return M().foreground;
}

// Numbers from 0xC000 up, where Windows hands out registered messages.
uint32_t RegisterAppMessage(const std::wstring& name) {
    Guard guard(M().lock);
    if (name.empty()) return 0;
    auto& messages = M().messages;
    auto it = messages.find(name);
    if (it != messages.end()) return it->second;
    uint32_t number = 0xC000 + uint32_t(messages.size());
    messages[name] = number;
    return number;
}

// The model is the whole desktop: only our own windows can receive it.
int PostToWindowsTitled(const std::wstring& titlePrefix, uint32_t message) {
    Guard guard(M().lock);
    int count = 0;
    for (const auto& [id, w] : M().windows) {
        if (w.title.compare(0, titlePrefix.size(), titlePrefix) != 0) continue;
        Queue(EventKind::Registered, id, 0, EventType::None, message);
        ++count;
    }
    return count;
}

}  // namespace plat
