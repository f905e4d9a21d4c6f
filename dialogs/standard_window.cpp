// The modal window "Standard Datenbackups einrichten": one read-only field
// with the proposed destination, a button to pick another, and the choice
// between OK, cancelling once and turning the automatic set-up off.
#include "core/state.h"
#include "core/text_helpers.h"
#include "dialogs/design_units.h"
#include "dialogs/modal_loop.h"
#include "dialogs/standard_setup.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "ui/menu.h"
#include "ui/message.h"
#include "ui/widgets.h"

namespace dialogs {

static const wchar_t* const kStdPickTitle =
    L"Zielort für das Backup auswählen (zum Beispiel eine externe Festplatte, oder evtl. ein (neues) "
    L"Verzeichnis darin):";

static bool StdCreateControls() {
    const int w = StdSetupWindow;
    bool ok = plat::CreateText(StdPromptText, w, Scaled(plat::Box{5, 10, 450, 20}),
                               L"Zielort für das Backup auswählen (zum Beispiel eine externe Festplatte):");
    ok = plat::CreateButton(StdPickButton, w, Scaled(plat::Box{5, 30, 35, 20}), L"Ziel:") && ok;
    ok = plat::CreateEdit(StdDestField, w, Scaled(plat::Box{40, 30, 415, 20}), L"", plat::kReadOnly) && ok;
    ok = plat::CreateEditor(StdInfoText, w, Scaled(plat::Box{5, 55, 450, 60}), plat::kReadOnly) && ok;
    plat::SetGadgetText(StdInfoText,
                        L"Das Programm wird im Ziel das aktuelle Benutzerprofil und das\r\n"
                        L"öffentliche Profil sichern. Für Daten ausserhalb dieser Profile\r\n"
                        L"müssen manuell weitere Backupjobs erstellt werden!");
    ok = plat::CreateButton(StdNoAutoButton, w, Scaled(plat::Box{5, 120, 290, 20}),
                            L"Abbrechen - Backups nicht automatisch hinzufügen") &&
         ok;
    ok = plat::CreateButton(StdCancelButton, w, Scaled(plat::Box{300, 120, 75, 20}), L"Abbrechen") && ok;
    ok = plat::CreateButton(StdOkButton, w, Scaled(plat::Box{380, 120, 75, 20}), L"OK") && ok;
    return ok;
}

// The automatic set-up is off from now on. The menu's tick is what the
// configuration stores, so it must follow.
static void StdTurnAutomaticOff() {
    core::S().settings.GStdAuto = 0;
    plat::SetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto, false);
}

enum class StdStep { Stay, Cancel, Accept };

static StdStep StdOnClick(int gadget, std::wstring& result) {
    switch (gadget) {
        case StdPickButton: {
            const std::wstring chosen = plat::BrowseForFolder(kStdPickTitle, plat::GetGadgetText(StdDestField));
            if (!chosen.empty()) plat::SetGadgetText(StdDestField, core::AddBackslash(chosen));
            return StdStep::Stay;
        }
        case StdNoAutoButton:
            StdTurnAutomaticOff();
            return StdStep::Cancel;
        case StdCancelButton:
            return StdStep::Cancel;
        case StdOkButton: {
            const std::wstring text = plat::GetGadgetText(StdDestField);
            if (!text.empty() && plat::DirExists(text)) {
                result = core::AddBackslash(text);
                return StdStep::Accept;
            }
            ui::ShowMessage(L"Sie müssen ein gültiges Verzeichnis als Ziel auswählen!", 0, L"Meldung");
            return StdStep::Stay;
        }
        default:
            return StdStep::Stay;
    }
}

// The window's two halves are public apart, for the tests; the hold on the
// main window passes from the one to the other here.
static ModalHold gStdModal;

bool OpenSetupWindow() {
    const plat::Box box{0, 0, Scaled(460), Scaled(150)};
    if (!plat::OpenWindow(StdSetupWindow, L"Standard Datenbackups einrichten", box,
                          plat::kWinSystemMenu | plat::kWinCenterScreen, MainOwner()) ||
        !StdCreateControls()) {
        plat::RemoveWindow(StdSetupWindow);
        ui::ShowMessage(L"Fehler! Konnte Standard-Job Fenster nicht öffnen", 0, L"Meldung");
        return false;
    }
    // Escape is the plain "Abbrechen", which leaves the automatic set-up on.
    plat::SetDialogKeys(StdSetupWindow, StdOkButton, StdCancelButton);
    gStdModal = BeginModal(StdSetupWindow, MainOwner());
    plat::SetGadgetText(StdDestField, InitialSetupDest());
    return true;
}

std::wstring RunSetupWindow() {
    std::wstring result;
    StdStep step = StdStep::Stay;
    RunModal(gStdModal, [&](const plat::GuiEvent& event) {
        if (event.kind == plat::EventKind::CloseWindow) step = StdStep::Cancel;
        if (event.kind == plat::EventKind::Gadget && event.type == plat::EventType::LeftClick)
            step = StdOnClick(event.id, result);
        return step != StdStep::Stay;
    });
    EndModal(gStdModal);
    return step == StdStep::Accept ? result : std::wstring();
}

std::wstring StandardSetupWindow() { return OpenSetupWindow() ? RunSetupWindow() : std::wstring(); }

}  // namespace dialogs
