// The cells of a directory list as both window systems show them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace plat {

// The title of a built-in column and the type text of an entry as the
// system names them; where it gives none, the names of a German Windows.
std::wstring DirListColumnTitle(ShellColumn column);
std::wstring DirListTypeText(const std::wstring& name, bool drive, bool folder);
// Whole kilobytes, rounded up, as a file manager shows sizes.
std::wstring DirListSizeText(uint64_t size);
// "dd.mm.yyyy hh:ii" of a local date.
std::wstring DirListDateText(int64_t seconds);

}  // namespace plat
