// The cells of a directory list as both window systems show them.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Whole kilobytes, rounded up, as a file manager shows sizes.
std::wstring DirListSizeText(uint64_t size);
std::wstring DirListTypeText(const std::wstring& name, bool drive, bool folder);
// "dd.mm.yyyy hh:ii" of a local date.
std::wstring DirListDateText(int64_t seconds);

}  // namespace plat
