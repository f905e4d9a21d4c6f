#include "ui/run_start.h"

#include "engine/run.h"
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
    engine::RunBackup(options);
}

}  // namespace ui
