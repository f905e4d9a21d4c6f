// Connects the layers below to the main window: the engine's display, the
// log viewer's borrowed widgets, core's messages and the fatal report's box.
#pragma once

namespace ui {

void ConnectWindow();

// The icon resource of each of the engine's icons.
int IconResource(int engineIcon);

}  // namespace ui
