// The one modal loop of the dialogs: the owner held, the dialog kept in
// front, and the input that piled up dropped when the main window takes
// over again.
#include "dialogs/modal_loop.h"

#include "ui/widgets.h"

namespace dialogs {

int MainOwner() { return plat::WindowExists(ui::MainWindow) ? ui::MainWindow : 0; }

ModalHold BeginModal(int window, int owner) {
    ModalHold hold{window, owner, false};
    // An owner someone else has disabled (a dialog below, a run) is not
    // ours to give back.
    if (owner && plat::WindowExists(owner) && plat::GetWindowEnabled(owner)) {
        plat::SetWindowEnabled(owner, false);
        hold.ownerHeld = true;
    }
    plat::SetForeground(window);
    return hold;
}

bool ModalEvent(const ModalHold& hold, const plat::GuiEvent& event, const ModalHandler& handle) {
    if (event.window != hold.window) {
        // The user reached past the dialog (the tray icon, a message from
        // a second start): nothing happens there, the dialog comes back.
        plat::SetForeground(hold.window);
        return false;
    }
    return handle(event);
}

void RunModal(const ModalHold& hold, const ModalHandler& handle) {
    while (plat::WindowExists(hold.window)) {
        plat::GuiEvent event;
        if (plat::WaitEvent(plat::kWaitForever, event) && ModalEvent(hold, event, handle)) return;
    }
}

// What is still pending was done while the dialog was open or in the
// moment it closed (the second click of a double click on "OK"); none of
// it was meant for the main window's commands. A dialog over another
// dialog hands back to that one's loop instead, which acts only on its own
// window, and the user's next clicks there are meant for it.
static void ModalDropStale(const ModalHold& hold) {
    if (hold.owner != 0 && hold.owner != ui::MainWindow) return;
    plat::GuiEvent stale;
    while (plat::PollEvent(stale)) {}
}

void EndModal(const ModalHold& hold) {
    // The owner takes input again before the dialog goes, so that Windows
    // hands the activation back to it and not to another program.
    if (hold.ownerHeld) plat::SetWindowEnabled(hold.owner, true);
    plat::RemoveWindow(hold.window);
    ModalDropStale(hold);
    if (hold.owner && plat::WindowExists(hold.owner) && plat::GetWindowShown(hold.owner) &&
        plat::GetWindowEnabled(hold.owner))
        plat::SetForeground(hold.owner);
}

}  // namespace dialogs
