// Directory lists on Windows: a list view the layer fills itself from the
// file system, with the same columns, texts and order as the headless model.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "platform/common/dirlist_text.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace plat::wgui {

static std::wstring DirListCell(const DirRow& row, int role) {
    if (role == 0) return row.name;
    if (row.parentEntry) return L"";
    switch (role) {
        case 1:
            return row.folder ? L"" : DirListSizeText(row.size);
        case 2:
            return DirListTypeText(row.name, row.drive, row.folder);
        case 3:
            return row.modified ? DirListDateText(row.modified) : L"";
        default:
            return L"";
    }
}

static void DirListSetText(HWND hwnd, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    std::wstring t = text;
    item.pszText = t.data();
    SendMessageW(hwnd, LVM_SETITEMTEXTW, WPARAM(row), LPARAM(&item));
}

// Rebuilds the rows in the order of dirRows; the program's own columns
// start empty.
static void DirListShow(GadgetRec& g, int current) {
    Quiet quiet;
    SendMessageW(g.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(g.hwnd, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < g.dirRows.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        std::wstring name = g.dirRows[i].name;
        item.pszText = name.data();
        SendMessageW(g.hwnd, LVM_INSERTITEMW, 0, LPARAM(&item));
        const DirRow& row = g.dirRows[i];
        for (size_t c = 1; c < g.columnRoles.size(); ++c) {
            if (g.columnRoles[c] > 0)
                DirListSetText(g.hwnd, int(i), int(c), DirListCell(row, g.columnRoles[c]));
            else if (g.columnRoles[c] < 0 && c < row.ownCells.size() && !row.ownCells[c].empty())
                DirListSetText(g.hwnd, int(i), int(c), row.ownCells[c]);
        }
    }
    if (current >= 0) {
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(g.hwnd, LVM_SETITEMSTATE, WPARAM(current), LPARAM(&item));
    }
    g.current = current;
    SendMessageW(g.hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g.hwnd, nullptr, TRUE);
}

static std::wstring DirListDir(const GadgetRec& g) {
    std::wstring text(size_t(GetWindowTextLengthW(g.hwnd)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(g.hwnd, text.data(), int(text.size()))));
    return text;
}

// "..", then folders, then files; within each group by the sort column,
// whose direction the user chooses; equal keys fall back to the name.
void SortDirList(GadgetRec& g) {
    const int role = g.sortColumn;
    auto keyCompare = [&](const DirRow& a, const DirRow& b) -> int {
        switch (role) {
            case 1:
                return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
            case 3:
                return a.modified < b.modified ? -1 : a.modified > b.modified ? 1 : 0;
            case 0:
                return CompareNoCase(a.name, b.name);
            default:
                return CompareNoCase(DirListCell(a, role), DirListCell(b, role));
        }
    };
    std::stable_sort(g.dirRows.begin(), g.dirRows.end(), [&](const DirRow& a, const DirRow& b) {
        return DirListBefore({a.parentEntry, a.folder, a.name}, {b.parentEntry, b.folder, b.name}, g.sortDescending,
                             [&] { return keyCompare(a, b); });
    });
}

void FillDirList(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList) return;
    std::wstring dir = DirListDir(*g);
    if (!dir.empty() && dir.back() != L'\\') {
        dir += L'\\';
        Quiet quiet;
        SetWindowTextW(g->hwnd, dir.c_str());
    }
    g->dirRows.clear();
    if (dir.empty()) {
        for (const std::wstring& root : LogicalDriveRoots()) {
            DirRow row;
            row.name = WithoutTrailingSeparator(root);
            row.folder = row.drive = true;
            g->dirRows.push_back(row);
        }
    } else {
        std::vector<DirEntry> entries;
        if (ListDir(dir, L"*", entries)) {
            if (g->flags & kDirParentEntry) {
                DirRow up;
                up.name = L"..";
                up.folder = up.parentEntry = true;
                g->dirRows.push_back(up);
            }
            for (const DirEntry& e : entries) {
                const bool folder = (e.attributes & kAttrDirectory) != 0;
                if (!folder && (g->flags & kDirFoldersOnly)) continue;
                DirRow row;
                row.name = e.name;
                row.folder = folder;
                row.size = e.size;
                row.modified = e.modified;
                g->dirRows.push_back(row);
            }
        }
    }
    SortDirList(*g);
    DirListShow(*g, -1);
}

