#include "ui/run_start.h"

#include "engine/run.h"
#include "engine/verify.h"
#include "platform/power.h"

namespace ui {

namespace {

// Windows stays awake while one lives.
struct AwakeWhileRunning {
    AwakeWhileRunning() { plat::HoldSystemAwake(true); }
    ~AwakeWhileRunning() { plat::HoldSystemAwake(false); }
    AwakeWhileRunning(const AwakeWhileRunning&) = delete;
    AwakeWhileRunning& operator=(const AwakeWhileRunning&) = delete;
};

}  // namespace

void StartRun(const engine::RunOptions& options) {
    const AwakeWhileRunning awake;
    // The end countdowns are part of the run: the machine stays awake for them.
    engine::EndStartedRun(engine::RunBackup(options));
}

}  // namespace ui
