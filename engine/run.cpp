// RunBackup: the frame of a run around its jobs.
#include "engine/run.h"

#include "core/config.h"
#include "core/report.h"
#include "core/state.h"
#include "engine/blink.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/clock.h"

namespace engine {

static void RunStart() {
    StartRunAnimation();
    // The copies placed in "@" during the run are copies of this file.
    core::WriteConfig();
    if (Blinking.load() == 0) {
        Blinking = 1;
        BlinkCancelButton();
    }
    ShowMessagesTab();
    LockRunControls(true);
    ShowStatusLine(L"Kopieren gestartet");
    for (int i = 0; i < 3; ++i) logs::AddLog(L"", core::kLogNormal);
    logs::AddLog(logs::kSeparatorLine, core::kLogNormal);
}

static void RunResetCounters() {
    RunState& run = R();
    logs::LS().RunErrorCount = 0;
    run.CancelRequested = 0;
    run.EntriesExpected = 0;
    run.EntriesDone = 0;
    run.BytesCopied = 0;
    run.CopyMillis = 0;
    run.SpeedShownAt = 0;
}

void RunBackup(bool ignoreInterval) {
    RunState& run = R();
    RunStart();
    const uint32_t startTick = plat::Tick();
    RunResetCounters();
    bool somethingRan = false;

    run.EntriesExpected = ExpectedEntries(ignoreInterval, plat::Now());
    run.FilesCopied = 0;

    for (size_t i = 0; i < core::S().Jobs.items.size(); ++i) {
        const bool selected = (core::S().Jobs.items[i].Flags & core::kFlagSelected) != 0;
        if (!RunJob(i, ignoreInterval, somethingRan)) break;
        // A run killed or powered off later still leaves what this job
        // archived and copied in the month's log; the save at the end
        // writes the same files whole again.
        if (selected) logs::SaveLogs();
    }

    // The result icon must not be overwritten by a late animation frame.
    StopRunAnimation();
    WriteClosingLines();
    ShowRunResult(somethingRan);
    WriteFinalLines(startTick);

    run.ItJobMode = kItJobNormal;
    logs::SaveLogs();
    StopBlinking();
    ShowProgressCount(L"- fertig -");
    ShowFileProgress(0);

    // A cancelled run neither ends the program nor shuts Windows down.
    if (run.CancelRequested == 0) RunEndSequence();

    LockRunControls(false);
    ShowFileProgress(0);
    ReleaseCancelButton();
}

}  // namespace engine
