// What the parts of the Windows test hooks share (gui_testing.cpp,
// gui_input_testing.cpp, gui_pointer_testing.cpp).
#pragma once

#include "platform/win32/gui_registry.h"

namespace plat::wgui {

// What a user can reach: shown through every parent (a page not shown hides
// its gadgets), enabled through every parent, in a window that is not
// minimised.
bool TestReachable(const GadgetRec& g);
// The gadget if the user can reach it.
GadgetRec* TestGadget(int id);
// A click into a window that is not the active one activates it, as a
// click does (WA_CLICKACTIVE), before the click reaches the gadget.
void TestBringToFront(HWND root);
// The user's input reaches the gadget: its window comes to the front and,
// with `focus`, the keyboard focus moves there.
void TestTouch(const GadgetRec& g, bool focus);
// Forgets the queued actions and the count of dropped ones; the keys a
// pressed shortcut held go up.
void ResetTestInput();

// The button message that begins a click of this type.
UINT TestDownOf(EventType type);

// The gadgets' actions (gui_testing.h says what each does); false when the
// user could not reach what they aim at.
bool TestClick(int id, EventType type);
bool TestClickRow(int id, int row, EventType type);
bool TestDoubleClickRow(int id, int row, EventType type);
bool TestTickRow(int id, int row);
bool TestClickColumnTitle(int id, int column);
bool TestSelectTab(int id, int index);
bool TestDragSplitter(int id, int position);
bool TestSpin(int id, int steps);
bool TestType(int id, const std::wstring& text);

}  // namespace plat::wgui
