// The cells of a directory list as both window systems show them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"
#include "platform/text.h"

namespace plat {

// The title of a built-in column and the type text of an entry as the
// system names them; where it gives none, the names of a German Windows.
std::wstring DirListColumnTitle(ShellColumn column);
std::wstring DirListTypeText(const std::wstring& name, bool drive, bool folder);
// Whole kilobytes, rounded up, as a file manager shows sizes.
std::wstring DirListSizeText(uint64_t size);
// "dd.mm.yyyy hh:ii" of a local date.
std::wstring DirListDateText(int64_t seconds);

// The order of a directory list's rows: "..", then folders, then files;
// within each group by `key()` (<0, 0, >0 for a against b), reversed when
// `descending`; equal keys fall back to the name.
struct DirListOrderRow {
    bool parentEntry;
    bool folder;
    const std::wstring& name;
};
template <typename Key>
bool DirListBefore(const DirListOrderRow& a, const DirListOrderRow& b, bool descending, Key key) {
    if (a.parentEntry != b.parentEntry) return a.parentEntry;
    if (a.folder != b.folder) return a.folder;
    int c = key();
    if (descending) c = -c;
    if (c == 0) c = CompareNoCase(a.name, b.name);
    return c < 0;
}

}  // namespace plat
