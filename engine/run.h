// The backup run: every selected job that is due, in list order, validated,
// its destination searched on other drives or created when allowed, then
// mirrored by SyncDirectory, with statistics, a result icon and a result text
// at the end. It runs on the main thread; the window stays alive through the
// display's event drain inside the synchronisation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "engine/run_context.h"

namespace engine {

// Runs the backup over core::S().Jobs in the way `options` asks for and
// returns the finished run, its result shown; it never ends the program.
// The jobs' dates and counts go back into the job list, the error count into
// the log for its summary. The controls stay locked for what follows: the
// caller ends the run with EndRun.
[[nodiscard]] Run RunBackup(const RunOptions& options);

// What follows a run, run by the one who asked for it: unless the run was
// cancelled, the end sequence (RunEndSequence, which may end the program or
// power Windows off), then the controls and "Abbrechen" back to the user.
void EndRun(const Run& run);

// The date (local seconds) from which a job with BupInterval > 0 is due
// again: BupInterval days after its last run, from `firstNext` o'clock on
// (GFirstNext); a run made before that hour counts for the previous day.
int64_t NextDue(const core::Job& job, int32_t firstNext);

// Looks for the job's destination on the other drives, by the "@\Tresoro.ini"
// copy a former run left there, and returns the path found there ("" when
// none). On a match the run's EntriesExpected grows by the job's EntryCount,
// which the search at the start could not count.
std::wstring FindAlternativeDest(RunTally& tally, const core::Job& job);

// The icon animation thread: IconBusy and IconIdle alternating every 700 ms
// in the tray and the status image while RunAnimating is 1; sets
// RunAnimating to -1 when it ends.
void AnimateRunIcon();

// ---- Pieces of the run, public for their tests ----

// Due by the plain interval, as the expected total counts it (no GFirstNext).
bool DueBySimpleTest(const core::Job& job, bool ignoreInterval, int64_t now);

// The number of source entries the run is expected to handle, from the
// EntryCount of the jobs of `jobs` that will run; 0 when a non-optional
// job's count cannot be known. Saturates at the 32-bit limit.
int32_t ExpectedEntries(const std::vector<core::Job>& jobs, bool ignoreInterval, int64_t now);

// True when less than a tenth of the medium is free (available < total x 0.1,
// the product rounded to a whole number). A failed measurement (both 0)
// never warns.
bool LowFreeSpace(uint64_t available, uint64_t total);

// The part of a destination after its drive, as it is looked for on other
// drives: between its first and second ":", leading backslashes removed.
std::wstring DestTail(const std::wstring& dest);

// Whether the "PATHS" section of a foreign configuration file holds an entry
// with this Sid and exactly this destination (case included).
bool ForeignIniHasJob(const std::string& bytes, int32_t sid, const std::wstring& dest);

// Elapsed milliseconds as a time of day "hh:ii:ss" in whole seconds; it
// wraps after 24 hours, as the run log has always shown it.
std::wstring FormatElapsed(uint32_t milliseconds);

// What became of one job of the run.
struct JobResult {
    bool ran = false;        // it was mirrored (in part, when cancelled)
    bool cancelled = false;  // the remaining jobs are not looked at
};

// One job of the run, core::S().Jobs[index]: due test, free-space hint,
// validation, destination search and creation, SyncDirectory, the
// configuration copy into "@", and the job's LastBup and EntryCount.
[[nodiscard]] JobResult RunJob(const RunOptions& options, const RunInputs& inputs, RunTally& tally, size_t index);

// The statistics after the last job: copied files and MB, in a verify run
// the files compared, entries, the pointer to the hints when any were
// logged, the error count.
void WriteClosingLines(const RunTally& tally, bool hintsPending, bool verified = false);
// Result icon in tray and status image and the result text; after a cancel
// the tray shows IconIdle and the text says so.
void ShowRunResult(const RunTally& tally, bool somethingRan);
// "Zeitaufwand: ", the end date line, the separator and the run's summary.
void WriteFinalLines(uint32_t startTick);

// Starts AnimateRunIcon with RunAnimating = 1.
void StartRunAnimation();
// RunAnimating = 0, then dispatches window events in waits of at most 100 ms
// until the thread has signalled -1, and joins it. Only after this may the
// run set its result icon.
void StopRunAnimation();

}  // namespace engine
