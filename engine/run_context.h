// What one backup run owns, apart by what its steps may do with it: the
// options it was asked with and the inputs it found (read, never changed),
// the tally every step adds to, and the job at hand. Built by RunBackup from
// the process state; what stays process-wide is in run_state.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/records.h"

namespace engine {

// The IT-job copies mirror without "@"; the forced one also copies where
// only the size differs, and over a newer or future-dated copy.
enum class ItJobMode : int8_t { Normal, Manual, Forced };

// How a run was asked for.
struct RunOptions {
    ItJobMode itJobMode = ItJobMode::Normal;
    // Every selected job runs whether due or not (Start - Intervall
    // ignorieren, the IT-job copies).
    bool IgnoreInterval = false;
    // Listings read, small new files copied and a verify run's files
    // compared ahead of the walk on other threads; off only to compare with
    // a walk on one thread (the same results, slower).
    bool ListAhead = true;
    bool CopyAhead = true;
    // Started by "/S": no question waits for an answer (a guard holds the
    // job back instead), and the end tells the user through the tray and
    // the exit code.
    bool Unattended = false;
    bool CompareAhead = true;
    // "Prüfen": every file the size-and-date rule calls equal is also
    // compared with its source byte for byte (engine/verify.h).
    bool Verify = false;
};

// What the steps read of the settings and lists, as the run found them
// (TakeRunInputs): the window cannot change them while a run holds it.
struct RunInputs {
    core::LogDetail logDetail = core::LogDetail::Directories;
    // GFirstNext: the hour a day of runs starts.
    int32_t FirstNext = 0;
    std::vector<core::Exclude> Excludes;
    std::vector<core::ArcIndivEntry> ArcIndiv;
};

// What the steps of a run count as they go.
struct RunTally {
    int32_t EntriesExpected = 0;
    int32_t EntriesDone = 0;
    int32_t JobEntriesDone = 0;
    int32_t FilesCopied = 0;
    int64_t BytesCopied = 0;
    uint32_t CopyMillis = 0;
    // CopyMillis when the speed was last shown.
    uint32_t SpeedShownAt = 0;
    // Errors of this run; every one has its line in "Fehler" (RunError).
    int32_t RunErrorCount = 0;
    // Lines in "Fehler" that explain a counted error (RunErrorDetail).
    int32_t ErrorDetailLines = 0;
    // Jobs a guard held back with a counted error (engine/guard.h).
    int32_t JobsHeldBack = 0;
    // The job at hand was held back, also quietly (an optional job): its
    // LastBup stays, its EntryCount only grows, as after an error.
    bool JobHeldBack = false;
    // A verify run: the files compared with their source, their bytes, and
    // those whose content differed.
    int32_t FilesVerified = 0;
    int64_t BytesVerified = 0;
    int32_t FilesDiffering = 0;
};

// What every step of one job reads and none changes: the run's options and
// inputs and the job, its Dest the effective destination (another drive
// when the disk was found there; the archive folder derives from it).
struct JobContext {
    const RunOptions& options;
    const RunInputs& inputs;
    const core::Job& job;

    // Normal mode archives, and its copies carry the archive bit alone.
    bool NormalMode() const { return options.itJobMode == ItJobMode::Normal; }
};

// A run as RunBackup builds it and returns it finished.
struct Run {
    RunOptions options;
    RunInputs inputs;
    RunTally tally;
};

// A run with these options and the current settings, nothing done yet.
Run MakeRun(const RunOptions& options);
// The run's inputs as the settings and lists of the process hold them now.
RunInputs TakeRunInputs();

// A counted error of the run: its line goes to "Fehler" and RunErrorCount
// grows. With a system error the line ends in its text, as "\t\t(<text>)".
void RunError(RunTally& tally, const std::wstring& line, uint32_t systemError = 0);
// A line in "Fehler" that explains a counted error and is not counted itself
// (the restore of an archived file that failed, the long-path lines).
void RunErrorDetail(RunTally& tally, const std::wstring& line);

}  // namespace engine
