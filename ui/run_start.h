// Every backup run the window starts ("Start", the menu's runs, the timed
// start of "/S") goes through here.
#pragma once

#include "engine/run_context.h"

namespace ui {

// Runs engine::RunBackup with `options` and then engine::EndRun, while
// Windows is kept from sleeping: from the run's start to the end of its end countdowns, released
// afterwards (a run that ends the program or powers Windows off leaves the
// release to the end of the process).
void StartRun(const engine::RunOptions& options);

}  // namespace ui
