// Directory lists on Windows: a list view that shows the rows of the shared
// model (platform/common/dirlist_model.h); its window text is the directory.
#include "platform/win32/gui_registry.h"

#include <commctrl.h>

#include "platform/common/dirlist_text.h"

namespace plat::wgui {

// Rebuilds the list view's items from the model, `current` selected.
static void DirListShow(GadgetRec& g, int current) {
    Quiet quiet;
    SendMessageW(g.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(g.hwnd, LVM_DELETEALLITEMS, 0, 0);
    const DirListModel& model = g.dirList;
    for (size_t i = 0; i < model.rows.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        std::wstring name = model.rows[i].name;
        item.pszText = name.data();
        SendMessageW(g.hwnd, LVM_INSERTITEMW, 0, LPARAM(&item));
        for (size_t c = 1; c < model.columns.size(); ++c) {
            const std::wstring text = DirListCellText(model, int(i), int(c));
            if (!text.empty()) ListSetText(g.hwnd, int(i), int(c), text);
        }
    }
    if (current >= int(model.rows.size())) current = -1;
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

// The program hears of a new listing by the text, which names the
// directory with its trailing "\".
static void DirListShowNewDir(GadgetRec& g) {
    if (DirListDir(g) != g.dirList.dir) {
        Quiet quiet;
        SetWindowTextW(g.hwnd, g.dirList.dir.c_str());
    }
    DirListShow(g, -1);
}

void FillDirList(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList) return;
    DirListLoad(g->dirList, DirListDir(*g));
    DirListShowNewDir(*g);
}

void DirListColumnClick(int id, int column) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList) return;
    int current = int(SendMessageW(g->hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (DirListSortByColumn(g->dirList, column, current)) DirListShow(*g, current);
}

void DirListRefill(GadgetRec& g) { DirListShow(g, g.current); }

void DirListDoubleClick(int id) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList) return;
    const int selected = int(SendMessageW(g->hwnd, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (DirListDoubleClick(g->dirList, selected)) DirListShowNewDir(*g);
}

static const DirListRow* DirListRowOf(int id, int row) {
    GadgetRec* g = FindGadget(id);
    if (!g || g->kind != Kind::DirList || row < 0 || size_t(row) >= g->dirList.rows.size()) return nullptr;
    return &g->dirList.rows[size_t(row)];
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
    g->dirList.flags = flags;
    FillDirList(id);
    return true;
}

std::wstring GetDirListName(int id, int row) {
    const DirListRow* r = DirListRowOf(id, row);
    return r ? r->name : L"";
}

bool GetDirListIsFolder(int id, int row) {
    const DirListRow* r = DirListRowOf(id, row);
    return r && r->folder;
}

bool GetDirListTarget(int id, int row, std::wstring& dir) {
    GadgetRec* g = FindGadget(id);
    return g && g->kind == Kind::DirList && DirListRowTarget(g->dirList, row, dir);
}

}  // namespace plat
