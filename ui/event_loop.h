// The main event loop and the orderly end of the program.
#pragma once

#include "platform/gui.h"

namespace ui {

// Waits up to 1000 ms for an event and dispatches it: widget events to their
// handlers, menu events to their commands, the close box to the closing
// rules; anything else, the time-out included, to HandleWindowEvent and the
// tick of the timed start.
void EventLoopPass();
void DispatchEvent(const plat::GuiEvent& event);

// Runs passes until QuitRequested is set.
void EventLoop();

// Saves the logs and the configuration, waits 100 ms; the exit code (that
// of the last unattended run, engine/notice.h, or of a "/VERIFY" run).
int EndProgram();

}  // namespace ui
