// The modal loop every dialog window runs: while it is open its owner takes
// no input, the dialog stays in front, and only the dialog's own events are
// acted on. Each dialog brings its handler for those events; holding the
// owner, the loop and the clean-up afterwards are the same for all.
//
// Events come through plat::WaitEvent, which translates the accelerators
// of the window a key belongs to, then moves the focus on Tab as a dialog
// does, then dispatches; a modal loop thus takes keys in the same order as
// the main window's loop.
#pragma once

#include <functional>

#include "platform/gui.h"

namespace dialogs {

// A dialog window while it is modal over its owner.
struct ModalHold {
    int window = 0;
    int owner = 0;           // 0: none
    bool ownerHeld = false;  // the owner took input and is disabled until EndModal
};

// Handles one event of the dialog's own window; true when the dialog is done.
using ModalHandler = std::function<bool(const plat::GuiEvent&)>;

// The owner of a dialog the main window opens: the main window, or none
// while it does not exist.
int MainOwner();

// Takes the input from `owner` (when it has any: an owner that was already
// disabled stays so, and is left so afterwards) and brings `window` to the
// front.
ModalHold BeginModal(int window, int owner);

// One event of the loop: an event of any other window is not acted on and
// only brings the dialog back to the front; the dialog's own events go to
// `handle`. True when the dialog is done.
bool ModalEvent(const ModalHold& hold, const plat::GuiEvent& event, const ModalHandler& handle);

// Waits for events and handles each as ModalEvent does until the dialog is
// done or its window is gone.
void RunModal(const ModalHold& hold, const ModalHandler& handle);

// Gives the owner back the input it had, removes the dialog's window and
// brings the owner to the front. When the owner is the main window (or there
// is none), the clicks and menu choices the user made meanwhile and the
// program has not taken yet are dropped: they were aimed at the dialog, and
// the main window's loop would start commands with them. The other events
// pending then (a close request, a second start's message) are kept for
// the main window's loop, which takes them through TakeKeptEvent.
void EndModal(const ModalHold& hold);

// The oldest event EndModal kept; false when there is none.
bool TakeKeptEvent(plat::GuiEvent& event);

// Forgets the events kept from an earlier test's dialog.
void ResetModal();

}  // namespace dialogs
