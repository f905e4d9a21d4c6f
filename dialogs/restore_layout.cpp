// The restore window's gadgets in design units.
#include "dialogs/design_units.h"
#include "dialogs/restore.h"
#include "platform/gui.h"
#include "ui/widgets.h"

namespace dialogs {

static bool RestoreLayoutWindow() {
    const plat::Box box{0, 0, Scaled(800), Scaled(470)};
    const uint32_t flags = plat::kWinSystemMenu | plat::kWinHidden;
    if (plat::WindowExists(ui::MainWindow))
        return plat::OpenWindow(RestoreWindow, L"Daten Wiederherstellen", box, flags | plat::kWinCenterOwner,
                                ui::MainWindow);
    return plat::OpenWindow(RestoreWindow, L"Daten Wiederherstellen", box, flags | plat::kWinCenterScreen);
}

// The jobs and the moment: which backup, as it stood when.
static bool RestoreLayoutTop() {
    const int w = RestoreWindow;
    using plat::Box;
    const uint32_t list = plat::kListFullRowSelect | plat::kListAlwaysShowSelection | plat::kListGridLines;
    bool ok = plat::CreateListView(RestoreJobList, w, Scaled(Box{8, 8, 700, 66}), list);
    // Column widths are pixels, like every list column of the program.
    ok = ok && plat::AddListColumn(RestoreJobList, 0, L"Quelle", 340);
    ok = ok && plat::AddListColumn(RestoreJobList, 1, L"Ziel (Backup)", 340);
    ok = ok && plat::CreateButton(RestoreOtherButton, w, Scaled(Box{713, 8, 79, 20}), L"Anderes...");
    ok = ok && plat::CreateText(RestoreBackupLabel, w, Scaled(Box{8, 80, 784, 15}), L"");
    ok = ok && plat::CreateText(RestoreAsOfLabel, w, Scaled(Box{8, 103, 62, 15}), L"Stand vom:");
    ok = ok && plat::CreateEdit(RestoreAsOfField, w, Scaled(Box{72, 100, 120, 20}), L"");
    ok = ok && plat::CreateButton(RestoreAsOfButton, w, Scaled(Box{197, 100, 65, 20}), L"Anzeigen");
    ok = ok && plat::CreateText(RestoreAsOfHint, w, Scaled(Box{269, 103, 523, 15}),
                                L"TT.MM.JJJJ hh:mm - leer: neuester Stand");
    return ok;
}

// The folder as it stood, and the versions of the file selected in it.
static bool RestoreLayoutLists() {
    const int w = RestoreWindow;
    using plat::Box;
    const uint32_t list = plat::kListFullRowSelect | plat::kListAlwaysShowSelection | plat::kListGridLines;
    bool ok = plat::CreateText(RestoreFolderLabel, w, Scaled(Box{8, 128, 420, 15}), L"");
    ok = ok && plat::CreateListView(RestoreTreeList, w, Scaled(Box{8, 145, 420, 230}), list);
    ok = ok && plat::AddListColumn(RestoreTreeList, 0, L"Name", 135);
    ok = ok && plat::AddListColumn(RestoreTreeList, 1, L"Größe", 55);
    ok = ok && plat::AddListColumn(RestoreTreeList, 2, L"Geändert", 120);
    ok = ok && plat::AddListColumn(RestoreTreeList, 3, L"Quelle", 90);
    ok = ok && plat::CreateText(RestoreVersionsLabel, w, Scaled(Box{434, 128, 358, 15}), L"Versionen:");
    ok = ok && plat::CreateListView(RestoreVersionList, w, Scaled(Box{434, 145, 358, 230}), list);
    ok = ok && plat::AddListColumn(RestoreVersionList, 0, L"Geändert", 120);
    ok = ok && plat::AddListColumn(RestoreVersionList, 1, L"Größe", 55);
    ok = ok && plat::AddListColumn(RestoreVersionList, 2, L"Liegt in", 95);
    ok = ok && plat::AddListColumn(RestoreVersionList, 3, L"Hinweis", 65);
    ok = ok && plat::CreateText(RestoreNameHint, w, Scaled(Box{434, 378, 358, 15}), L"");
    return ok;
}

static bool RestoreLayoutButtons() {
    const int w = RestoreWindow;
    using plat::Box;
    bool ok = plat::CreateButton(RestoreOpenButton, w, Scaled(Box{8, 398, 70, 22}), L"Öffnen");
    ok = ok && plat::CreateButton(RestoreHereButton, w, Scaled(Box{83, 398, 105, 22}), L"Wiederherstellen");
    ok = ok && plat::CreateButton(RestoreToButton, w, Scaled(Box{193, 398, 135, 22}), L"Wiederherstellen nach...");
    ok = ok && plat::CreateButton(RestoreCancelButton, w, Scaled(Box{333, 398, 75, 22}), L"Abbrechen");
    ok = ok && plat::CreateButton(RestoreCloseButton, w, Scaled(Box{717, 398, 75, 22}), L"Schließen");
    ok = ok && plat::CreateProgressBar(RestoreProgress, w, Scaled(Box{8, 426, 784, 12}), 0, 100);
    ok = ok && plat::CreateText(RestoreResultLine, w, Scaled(Box{8, 443, 784, 15}), L"");
    ok = ok && plat::AddShortcut(w, plat::kKeyReturn, 0, RestoreKeyEnter);
    ok = ok && plat::AddShortcut(w, plat::kKeyEscape, 0, RestoreKeyEscape);
    if (!ok) return false;
    plat::SetGadgetEnabled(RestoreCancelButton, false);
    plat::SetGadgetToolTip(RestoreOpenButton, L"Öffnet eine Kopie der Version aus dem temporären Ordner");
    plat::SetGadgetToolTip(RestoreHereButton, L"An ihren Platz in der Quelle - vorhandene andere Dateien bleiben");
    plat::SetGadgetToolTip(RestoreOtherButton, L"Ein Backup-Ordner auf einem beliebigen Laufwerk");
    return true;
}

bool OpenRestoreWindow() {
    if (!RestoreLayoutWindow()) return false;
    if (!RestoreLayoutTop() || !RestoreLayoutLists() || !RestoreLayoutButtons()) {
        plat::RemoveWindow(RestoreWindow);
        return false;
    }
    return true;
}

}  // namespace dialogs
