// Back to the start state of the window layer, for tests; built into the
// test programs only.
#include "ui/anchors.h"
#include "ui/log_views.h"
#include "ui/startup.h"
#include "ui/view_state.h"

namespace ui {

void ResetUiForTest() {
    ResetViewState();
    ResetAnchors();
    ResetLogViews();
    ResetStartup();
}

}  // namespace ui
