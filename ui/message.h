// The program's message box.
#pragma once

#include <string>

namespace ui {

// A box captioned "Tresoro " + title showing `text`: with ask = 0 an OK
// button (result 0), otherwise Yes and No (1 for Yes, 0 for No or a closed
// box). Modal to the program's foreground window.
int ShowMessage(const std::wstring& text, int ask, const std::wstring& title);

}  // namespace ui
