// The program's own directory picker: folders of one directory at a time,
// a level up, a typed path, a new folder, or the system's folder browser
// for network places the list cannot reach.
#include "dialogs/path_chooser.h"

#include <vector>

#include "core/text_helpers.h"
#include "dialogs/design_units.h"
#include "dialogs/path_chooser_window.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "ui/message.h"
#include "ui/widgets.h"

namespace dialogs {

// The chooser belongs to the window that asked for it (the job editor when
// it is open) but sits in the middle of the main window, where the user is
// looking.
static int ChooserOwner() {
    if (plat::WindowExists(ui::kJobEditorIds)) return ui::kJobEditorIds;
    if (plat::WindowExists(ui::MainWindow)) return ui::MainWindow;
    return 0;
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
    ok = ok && plat::CreateButton(ChooserCancelButton, w, Scaled(plat::Box{105, 245, 60, 20}), L"Abbrechen");
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
    return true;
}

struct ChooserRun {
    std::wstring title;
    bool done = false;
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
// shows the directory again.
static void ChooserListClicked() {
    std::wstring dir = plat::GetGadgetText(ChooserDirList);
    const int row = plat::GetListCurrentRow(ChooserDirList);
    if (row >= 0 && plat::GetDirListIsFolder(ChooserDirList, row)) {
        const std::wstring name = plat::GetDirListName(ChooserDirList, row);
        dir = name == L".." ? ParentDir(dir) : core::AddBackslash(dir + name);
        plat::SetGadgetText(ChooserDirList, dir);
    }
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

static void ChooserGadget(ChooserRun& run, const plat::GuiEvent& event) {
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
            run.done = true;
            break;
        case ChooserOkButton:
            run.path = plat::GetGadgetText(ChooserPathField);
            run.chosen = true;
            run.done = true;
            break;
        default:
            break;
    }
}

// The windows below the chooser take no input while it is open; each gets
// back the state it had, so a chooser over the job editor leaves the main
// window disabled for the editor's own loop.
static std::vector<int> ChooserDisableBelow() {
    std::vector<int> disabled;
    const int below[] = {ui::MainWindow, ui::kJobEditorIds};
    for (int id : below) {
        if (!plat::WindowExists(id) || !plat::GetWindowEnabled(id)) continue;
        plat::SetWindowEnabled(id, false);
        disabled.push_back(id);
    }
    return disabled;
}

std::wstring ChoosePath(const std::wstring& initialPath, const std::wstring& title) {
    if (!OpenPathChooser(initialPath, title)) {
        ui::ShowMessage(L"Err - konnte Pfadwahl-Fenster nicht öffnen", 0, L"Meldung");
        return std::wstring();
    }
    const std::vector<int> disabled = ChooserDisableBelow();
    ChooserRun run;
    run.title = title;
    while (!run.done) {
        plat::GuiEvent event;
        if (!plat::WaitEvent(plat::kWaitForever, event)) continue;
        if (event.window != ChooserWindow) {
            // Modal: what happens elsewhere is not acted on.
            plat::SetForeground(ChooserWindow);
            continue;
        }
        if (event.kind == plat::EventKind::CloseWindow)
            run.done = true;
        else if (event.kind == plat::EventKind::Gadget)
            ChooserGadget(run, event);
    }
    // The owner is enabled before the chooser goes, so that Windows hands
    // the activation back to it and not to another program.
    for (int id : disabled) plat::SetWindowEnabled(id, true);
    plat::RemoveWindow(ChooserWindow);
    if (run.chosen && !run.path.empty()) return core::AddBackslash(run.path);
    return initialPath;
}

}  // namespace dialogs
