// Widgets that follow the window's size. Each entry remembers a widget's
// scaled design position and size, with kKeep for every side that stays put;
// a resize moves or stretches the others by the window's change against its
// design size.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct Anchor {
    int window = 0;
    int widget = 0;  // plat::kKeep: the window's own reference entry
    int x = 0, y = 0, w = 0, h = 0;
};

// Process-wide, filled while windows are built, never shrunk.
std::vector<Anchor>& AnchorList();
#ifdef TRESORO_TEST_HOOKS
void ResetAnchorsForTest();
#endif

// "L" moves the left edge with the window's right edge, "O" the top edge
// with the bottom edge, "R" lets the width grow, "U" the height. An empty
// string registers nothing. x, y, w, h are already scaled.
void AnchorWidget(const std::wstring& letters, int window, int widget, int x, int y, int w, int h);
// Sets the first entry of this window and widget, appending one if needed.
void RegisterAnchor(int window, int widget, int x, int y, int w, int h);
// Moves and sizes every anchored widget of the window for its current inner
// size; does nothing without a reference entry or window.
void ApplyAnchors(int window);

}  // namespace ui
