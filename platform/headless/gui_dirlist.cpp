// Directory lists of the headless model: one directory's entries from the
// portable file system, in the columns a file manager shows, kept sorted.
#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "platform/common/dirlist_text.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/headless/gui_model.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace plat::headless {

static void DirListFillCells(const Gadget& g, ListRow& row) {
    row.cells.assign(g.columns.size(), std::wstring());
    if (row.parentEntry) {
        for (size_t c = 0; c < g.columns.size(); ++c)
            if (g.columns[c].builtin == DirColumn::Name) row.cells[c] = row.name;
        return;
    }
    for (size_t c = 0; c < g.columns.size(); ++c) {
        switch (g.columns[c].builtin) {
            case DirColumn::Name:
                row.cells[c] = row.name;
                break;
            case DirColumn::Size:
                row.cells[c] = row.folder ? L"" : DirListSizeText(row.size);
                break;
            case DirColumn::Type:
                row.cells[c] = DirListTypeText(row.name, row.drive, row.folder);
                break;
            case DirColumn::Modified:
                row.cells[c] = row.modified ? DirListDateText(row.modified) : L"";
                break;
            case DirColumn::None:
                break;
        }
    }
}

void FillDirList(Gadget& g) {
    if (!g.text.empty() && g.text.back() != L'\\') g.text += L'\\';
    g.rows.clear();
    g.current = -1;
    if (g.text.empty()) {
        for (const std::wstring& root : LogicalDriveRoots()) {
            ListRow row;
            row.name = WithoutTrailingSeparator(root);
            row.folder = true;
            row.drive = true;
            g.rows.push_back(row);
        }
    } else {
        std::vector<DirEntry> entries;
        if (ListDir(g.text, L"*", entries)) {
            if (g.flags & kDirParentEntry) {
                ListRow up;
                up.name = L"..";
                up.folder = true;
                up.parentEntry = true;
                g.rows.push_back(up);
            }
            for (const DirEntry& e : entries) {
                const bool folder = (e.attributes & kAttrDirectory) != 0;
                if (!folder && (g.flags & kDirFoldersOnly)) continue;
                ListRow row;
                row.name = e.name;
                row.folder = folder;
                row.size = e.size;
                row.modified = e.modified;
                g.rows.push_back(row);
            }
        }
    }
    for (ListRow& row : g.rows) DirListFillCells(g, row);
    SortDirList(g);
}

// "..", then folders, then files; within each group by the sort column,
// whose direction the user chooses; equal keys fall back to the name.
void SortDirList(Gadget& g) {
    const int column = g.sortColumn >= 0 && g.sortColumn < int(g.columns.size()) ? g.sortColumn : 0;
    const DirColumn kind = g.columns.empty() ? DirColumn::Name : g.columns[column].builtin;
    auto keyCompare = [&](const ListRow& a, const ListRow& b) -> int {
        switch (kind) {
            case DirColumn::Size:
                return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
            case DirColumn::Modified:
                return a.modified < b.modified ? -1 : a.modified > b.modified ? 1 : 0;
            case DirColumn::Name:
                return CompareNoCase(a.name, b.name);
            default:
                return CompareNoCase(a.cells[column], b.cells[column]);
        }
    };
    const bool hadCurrent = g.current >= 0;
    const std::wstring currentName = hadCurrent ? g.rows[g.current].name : std::wstring();
    std::stable_sort(g.rows.begin(), g.rows.end(), [&](const ListRow& a, const ListRow& b) {
        return DirListBefore({a.parentEntry, a.folder, a.name}, {b.parentEntry, b.folder, b.name}, g.sortDescending,
                             [&] { return keyCompare(a, b); });
    });
    // The selection stays with its entry, as LVM_SORTITEMS keeps item states.
    if (hadCurrent) {
        g.current = -1;
        for (size_t i = 0; i < g.rows.size(); ++i)
            if (g.rows[i].name == currentName) g.current = int(i);
    }
}

}  // namespace plat::headless
