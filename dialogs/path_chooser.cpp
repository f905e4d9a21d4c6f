// The program's own directory picker: folders of one directory at a time,
// a level up, a typed path, a new folder, or the system's folder browser
// for network places the list cannot reach.
#include "dialogs/path_chooser.h"

#include "core/text_helpers.h"
#include "dialogs/design_units.h"
#include "dialogs/modal_loop.h"
#include "dialogs/path_chooser_window.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "ui/message.h"
#include "ui/widgets.h"

namespace dialogs {

// The chooser belongs to the window that asked for it (the job editor or
// the restore window when one is open) but sits in the middle of the main window, where the user is
// looking.
static int ChooserOwner() {
    if (plat::WindowExists(ui::kRestoreIds)) return ui::kRestoreIds;
    return plat::WindowExists(ui::kJobEditorIds) ? ui::kJobEditorIds : MainOwner();
}

static bool ChooserOpenWindow() {
    plat::Box box = Scaled(plat::Box{0, 0, 320, 270});
    uint32_t flags = 0;  // a title bar without system menu
    if (plat::WindowExists(ui::MainWindow)) {
        const plat::Box main = plat::GetWindowScreenBox(ui::MainWindow);
        box.x = main.x + (main.w - box.w) / 2;
        box.y = main.y + (main.h - box.h) / 2;
    } else {
        flags |= plat::kWinCenterScreen;
    }
    return plat::OpenWindow(ChooserWindow, L"Bitte Pfad wählen", box, flags, ChooserOwner());
}

bool OpenPathChooser(const std::wstring& initialPath, const std::wstring& title) {
    if (!ChooserOpenWindow()) return false;
    const int w = ChooserWindow;
    bool ok = plat::CreateDirList(
        ChooserDirList, w, Scaled(plat::Box{9, 12, 300, 200}), initialPath,
        plat::kDirFoldersOnly | plat::kDirParentEntry | plat::kListFullRowSelect | plat::kListGridLines);
    ok = ok && plat::CreateButton(ChooserUpButton, w, Scaled(plat::Box{10, 220, 20, 20}), L"<");
    ok = ok && plat::CreateEdit(ChooserPathField, w, Scaled(plat::Box{35, 220, 250, 20}), initialPath);
    ok = ok && plat::CreateButton(ChooserBrowseButton, w, Scaled(plat::Box{290, 220, 20, 20}), L"...");
    ok = ok && plat::CreateButton(ChooserOkButton, w, Scaled(plat::Box{40, 245, 60, 20}), L"OK");
    // "Abbrechen" needs 62 units with the button's margins.
    ok = ok && plat::CreateButton(ChooserCancelButton, w, Scaled(plat::Box{105, 245, 65, 20}), L"Abbrechen");
    // Arial's "Neues Verzeichnis" needs more than 100 units with the
    // button's margins: the box grows to the left into free space.
    ok =
        ok && plat::CreateButton(ChooserNewFolderButton, w, Scaled(plat::Box{195, 245, 115, 20}), L"Neues Verzeichnis");
    if (!ok) {
        plat::RemoveWindow(w);
        return false;
    }
    // Column widths are pixels, like every list column of the program.
    plat::SetListColumnWidth(ChooserDirList, 0, 220);
    plat::SetListColumnWidth(ChooserDirList, 1, 60);
    plat::SetGadgetToolTip(ChooserUpButton, L"Verzeichnis höher");
    plat::SetGadgetToolTip(ChooserBrowseButton, L"Standard-Auswahl-Dialog (für Netzwerk)");
    plat::SetWindowTitle(w, title);
    plat::SetDialogKeys(w, ChooserOkButton, ChooserCancelButton);
    return true;
}

struct ChooserRun {
    std::wstring title;
    bool chosen = false;
    std::wstring path;  // the path field's text at "OK"
};

// Field and list move together; setting a text raises no event, so the
// field does not navigate the list a second time.
static void ChooserGoTo(const std::wstring& dir) {
    plat::SetGadgetText(ChooserDirList, dir);
    plat::SetGadgetText(ChooserPathField, dir);
}

// A single click on a folder enters it. The click reaches the program as a
// change of the current row followed by the click itself; the list is
// filled anew by the first, so the second finds no row selected and only
// shows the directory again. So does the second click of a double click,
// which selects nothing: a double click enters a folder once, and two clicks
// on ".." within the double-click time go up one level.
static void ChooserListClicked() {
    std::wstring dir = plat::GetGadgetText(ChooserDirList);
    if (plat::GetDirListTarget(ChooserDirList, plat::GetListCurrentRow(ChooserDirList), dir))
        plat::SetGadgetText(ChooserDirList, dir);
    plat::SetGadgetText(ChooserPathField, dir);
}

// A folder is made in the directory the list shows, one level only. The
// drive list is no directory: a name alone would be made relative to the
// process's working directory, wherever that is, so it is refused.
static void ChooserNewFolder() {
    std::wstring name;
    if (!plat::InputBox(L"Neues Verzeichnis", L"Bitte Name eingeben:", L"", name) || name.empty()) return;
    const std::wstring dir = plat::GetGadgetText(ChooserDirList);
    if (dir.empty() || !plat::CreateDir(dir + name)) {
        ui::ShowMessage(L"Konnte Verzeichnis nicht erstellen: " + dir + name, 0, L"Meldung");
        return;
    }
    // Listed again in place so that the new folder shows; the directory
    // and the path field stay as they are.
    plat::SetGadgetText(ChooserDirList, dir);
}

static void ChooserBrowse(const std::wstring& title) {
    const std::wstring picked = plat::BrowseForFolder(title, L"");
    if (!picked.empty()) ChooserGoTo(picked);
}

static bool ChooserEvent(ChooserRun& run, const plat::GuiEvent& event) {
    if (event.kind == plat::EventKind::CloseWindow) return true;
    if (event.kind != plat::EventKind::Gadget) return false;
    switch (event.id) {
        case ChooserDirList:
            ChooserListClicked();
            break;
        case ChooserPathField:
            if (event.type == plat::EventType::Change)
                plat::SetGadgetText(ChooserDirList, plat::GetGadgetText(ChooserPathField));
            break;
        case ChooserUpButton:
            ChooserGoTo(ParentDir(plat::GetGadgetText(ChooserDirList)));
            break;
        case ChooserBrowseButton:
            ChooserBrowse(run.title);
            break;
        case ChooserNewFolderButton:
            ChooserNewFolder();
            break;
        case ChooserCancelButton:
            return true;
        case ChooserOkButton:
            run.path = plat::GetGadgetText(ChooserPathField);
            run.chosen = true;
            return true;
        default:
            break;
    }
    return false;
}

std::wstring ChoosePath(const std::wstring& initialPath, const std::wstring& title) {
    if (!OpenPathChooser(initialPath, title)) {
        ui::ShowMessage(L"Err - konnte Pfadwahl-Fenster nicht öffnen", 0, L"Meldung");
        return std::wstring();
    }
    // Over the job editor the editor is held; the main window below it
    // already is, by the editor.
    const ModalHold hold = BeginModal(ChooserWindow, ChooserOwner());
    ChooserRun run;
    run.title = title;
    RunModal(hold, [&run](const plat::GuiEvent& event) { return ChooserEvent(run, event); });
    EndModal(hold);
    if (run.chosen && !run.path.empty()) return core::AddBackslash(run.path);
    return initialPath;
}

}  // namespace dialogs
