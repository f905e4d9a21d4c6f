// The program's own modal directory picker and the parent of a path.
#pragma once

#include <string>

#include "platform/path_text.h"

namespace dialogs {

// "Bitte Pfad wählen", retitled `title`: the chosen directory (ending in
// "\"); after "Abbrechen", the close box or OK with an empty field the
// initial path unchanged; the empty text only when the window could not be
// opened (after a message saying so).
std::wstring ChoosePath(const std::wstring& initialPath, const std::wstring& title);

// The parent directory of a path that ends in "\", the same step up as the
// directory list's "..".
using plat::ParentDir;

}  // namespace dialogs
