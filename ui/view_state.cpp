#include "ui/view_state.h"

#include "core/state.h"

namespace ui {

static ViewState g_view;

ViewState& V() { return g_view; }

core::Job* CurrentJob() {
    auto& jobs = core::S().Jobs;
    for (size_t i = 0; i < jobs.items.size(); ++i) {
        if (jobs.items[i].Sid == g_view.CurrentSid && g_view.CurrentSid != 0) {
            jobs.current = i;
            return &jobs.items[i];
        }
    }
    jobs.Reset();
    return nullptr;
}

void ResetViewState() { g_view = ViewState{}; }

}  // namespace ui
