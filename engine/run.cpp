// RunBackup: the frame of a run around its jobs.
#include "engine/run.h"

#include "core/config.h"
#include "core/report.h"
#include "core/state.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "engine/notice.h"
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

Run RunBackup(const RunOptions& options) {
    RunStart();
    const uint32_t startTick = plat::Tick();
    Run run = MakeRun(options);
    // A cancel pressed before the start (or left over from a countdown)
    // does not stop this run.
    ClearCancel();
    bool somethingRan = false;

    const std::vector<core::Job>& jobs = core::S().Jobs.items;
    run.tally.EntriesExpected = ExpectedEntries(jobs, options.IgnoreInterval, plat::Now());

    for (size_t i = 0; i < jobs.size(); ++i) {
        const bool selected = (jobs[i].Flags & core::kFlagSelected) != 0;
        const JobResult job = RunJob(run.options, run.inputs, run.tally, i);
        somethingRan = somethingRan || job.ran;
        if (job.cancelled) break;
        // A run killed or powered off later still leaves what this job
        // archived and copied in the month's log; the save at the end
        // writes the same files whole again.
        if (selected) logs::SaveLogs();
    }

    // The result icon must not be overwritten by a late animation frame.
    StopRunAnimation();
    // The summary at the end of the log prints the run's error count; the
    // hints logged since the last run are pointed to once.
    logs::LogState& logState = logs::LS();
    logState.RunErrorCount = run.tally.RunErrorCount;
    WriteClosingLines(run.tally, logState.HintsPending != 0, options.Verify);
    logState.HintsPending = 0;
    ShowRunResult(run.tally, somethingRan);
    WriteFinalLines(startTick);

    logs::SaveLogs();
    StopBlinking();
    ShowProgressCount(L"- fertig -");
    ShowFileProgress(0);
    return run;
}

void EndRun(const Run& run) {
    NoticeRunEnd(run);
    // A cancelled run neither ends the program nor shuts Windows down.
    if (!CancelPending()) RunEndSequence(run.tally.RunErrorCount != 0);
    LockRunControls(false);
    ShowFileProgress(0);
    ReleaseCancelButton();
}

}  // namespace engine
