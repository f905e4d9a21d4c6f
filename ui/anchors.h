// The main window's widgets in design units, and how they follow the
// window's size and DPI. Each entry keeps a widget's design box and which
// of its sides follow the window; the window's own reference entry keeps
// its design size. A resize moves or stretches the following sides by the
// window's change against its design size at DialogScale; a change of DPI
// places every widget anew at the new DialogScale.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct Anchor {
    int window = 0;
    int widget = 0;                  // plat::kKeep: the window's own reference entry
    int x = 0, y = 0, w = 0, h = 0;  // design units
    // Which sides follow the window: "L", "O", "R", "U" of AnchorWidget.
    bool left = false, top = false, width = false, height = false;
};

// Process-wide, filled while windows are built, never shrunk.
std::vector<Anchor>& AnchorList();
void ResetAnchors();

// "L" moves the left edge with the window's right edge, "O" the top edge
// with the bottom edge, "R" lets the width grow, "U" the height; with no
// letter the widget keeps its place and only a change of DPI moves it.
// x, y, w, h are design units.
void AnchorWidget(const std::wstring& letters, int window, int widget, int x, int y, int w, int h);
// The window's reference entry: its design size (x and y are kept too).
void RegisterAnchor(int window, int widget, int x, int y, int w, int h);
// Moves and sizes the following sides of every anchored widget of the
// window for its current inner size; does nothing without a reference
// entry or window.
void ApplyAnchors(int window);
// Places every widget of the window at its design box for DialogScale, the
// following sides as ApplyAnchors does (after a change of DPI).
void RelayoutAnchors(int window);

}  // namespace ui
