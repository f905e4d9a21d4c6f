// The window-level event handler and the way back from the tray. Every loop
// that takes events while work is under way hands each event here, so the
// window follows resizes and the tray, and "Abbrechen" or the close box set
// CancelRequested for the work to see at its next check.
#pragma once

#include "platform/gui.h"

namespace ui {

// Never clears CancelRequested; the event loop does that.
void HandleWindowEvent(const plat::GuiEvent& event);

// Normal state, the remembered geometry, anchors and splitter, shown and in
// front.
void RestoreMainWindow();

// Takes every pending event without waiting and hands each to
// HandleWindowEvent (the drain of long work).
void DrainWindowEvents();

// Waits up to `milliseconds` for one event and hands it to
// HandleWindowEvent; a time-out hands nothing.
void WaitWindowEvent(uint32_t milliseconds);

}  // namespace ui
