#include "platform/common/user_actions.h"
#include "platform/gui_testing.h"

namespace plat {

static void ActionPush(ActionKind kind, int target, int a = 0, int b = 0, EventType type = EventType::None,
                       uint32_t value = 0, const std::wstring& text = std::wstring()) {
    UserAction action;
    action.kind = kind;
    action.target = target;
    action.a = a;
    action.b = b;
    action.type = type;
    action.value = value;
    action.text = text;
    QueueUserAction(action);
}

// A double click reaches the program as a click and then the double click.
static EventType ActionSingleOf(EventType type) {
    if (type == EventType::LeftDoubleClick) return EventType::LeftClick;
    if (type == EventType::RightDoubleClick) return EventType::RightClick;
    return type;
}

static bool ActionIsDouble(EventType type) {
    return type == EventType::LeftDoubleClick || type == EventType::RightDoubleClick;
}

void UserClick(int gadget, EventType type) { ActionPush(ActionKind::Click, gadget, 0, 0, type); }

void UserClickRow(int list, int row, EventType type) {
    ActionPush(ActionKind::ClickRow, list, row, 0, ActionSingleOf(type));
    if (ActionIsDouble(type)) ActionPush(ActionKind::DoubleClickRow, list, row, 0, type);
}

void UserTickRow(int list, int row) { ActionPush(ActionKind::TickRow, list, row); }
void UserType(int gadget, const std::wstring& text) {
    ActionPush(ActionKind::Type, gadget, 0, 0, EventType::None, 0, text);
}
void UserSelectTab(int panel, int index) { ActionPush(ActionKind::SelectTab, panel, index); }
void UserDragSplitter(int splitter, int position) { ActionPush(ActionKind::DragSplitter, splitter, position); }
void UserSpin(int spin, int steps) { ActionPush(ActionKind::Spin, spin, steps); }
void UserClickColumnTitle(int list, int column) { ActionPush(ActionKind::ClickColumnTitle, list, column); }
void UserFocus(int gadget) { ActionPush(ActionKind::Focus, gadget); }
void UserChooseMenu(int window, int itemId) { ActionPush(ActionKind::ChooseMenu, window, itemId); }
void UserPressKey(int window, int key, uint32_t modifiers) {
    ActionPush(ActionKind::PressKey, window, key, 0, EventType::None, modifiers);
}
void UserCloseWindow(int window) { ActionPush(ActionKind::Close, window); }
void UserResizeWindow(int window, int w, int h) { ActionPush(ActionKind::Resize, window, w, h); }
void UserMoveWindow(int window, int x, int y) { ActionPush(ActionKind::Move, window, x, y); }
void UserMinimize(int window) { ActionPush(ActionKind::Minimize, window); }
void UserMaximize(int window) { ActionPush(ActionKind::Maximize, window); }
void ChangeScreenSize(int w, int h) { ActionPush(ActionKind::ScreenSize, 0, w, h); }
void UserRestore(int window) { ActionPush(ActionKind::Restore, window); }
void UserActivate(int window) { ActionPush(ActionKind::Activate, window); }

void UserClickTray(int tray, EventType type) {
    ActionPush(ActionKind::ClickTray, tray, 0, 0, ActionSingleOf(type));
    if (ActionIsDouble(type)) ActionPush(ActionKind::ClickTray, tray, 0, 0, type);
}

void ChangeWindowDpi(int window, int dpi) { ActionPush(ActionKind::DpiChange, window, dpi); }
void RestartTaskbar() { ActionPush(ActionKind::TaskbarCreated, 0); }

void ArriveRegisteredMessage(int window, uint32_t message) {
    ActionPush(ActionKind::Registered, window, 0, 0, EventType::None, message);
}

}  // namespace plat
