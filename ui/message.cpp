#include "ui/message.h"

#include "platform/gui.h"

namespace ui {

int ShowMessage(const std::wstring& text, int ask, const std::wstring& title) {
    const plat::MsgAnswer answer =
        plat::ShowMessageBox(L"Tresoro " + title, text, ask ? plat::MsgButtons::YesNo : plat::MsgButtons::Ok);
    return ask && answer == plat::MsgAnswer::Yes ? 1 : 0;
}

}  // namespace ui
