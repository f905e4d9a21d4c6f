// The one modal loop of the dialogs: the owner held, the dialog kept in
// front, and the clicks that piled up dropped when the main window takes
// over again.
#include "dialogs/modal_loop.h"

#include <deque>

#include "ui/widgets.h"
#include "ui/window_events.h"

namespace dialogs {

int MainOwner() { return plat::WindowExists(ui::MainWindow) ? ui::MainWindow : 0; }

ModalHold BeginModal(int window, int owner) {
    ModalHold hold{window, owner, false};
    // The owner ends as it was found. An owner already disabled belongs to
    // a dialog below (the editor under a chooser) and is that one's to give
    // back. Nothing makes this a passing state of start-up: only modal
    // windows disable a window of ours (a run locks single controls), and
    // the set-up window that the start offers opens after the main window
    // is made, enabled, and shown or put into the tray.
    if (owner && plat::WindowExists(owner) && plat::GetWindowEnabled(owner)) {
        plat::SetWindowEnabled(owner, false);
        hold.ownerHeld = true;
    }
    plat::SetForeground(window);
    return hold;
}

bool ModalEvent(const ModalHold& hold, const plat::GuiEvent& event, const ModalHandler& handle) {
    if (event.window != hold.window) {
        // The main window moved to a monitor of another DPI meanwhile: it
        // lays itself out anew, which is no input of the user's.
        if (event.kind == plat::EventKind::DpiChanged) {
            ui::HandleWindowEvent(event);
            return false;
        }
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

// Clicks and menu choices still pending were made while the dialog was open
// or in the moment it closed (the second click of a double click on "OK"):
// acted on, they would start the main window's commands, a backup even,
// that nobody meant. Nothing else is stale input. A request to close the
// main window (its close box right after the dialog's, the task bar, the
// end of the session), the message of a second start or a move of the
// window still stand; the close in particular, thrown away, left Tresoro
// running after it had been told to end (under Wine the dialog's removal
// takes long enough for the next close to arrive meanwhile).
static bool ModalStaleInput(const plat::GuiEvent& event) {
    return event.kind == plat::EventKind::Gadget || event.kind == plat::EventKind::Menu ||
           event.kind == plat::EventKind::Tray;
}

// What the drain keeps, in order, until the main window's loop takes it.
static std::deque<plat::GuiEvent> gModalKept;

// A dialog over another dialog hands back to that one's loop instead,
// which acts only on its own window, and the user's next clicks there are
// meant for it.
static void ModalDropStale(const ModalHold& hold) {
    if (hold.owner != 0 && hold.owner != ui::MainWindow) return;
    plat::GuiEvent event;
    while (plat::PollEvent(event))
        if (!ModalStaleInput(event)) gModalKept.push_back(event);
}

bool TakeKeptEvent(plat::GuiEvent& event) {
    if (gModalKept.empty()) return false;
    event = gModalKept.front();
    gModalKept.pop_front();
    return true;
}

void ResetModal() { gModalKept.clear(); }

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
