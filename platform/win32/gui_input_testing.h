// What the two halves of the Windows test hooks share (gui_testing.cpp,
// gui_input_testing.cpp).
#pragma once

#include "platform/win32/gui_registry.h"

namespace plat::wgui {

// What a user can reach: shown through every parent (a page not shown hides
// its gadgets), enabled through every parent, in a window that is not
// minimised.
bool TestReachable(const GadgetRec& g);
// Forgets the queued actions and the count of dropped ones; the keys a
// pressed shortcut held go up.
void ResetTestInput();

}  // namespace plat::wgui
