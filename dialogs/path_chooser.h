// The program's own modal directory picker and the parent of a path.
#pragma once

#include <string>

namespace dialogs {

// "Bitte Pfad wählen", retitled `title`: the chosen directory (ending in
// "\"), or the empty text when the user cancelled or closed the window.
std::wstring ChoosePath(const std::wstring& initialPath, const std::wstring& title);

// The parent directory of a path that ends in "\".
std::wstring ParentDir(const std::wstring& path);

}  // namespace dialogs
