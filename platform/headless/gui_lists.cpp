// List views of the headless model: columns, rows, cells, check boxes, row
// data and the current row. Directory lists share the column and cell calls;
// their rows come from the file system only (gui_dirlist.cpp).
#include <algorithm>

#include "platform/headless/gui_model.h"

namespace plat {

using namespace headless;

static bool ListsValidRow(const Gadget& g, int row) { return row >= 0 && row < int(g.rows.size()); }

static bool ListsValidCell(const Gadget& g, int row, int column) {
    return ListsValidRow(g, row) && column >= 0 && column < int(g.columns.size());
}

bool AddListColumn(int id, int position, const std::wstring& title, int width) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g) return false;
    const int count = int(g->columns.size());
    if (g->kind == GadgetKind::DirList)
        position = DirListInsertColumn(g->dirList, position);
    else if (position < 0 || position > count)
        position = count;
    g->columns.insert(g->columns.begin() + position, ListColumn{title, width});
    for (ListRow& r : g->rows) r.cells.insert(r.cells.begin() + position, std::wstring());
    return true;
}

bool RemoveListColumn(int id, int position) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g || position < 0 || position >= int(g->columns.size())) return false;
    if (g->kind == GadgetKind::DirList && !DirListRemoveColumn(g->dirList, position)) return false;
    g->columns.erase(g->columns.begin() + position);
    for (ListRow& r : g->rows) r.cells.erase(r.cells.begin() + position);
    return true;
}

int GetListColumnCount(int id) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    return g ? int(g->columns.size()) : 0;
}

std::wstring GetListColumnTitle(int id, int column) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g || column < 0 || column >= int(g->columns.size())) return std::wstring();
    return g->columns[column].title;
}

void SetListColumnWidth(int id, int column, int width) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (g && column >= 0 && column < int(g->columns.size())) g->columns[column].width = std::max(0, width);
}

int GetListColumnWidth(int id, int column) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g || column < 0 || column >= int(g->columns.size())) return 0;
    return g->columns[column].width;
}

int AddListRow(int id, int position, const std::vector<std::wstring>& cells) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::ListView);
    if (!g) return -1;
    const int count = int(g->rows.size());
    if (position < 0 || position > count) position = count;
    ListRow row;
    row.cells = cells;
    row.cells.resize(g->columns.size());
    g->rows.insert(g->rows.begin() + position, row);
    if (g->current >= position) ++g->current;
    return position;
}

bool RemoveListRow(int id, int row) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::ListView);
    if (!g || !ListsValidRow(*g, row)) return false;
    g->rows.erase(g->rows.begin() + row);
    if (g->current == row)
        g->current = -1;
    else if (g->current > row)
        --g->current;
    return true;
}

void ClearList(int id) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::ListView);
    if (!g) return;
    g->rows.clear();
    g->current = -1;
}

int GetListRowCount(int id) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    return g ? int(g->rows.size()) : 0;
}

void SetListCell(int id, int row, int column, const std::wstring& text) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g || !ListsValidCell(*g, row, column)) return;
    g->rows[row].cells[column] = text;
    if (g->kind == GadgetKind::DirList) DirListSetOwnCell(g->dirList, row, column, text);
}

std::wstring GetListCell(int id, int row, int column) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (!g || !ListsValidCell(*g, row, column)) return std::wstring();
    return g->rows[row].cells[column];
}

// A list without check boxes has no state images to set; Windows ignores
// the call, and so does the model.
void SetListRowChecked(int id, int row, bool checked) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (g && (g->flags & kListCheckBoxes) && ListsValidRow(*g, row)) g->rows[row].checked = checked;
}

bool GetListRowChecked(int id, int row) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    return g && ListsValidRow(*g, row) && g->rows[row].checked;
}

void SetListRowData(int id, int row, int32_t data) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    if (g && ListsValidRow(*g, row)) g->rows[row].data = data;
}

int32_t GetListRowData(int id, int row) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    return g && ListsValidRow(*g, row) ? g->rows[row].data : 0;
}

void SetListCurrentRow(int id, int row) {
    Guard guard(M().lock);
    if (Gadget* g = FindList(id)) ChangeCurrentRow(*g, row);
}

int GetListCurrentRow(int id) {
    Guard guard(M().lock);
    Gadget* g = FindList(id);
    return g ? g->current : -1;
}

std::wstring GetDirListName(int id, int row) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::DirList);
    return g && ListsValidRow(*g, row) ? g->dirList.rows[size_t(row)].name : std::wstring();
}

bool GetDirListIsFolder(int id, int row) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::DirList);
    return g && ListsValidRow(*g, row) && g->dirList.rows[size_t(row)].folder;
}

bool GetDirListTarget(int id, int row, std::wstring& dir) {
    Guard guard(M().lock);
    Gadget* g = FindGadgetOfKind(id, GadgetKind::DirList);
    return g && DirListRowTarget(g->dirList, row, dir);
}

}  // namespace plat
