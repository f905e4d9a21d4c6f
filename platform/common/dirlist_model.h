// The directory list as both window systems compute it: the rows of one
// folder or of the drives, their order by the column the user chose (the
// program's own cells travel with their entries), the ".." row, and where a
// click on a row leads. A window system keeps one DirListModel per
// directory list, shows its rows and turns the user's clicks into these
// calls; what a directory list does is decided here, once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// What a column shows: one of the built-in texts of an entry, or the
// program's own cells (AddListColumn on a directory list).
enum class DirColumn { Own = -1, Name, Size, Type, Modified };

struct DirListRow {
    std::wstring name;    // "..", the entry's name, or a drive such as "C:"
    bool folder = false;  // drives and ".." count as folders
    bool drive = false;
    bool parentEntry = false;
    uint64_t size = 0;
    int64_t modified = 0;
    // The texts of the built-in columns, by DirColumn, made once when
    // listed (the type asks the shell).
    std::array<std::wstring, 4> texts;
    // The program's cells, by column position; empty where none was set.
    std::vector<std::wstring> ownCells;
};

struct DirListModel {
    std::wstring dir;    // shown directory with its trailing "\"; empty: the drives
    uint32_t flags = 0;  // kDirFoldersOnly, kDirParentEntry of platform/gui.h
    std::vector<DirColumn> columns{DirColumn::Name, DirColumn::Size, DirColumn::Type, DirColumn::Modified};
    std::vector<DirListRow> rows;
    DirColumn sortBy = DirColumn::Name;
    bool sortDescending = false;
};

// Lists `dir` (a trailing "\" added; the empty text lists the drives) in
// the order chosen; the program's cells start empty. A directory that
// cannot be listed has no rows, not even "..".
void DirListLoad(DirListModel& list, const std::wstring& dir);

// A click on a column title sorts by that column, a second one reverses;
// a column of the program's own is no sort key (false, nothing changes).
// `current`, a row or -1, comes back as the row of the same entry, as
// LVM_SORTITEMS keeps item states.
bool DirListSortByColumn(DirListModel& list, int column, int& current);
// The position of the column sorted by.
int DirListSortColumn(const DirListModel& list);

// The text a cell shows; "" outside the rows and columns.
std::wstring DirListCellText(const DirListModel& list, int row, int column);
// Sets a cell of one of the program's columns; false for the built-in ones.
bool DirListSetOwnCell(DirListModel& list, int row, int column, const std::wstring& text);
// Inserts a column of the program's own. The name stays first: a position
// below 1 or beyond the end appends. Answers the position used.
int DirListInsertColumn(DirListModel& list, int position);
// Removes a column of the program's own; the built-in ones stay (false).
bool DirListRemoveColumn(DirListModel& list, int position);

// Where a click on the row leads: a folder's directory, for ".." the
// parent (the drives above a drive root or a share), for a drive its root.
// False, with `dir` untouched, for a file or a row that does not exist.
bool DirListRowTarget(const DirListModel& list, int row, std::wstring& dir);
// The double click: it selects nothing itself, so it enters the row the
// first click selected (`selected`), none when the list was filled anew in
// between. True when the list now shows another directory.
bool DirListDoubleClick(DirListModel& list, int selected);

}  // namespace plat
