#include "platform/common/dirlist_model.h"

#include <algorithm>

#include "platform/common/dirlist_text.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/path_text.h"
#include "platform/text.h"

namespace plat {

static const std::wstring& DirModelText(const DirListRow& row, DirColumn column) { return row.texts[size_t(column)]; }

static DirListRow DirModelEntryRow(std::wstring name, bool folder, bool drive, uint64_t size, int64_t modified) {
    DirListRow row;
    row.name = std::move(name);
    row.folder = folder;
    row.drive = drive;
    row.size = size;
    row.modified = modified;
    row.texts[size_t(DirColumn::Name)] = row.name;
    row.texts[size_t(DirColumn::Size)] = folder ? L"" : DirListSizeText(size);
    row.texts[size_t(DirColumn::Type)] = DirListTypeText(row.name, drive, folder);
    row.texts[size_t(DirColumn::Modified)] = modified ? DirListDateText(modified) : L"";
    return row;
}

static int DirModelKeyCompare(DirColumn key, const DirListRow& a, const DirListRow& b) {
    switch (key) {
        case DirColumn::Size:
            return a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
        case DirColumn::Modified:
            return a.modified < b.modified ? -1 : a.modified > b.modified ? 1 : 0;
        case DirColumn::Type:
            return CompareNoCase(DirModelText(a, key), DirModelText(b, key));
        default:
            return CompareNoCase(a.name, b.name);
    }
}

// "..", then folders, then files; within each group by the sort key, in the
// direction the user chose; equal keys fall back to the name.
static void DirModelSort(DirListModel& list) {
    std::stable_sort(list.rows.begin(), list.rows.end(), [&](const DirListRow& a, const DirListRow& b) {
        if (a.parentEntry != b.parentEntry) return a.parentEntry;
        if (a.folder != b.folder) return a.folder;
        int c = DirModelKeyCompare(list.sortBy, a, b);
        if (list.sortDescending) c = -c;
        if (c == 0) c = CompareNoCase(a.name, b.name);
        return c < 0;
    });
}

void DirListLoad(DirListModel& list, const std::wstring& dir) {
    list.dir = dir.empty() ? dir : AddBackslash(dir);
    list.rows.clear();
    if (list.dir.empty()) {
        for (const std::wstring& root : LogicalDriveRoots())
            list.rows.push_back(DirModelEntryRow(WithoutTrailingSeparator(root), true, true, 0, 0));
    } else {
        std::vector<DirEntry> entries;
        if (!ListDir(list.dir, L"*", entries)) return;
        if (list.flags & kDirParentEntry) {
            DirListRow up;
            up.name = up.texts[size_t(DirColumn::Name)] = L"..";
            up.folder = up.parentEntry = true;
            list.rows.push_back(up);
        }
        for (const DirEntry& e : entries) {
            const bool folder = (e.attributes & kAttrDirectory) != 0;
            if (!folder && (list.flags & kDirFoldersOnly)) continue;
            list.rows.push_back(DirModelEntryRow(e.name, folder, false, e.size, e.modified));
        }
    }
    DirModelSort(list);
}

static bool DirModelValidColumn(const DirListModel& list, int column) {
    return column >= 0 && size_t(column) < list.columns.size();
}

bool DirListSortByColumn(DirListModel& list, int column, int& current) {
    if (!DirModelValidColumn(list, column) || list.columns[size_t(column)] == DirColumn::Own) return false;
    const DirColumn key = list.columns[size_t(column)];
    list.sortDescending = list.sortBy == key && !list.sortDescending;
    list.sortBy = key;
    const bool hadCurrent = current >= 0 && size_t(current) < list.rows.size();
    const std::wstring currentName = hadCurrent ? list.rows[size_t(current)].name : std::wstring();
    DirModelSort(list);
    current = -1;
    for (size_t i = 0; hadCurrent && i < list.rows.size(); ++i)
        if (list.rows[i].name == currentName) current = int(i);
    return true;
}

int DirListSortColumn(const DirListModel& list) {
    const auto it = std::find(list.columns.begin(), list.columns.end(), list.sortBy);
    return int(it - list.columns.begin());
}

std::wstring DirListCellText(const DirListModel& list, int row, int column) {
    if (row < 0 || size_t(row) >= list.rows.size() || !DirModelValidColumn(list, column)) return std::wstring();
    const DirListRow& r = list.rows[size_t(row)];
    const DirColumn kind = list.columns[size_t(column)];
    if (kind != DirColumn::Own) return DirModelText(r, kind);
    return size_t(column) < r.ownCells.size() ? r.ownCells[size_t(column)] : std::wstring();
}

bool DirListSetOwnCell(DirListModel& list, int row, int column, const std::wstring& text) {
    if (row < 0 || size_t(row) >= list.rows.size() || !DirModelValidColumn(list, column)) return false;
    if (list.columns[size_t(column)] != DirColumn::Own) return false;
    DirListRow& r = list.rows[size_t(row)];
    if (r.ownCells.size() <= size_t(column)) r.ownCells.resize(list.columns.size());
    r.ownCells[size_t(column)] = text;
    return true;
}

int DirListInsertColumn(DirListModel& list, int position) {
    const int count = int(list.columns.size());
    if (position < 1 || position > count) position = count;
    list.columns.insert(list.columns.begin() + position, DirColumn::Own);
    for (DirListRow& r : list.rows)
        if (r.ownCells.size() > size_t(position)) r.ownCells.insert(r.ownCells.begin() + position, std::wstring());
    return position;
}

bool DirListRemoveColumn(DirListModel& list, int position) {
    if (!DirModelValidColumn(list, position) || list.columns[size_t(position)] != DirColumn::Own) return false;
    list.columns.erase(list.columns.begin() + position);
    for (DirListRow& r : list.rows)
        if (r.ownCells.size() > size_t(position)) r.ownCells.erase(r.ownCells.begin() + position);
    return true;
}

bool DirListRowTarget(const DirListModel& list, int row, std::wstring& dir) {
    if (row < 0 || size_t(row) >= list.rows.size() || !list.rows[size_t(row)].folder) return false;
    const DirListRow& r = list.rows[size_t(row)];
    if (r.parentEntry)
        dir = ParentDir(list.dir);
    else if (r.drive)
        dir = r.name + L"\\";
    else
        dir = list.dir + r.name + L"\\";
    return true;
}

bool DirListDoubleClick(DirListModel& list, int selected) {
    std::wstring target;
    if (!DirListRowTarget(list, selected, target)) return false;
    DirListLoad(list, target);
    return true;
}

}  // namespace plat
