// List views on Windows: columns, rows, check boxes and the current row.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>

namespace plat::wgui {

static GadgetRec* ListRec(int id) {
    GadgetRec* g = FindGadget(id);
    return g && (g->kind == Kind::ListView || g->kind == Kind::DirList) ? g : nullptr;
}

static int ListRows(const GadgetRec& g) { return int(SendMessageW(g.hwnd, LVM_GETITEMCOUNT, 0, 0)); }

static int ListSelected(const GadgetRec& g) {
    return int(SendMessageW(g.hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
}

// The list view sends a pair of LVN_ITEMCHANGED for a new selection; the
// program hears of it once, when the selected row differs from the last
// one reported.
void ListSyncCurrent(int id, bool report) {
    GadgetRec* g = ListRec(id);
    if (!g) return;
    const int now = ListSelected(*g);
    if (now == g->current) return;
    g->current = now;
    if (!report) return;
    GuiEvent e;
    e.kind = EventKind::Gadget;
    e.window = g->window;
    e.id = id;
    e.type = EventType::Change;
    PushEvent(e);
}

// A click on another row deselects the old row and then selects the new
// one, each with an LVN_ITEMCHANGED. The program hears of the new current
// row once: a Change to "no row" still waiting at the queue's end stands
// for the row selected right after it.
static void ListSelectionChanged(GadgetRec& g, int id) {
    const auto& q = EventQueue();
    const bool afterDeselect = g.current == -1 && !q.empty() && q.back().kind == EventKind::Gadget &&
                               q.back().id == id && q.back().type == EventType::Change;
    const int now = ListSelected(g);
    if (afterDeselect && now >= 0)
        g.current = now;
    else
        ListSyncCurrent(id, true);
}

static void ListPushEvent(const GadgetRec& g, int id, EventType type) {
    GuiEvent e;
    e.kind = EventKind::Gadget;
    e.window = g.window;
    e.id = id;
    e.type = type;
    PushEvent(e);
}

bool HandleNotify(HWND, LPARAM lp, LRESULT& result) {
    const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
    const int id = IdOfHwnd(hdr->hwndFrom);
    GadgetRec* g = FindGadget(id);
    if (!g) return false;
    result = 0;
    if (g->kind == Kind::Panel) {
        if (hdr->code == TCN_SELCHANGE) {
            LayoutPanel(*g);
            if (!IsQuiet()) ListPushEvent(*g, id, EventType::Change);
        }
        return hdr->code == TCN_SELCHANGE;
    }
    if (g->kind == Kind::Spin) return false;
    if (g->kind != Kind::ListView && g->kind != Kind::DirList) return false;
    switch (hdr->code) {
        case LVN_ITEMCHANGED: {
            if (IsQuiet()) return true;
            const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
            if (!(nm->uChanged & LVIF_STATE)) return true;
            if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) ListSelectionChanged(*g, id);
            // A tick. Rows are inserted only under Quiet, so a state image
            // that changes here is the user's click on the box.
            if ((nm->uOldState ^ nm->uNewState) & LVIS_STATEIMAGEMASK) {
                // The list view ticks the box after it reported the click;
                // the program hears of the tick first, then of the click.
                auto& q = EventQueue();
                if (g->clickOnBox && !q.empty() && q.back().id == id && q.back().type == EventType::LeftClick) {
                    GuiEvent e = q.back();
                    e.type = EventType::Change;
                    q.insert(q.end() - 1, e);
                } else {
                    ListPushEvent(*g, id, EventType::Change);
                }
                g->clickOnBox = false;
            }
            return true;
        }
        case NM_CLICK: {
            LVHITTESTINFO hit = {};
            hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(lp)->ptAction;
            SendMessageW(g->hwnd, LVM_HITTEST, 0, LPARAM(&hit));
            g->clickOnBox = (g->flags & kListCheckBoxes) && (hit.flags & LVHT_ONITEMSTATEICON) && hit.iItem >= 0;
            ListPushEvent(*g, id, EventType::LeftClick);
            return true;
        }
        case NM_RCLICK:
            ListPushEvent(*g, id, EventType::RightClick);
            return true;
        case NM_DBLCLK: {
            // The second click selects nothing: a directory list enters the
            // row the first one selected, none if the list was filled anew.
            ListPushEvent(*g, id, EventType::LeftDoubleClick);
            if (g->kind == Kind::DirList) DirListDoubleClick(id);
            return true;
        }
        case NM_RDBLCLK:
            ListPushEvent(*g, id, EventType::RightDoubleClick);
            return true;
        case LVN_COLUMNCLICK:
            if (g->kind == Kind::DirList) DirListColumnClick(id, reinterpret_cast<const NMLISTVIEW*>(lp)->iSubItem);
            return true;
        default:
            return false;
    }
}

static bool ListInsertColumn(HWND hwnd, int position, const std::wstring& title, int width) {
    const int count =
        int(SendMessageW(reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
    if (position < 0 || position > count) position = count;
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    std::wstring t = title;
    col.pszText = t.data();
    col.cx = width;
    col.iSubItem = position;
    return SendMessageW(hwnd, LVM_INSERTCOLUMNW, WPARAM(position), LPARAM(&col)) >= 0;
}

HWND MakeListView(int id, int parent, Box box, uint32_t flags) {
    HWND parentHwnd = nullptr;
    int window = 0;
    if (!EnsureGuiInit() || IdInUse(id) || !ParentHandle(parent, parentHwnd, window)) return nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL;
    if (flags & kListAlwaysShowSelection) style |= LVS_SHOWSELALWAYS;
    Quiet quiet;
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, box.x, box.y, box.w, box.h, parentHwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return nullptr;
    DWORD ex = LVS_EX_DOUBLEBUFFER;
    if (flags & kListCheckBoxes) ex |= LVS_EX_CHECKBOXES;
    if (flags & kListGridLines) ex |= LVS_EX_GRIDLINES;
    if (flags & kListFullRowSelect) ex |= LVS_EX_FULLROWSELECT;
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    return hwnd;
}

void ListSetText(HWND hwnd, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    std::wstring t = text;
    item.pszText = t.data();
    SendMessageW(hwnd, LVM_SETITEMTEXTW, WPARAM(row), LPARAM(&item));
}

bool ListAddColumn(HWND hwnd, int position, const std::wstring& title, int width) {
    return ListInsertColumn(hwnd, position, title, width);
}

}  // namespace plat::wgui

namespace plat {
using namespace wgui;

bool CreateListView(int id, int parent, Box box, uint32_t flags) {
    return RegisterGadget(id, MakeListView(id, parent, box, flags), Kind::ListView, parent, flags);
}

bool AddListColumn(int id, int position, const std::wstring& title, int width) {
    GadgetRec* g = ListRec(id);
    if (!g) return false;
    Quiet quiet;
    if (g->kind != Kind::DirList) return ListInsertColumn(g->hwnd, position, title, width);
    // The model says where the column goes; the cells follow their columns.
    position = DirListInsertColumn(g->dirList, position);
    if (!ListInsertColumn(g->hwnd, position, title, width)) {
        DirListRemoveColumn(g->dirList, position);
        return false;
    }
    DirListRefill(*g);
    return true;
}

// Column zero holds the items' own texts, which LVM_DELETECOLUMN leaves in
// place ("column zero cannot be deleted", says the list view's reference):
// the second column's texts, title and width move into it, and the second
// column goes.
static bool ListRemoveFirstColumn(GadgetRec& g, int id) {
    if (GetListColumnCount(id) < 2) return SendMessageW(g.hwnd, LVM_DELETECOLUMN, 0, 0) != 0;
    for (int row = 0, rows = ListRows(g); row < rows; ++row) ListSetText(g.hwnd, row, 0, GetListCell(id, row, 1));
    std::wstring title = GetListColumnTitle(id, 1);
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = title.data();
    col.cx = GetListColumnWidth(id, 1);
    SendMessageW(g.hwnd, LVM_SETCOLUMNW, 0, LPARAM(&col));
    return SendMessageW(g.hwnd, LVM_DELETECOLUMN, 1, 0) != 0;
}

bool RemoveListColumn(int id, int position) {
    GadgetRec* g = ListRec(id);
    if (!g || position < 0 || position >= GetListColumnCount(id)) return false;
    if (g->kind == Kind::DirList && !DirListRemoveColumn(g->dirList, position)) return false;
    Quiet quiet;
    if (position == 0) return ListRemoveFirstColumn(*g, id);
    return SendMessageW(g->hwnd, LVM_DELETECOLUMN, WPARAM(position), 0) != 0;
}

int GetListColumnCount(int id) {
    GadgetRec* g = ListRec(id);
    if (!g) return 0;
    HWND header = reinterpret_cast<HWND>(SendMessageW(g->hwnd, LVM_GETHEADER, 0, 0));
    return header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring GetListColumnTitle(int id, int column) {
    GadgetRec* g = ListRec(id);
    if (!g || column < 0 || column >= GetListColumnCount(id)) return L"";
    wchar_t buf[260] = {};
    LVCOLUMNW col = {};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = 260;
    SendMessageW(g->hwnd, LVM_GETCOLUMNW, WPARAM(column), LPARAM(&col));
    return buf;
}

void SetListColumnWidth(int id, int column, int width) {
    GadgetRec* g = ListRec(id);
    if (g && column >= 0 && column < GetListColumnCount(id))
        SendMessageW(g->hwnd, LVM_SETCOLUMNWIDTH, WPARAM(column), LPARAM(width));
}

int GetListColumnWidth(int id, int column) {
    GadgetRec* g = ListRec(id);
    if (!g || column < 0 || column >= GetListColumnCount(id)) return 0;
    return int(SendMessageW(g->hwnd, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
}

int AddListRow(int id, int position, const std::vector<std::wstring>& cells) {
    GadgetRec* g = ListRec(id);
    if (!g || g->kind != Kind::ListView) return -1;
    const int count = ListRows(*g);
    if (position < 0 || position > count) position = count;
    Quiet quiet;
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = position;
    std::wstring first = cells.empty() ? std::wstring() : cells[0];
    item.pszText = first.data();
    item.lParam = 0;
    const int row = int(SendMessageW(g->hwnd, LVM_INSERTITEMW, 0, LPARAM(&item)));
    if (row < 0) return -1;
    const int columns = GetListColumnCount(id);
    for (int c = 1; c < columns && size_t(c) < cells.size(); ++c) ListSetText(g->hwnd, row, c, cells[size_t(c)]);
    ListSyncCurrent(id, false);
    return row;
}

bool RemoveListRow(int id, int row) {
    GadgetRec* g = ListRec(id);
    if (!g || g->kind != Kind::ListView || row < 0 || row >= ListRows(*g)) return false;
    Quiet quiet;
    const bool ok = SendMessageW(g->hwnd, LVM_DELETEITEM, WPARAM(row), 0) != 0;
    ListSyncCurrent(id, false);
    return ok;
}

void ClearList(int id) {
    GadgetRec* g = ListRec(id);
    if (!g || g->kind != Kind::ListView) return;
    Quiet quiet;
    SendMessageW(g->hwnd, LVM_DELETEALLITEMS, 0, 0);
    g->current = -1;
}

int GetListRowCount(int id) {
    GadgetRec* g = ListRec(id);
    return g ? ListRows(*g) : 0;
}

void SetListCell(int id, int row, int column, const std::wstring& text) {
    GadgetRec* g = ListRec(id);
    if (!g || row < 0 || row >= ListRows(*g) || column < 0 || column >= GetListColumnCount(id)) return;
    Quiet quiet;
    ListSetText(g->hwnd, row, column, text);
    // A directory list keeps the program's cells with their entries.
    if (g->kind == Kind::DirList) DirListSetOwnCell(g->dirList, row, column, text);
}

std::wstring GetListCell(int id, int row, int column) {
    GadgetRec* g = ListRec(id);
    if (!g || row < 0 || row >= ListRows(*g) || column < 0 || column >= GetListColumnCount(id)) return L"";
    std::wstring buf(1024, L'\0');
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = buf.data();
        item.cchTextMax = int(buf.size());
        const int n = int(SendMessageW(g->hwnd, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(&item)));
        if (n < int(buf.size()) - 1 || buf.size() > (1u << 20)) {
            buf.resize(size_t(n));
            return buf;
        }
        buf.assign(buf.size() * 4, L'\0');
    }
}

void SetListRowChecked(int id, int row, bool checked) {
    GadgetRec* g = ListRec(id);
    if (!g || !(g->flags & kListCheckBoxes) || row < 0 || row >= ListRows(*g)) return;
    Quiet quiet;
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(g->hwnd, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
}

bool GetListRowChecked(int id, int row) {
    GadgetRec* g = ListRec(id);
    if (!g || !(g->flags & kListCheckBoxes) || row < 0 || row >= ListRows(*g)) return false;
    const UINT state = UINT(SendMessageW(g->hwnd, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetListRowData(int id, int row, int32_t data) {
    GadgetRec* g = ListRec(id);
    if (!g || row < 0 || row >= ListRows(*g)) return;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = LPARAM(data);
    Quiet quiet;
    SendMessageW(g->hwnd, LVM_SETITEMW, 0, LPARAM(&item));
}

int32_t GetListRowData(int id, int row) {
    GadgetRec* g = ListRec(id);
    if (!g || row < 0 || row >= ListRows(*g)) return 0;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(g->hwnd, LVM_GETITEMW, 0, LPARAM(&item));
    return int32_t(item.lParam);
}

void SetListCurrentRow(int id, int row) {
    GadgetRec* g = ListRec(id);
    if (!g) return;
    if (row < -1 || row >= ListRows(*g)) row = -1;
    {
        Quiet quiet;
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        SendMessageW(g->hwnd, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&item));
        if (row >= 0) {
            item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(g->hwnd, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
            SendMessageW(g->hwnd, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
        }
    }
    ListSyncCurrent(id, true);
}

int GetListCurrentRow(int id) {
    GadgetRec* g = ListRec(id);
    return g ? ListSelected(*g) : -1;
}

}  // namespace plat
