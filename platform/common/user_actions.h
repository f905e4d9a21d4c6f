// The user's actions of platform/gui_testing.h as both window systems
// receive them: platform/common/user_actions_testing.cpp turns each User...
// call into one or two of these (a double click is a click and then the
// double click) and hands them to the window system's queue, which carries
// them out one at a time when the program next takes events.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui.h"

namespace plat {

enum class ActionKind {
    Click,
    ClickRow,
    DoubleClickRow,
    TickRow,
    Type,
    SelectTab,
    DragSplitter,
    Spin,
    ClickColumnTitle,
    Focus,
    ChooseMenu,
    PressKey,
    Close,
    Resize,
    Move,
    Minimize,
    Maximize,
    Restore,
    Activate,
    ClickTray,
    Registered,
    ScreenSize,
    TaskbarCreated,
    DpiChange
};

struct UserAction {
    ActionKind kind = ActionKind::Click;
    int target = 0;  // gadget, window or tray icon
    int a = 0, b = 0;
    EventType type = EventType::None;
    uint32_t value = 0;
    std::wstring text;
};

// Each window system's: puts the action at the end of its queue.
void QueueUserAction(const UserAction& action);

}  // namespace plat