// The selection stays with its entry, as LVM_SORTITEMS keeps item states.
void DirListColumnClick(int id, int column) {
    GadgetRec* g = FindGadget(id);
    // A column of the program's own is not a sort key.
    if (!g || column < 0 || size_t(column) >= g->columnRoles.size() || g->columnRoles[size_t(column)] < 0) return;
    const int role = g->columnRoles[size_t(column)];
    if (g->sortColumn == role)
        g->sortDescending = !g->sortDescending;
    else {
        g->sortColumn = role;
        g->sortDescending = false;
    }
    const int cur = int(SendMessageW(g->hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    const std::wstring name = cur >= 0 && size_t(cur) < g->dirRows.size() ? g->dirRows[size_t(cur)].name : L"";
    // The program's marks belong to their entries, not to the row numbers:
    // they travel with the rows, as LVM_SORTITEMS would keep them.
    for (size_t i = 0; i < g->dirRows.size(); ++i) {
        DirRow& row = g->dirRows[i];
        row.ownCells.assign(g->columnRoles.size(), std::wstring());
        for (size_t c = 0; c < g->columnRoles.size(); ++c)
            if (g->columnRoles[c] < 0) row.ownCells[c] = GetListCell(id, int(i), int(c));
    }
    SortDirList(*g);
    int now = -1;
    for (size_t i = 0; cur >= 0 && i < g->dirRows.size(); ++i)
        if (g->dirRows[i].name == name) now = int(i);
    DirListShow(*g, now);
    // Columns the program adds later would shift them.
    for (DirRow& row : g->dirRows) row.ownCells.clear();
}

void DirListRefill(GadgetRec& g) { DirListShow(g, g.current); }

// A double click on a folder enters it, on ".." goes to the parent, on a
// drive lists its root; the program hears of the new listing by the text.
void DirListEnter(int id, int row) {
    GadgetRec* g = FindGadget(id);
    if (!g || row < 0 || size_t(row) >= g->dirRows.size() || !g->dirRows[size_t(row)].folder) return;
    const DirRow entry = g->dirRows[size_t(row)];
    std::wstring dir = DirListDir(*g);
    if (entry.drive)
        dir = entry.name + L"\\";
    else if (entry.parentEntry)
        dir = ParentDir(dir);  // above a drive root or a share's server: the drives
    else
        dir += entry.name + L"\\";
    {
        Quiet quiet;
        SetWindowTextW(g->hwnd, dir.c_str());
    }
    FillDirList(id);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreateDirList(int id, int parent, Box box, const std::wstring& dir, uint32_t flags) {
    HWND hwnd = MakeListView(id, parent, box, flags & ~kListCheckBoxes);
    if (!RegisterGadget(id, hwnd, Kind::DirList, parent, flags)) return false;
    GadgetRec* g = FindGadget(id);
    {
        Quiet quiet;
        ListAddColumn(hwnd, 0, DirListColumnTitle(ShellColumn::Name), 100);
        ListAddColumn(hwnd, 1, DirListColumnTitle(ShellColumn::Size), 100);
        ListAddColumn(hwnd, 2, DirListColumnTitle(ShellColumn::Type), 100);
        ListAddColumn(hwnd, 3, DirListColumnTitle(ShellColumn::Modified), 100);
        SetWindowTextW(hwnd, dir.c_str());
    }
    g->columnRoles = {0, 1, 2, 3};
    FillDirList(id);
    return true;
}

std::wstring GetDirListName(int id, int row) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList || row < 0 || size_t(row) >= g->dirRows.size()) return L"";
    return g->dirRows[size_t(row)].name;
}

bool GetDirListIsFolder(int id, int row) {
    GadgetRec* g = FindGadget(id);
    return g && g->kind == Kind::DirList && row >= 0 && size_t(row) < g->dirRows.size() &&
           g->dirRows[size_t(row)].folder;
}

}  // namespace plat
