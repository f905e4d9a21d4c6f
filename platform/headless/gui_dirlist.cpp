// Directory lists of the headless model: the shared model's rows shown as
// the list's cells, its directory as the gadget text.
#include "platform/headless/gui_model.h"

namespace plat::headless {

void ShowDirList(Gadget& g) {
    const DirListModel& model = g.dirList;
    g.rows.assign(model.rows.size(), ListRow());
    for (size_t r = 0; r < g.rows.size(); ++r) {
        g.rows[r].cells.resize(g.columns.size());
        for (size_t c = 0; c < g.columns.size(); ++c) g.rows[r].cells[c] = DirListCellText(model, int(r), int(c));
    }
    if (g.current >= int(g.rows.size())) g.current = -1;
}

void FillDirList(Gadget& g) {
    DirListLoad(g.dirList, g.text);
    g.text = g.dirList.dir;
    g.current = -1;
    ShowDirList(g);
}

}  // namespace plat::headless
