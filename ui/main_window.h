// The main window: the run control strip above a tab panel with the job
// list and exclusions ("Auswahl") and the three log views. Laid out in
// design units times DialogScale; anchored widgets follow the window's size.
#pragma once

namespace ui {

// Minimum inner size of the main window, in pixels (not scaled).
constexpr int kMainMinWidth = 600;
constexpr int kMainMinHeight = 400;

// Creates the window hidden and centred, with every widget and its anchor;
// false when the window cannot be created.
bool OpenMainWindow();

// Start-up's finishing touches: the title "Tresoro 1.09", plain text in the
// messages and errors views, the "EXCL" column and tool tip of FileList,
// the splitters' minimum sizes and ExclusionSplitter's bar at 0.67.
void FinishMainWindow();

// The remembered geometry (GMainWinX, GMainWinY in pixels, GMainWinXD and
// GMainWinYD in design units; kKeep leaves a value), kept on the screen,
// then anchors, JobSplitter's bar from GMainPan1Splitt (design units) and
// the exclusion area.
void PlaceMainWindow();

// Fits ExclusionSplitter into ExclusionArea and, unless the window is
// minimised, remembers JobSplitter's bar in GMainPan1Splitt.
void LayoutExclusionArea();

// The main window is shown at another DPI (or opened at one other than the
// system's): DialogScale follows it, for this window and the dialogs it
// opens, and every widget takes its design place anew.
void FollowMainWindowDpi();

}  // namespace ui
