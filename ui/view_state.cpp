#include "ui/view_state.h"

#include "core/state.h"

namespace ui {

static ViewState g_view;

ViewState& V() { return g_view; }

core::Job* CurrentJob() { return core::FindJob(g_view.CurrentSid); }

void ResetViewState() { g_view = ViewState{}; }

}  // namespace ui
