// What one backup run owns, from its options to its counters: built by
// RunBackup from the process state and handed by reference to every step of
// the run (the jobs, the synchronisation, the archive). What stays
// process-wide is in run_state.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"

namespace engine {

constexpr int8_t kItJobNormal = 0;
constexpr int8_t kItJobManual = 1;  // copy without archive
constexpr int8_t kItJobForced = 2;  // copy without archive, size or date decides

// How a run was asked for.
struct RunOptions {
    int8_t ItJobMode = kItJobNormal;
    // Every selected job runs whether due or not (Start - Intervall
    // ignorieren, the IT-job copies).
    bool IgnoreInterval = false;
    // Work ahead of the walk on other threads (Run::ListAhead, CopyAhead);
    // off only to compare with a walk on one thread.
    bool ListAhead = true;
    bool CopyAhead = true;
};

// A version waiting for its slot to be reused: where it was, where it waits.
struct SetAside {
    std::wstring slot;
    std::wstring aside;
};

struct Run {
    int8_t ItJobMode = kItJobNormal;
    bool IgnoreInterval = false;
    // What the steps read of the settings and lists, as the run found them
    // (TakeRunInputs). GLogExt: 1 logs every copy, any other value but 0
    // only the archive moves. GFirstNext: the hour a day of runs starts.
    int32_t LogExt = 0;
    int32_t FirstNext = 0;
    std::vector<core::Exclude> Excludes;
    std::vector<core::ArcIndivEntry> ArcIndiv;
    // Listings are read ahead of the walk on reader threads; off, each is
    // read at its turn on the run's thread (the same results, slower).
    bool ListAhead = true;
    // Small new files are copied ahead of their turn on writer threads and
    // named at their turn; off, each is copied at its turn.
    bool CopyAhead = true;
    int32_t EntriesExpected = 0;
    int32_t EntriesDone = 0;
    int32_t JobEntriesDone = 0;
    int32_t FilesCopied = 0;
    int64_t BytesCopied = 0;
    uint32_t CopyMillis = 0;
    uint32_t SpeedShownAt = 0;
    // Errors of this run; every one has its line in "Fehler" (RunError).
    int32_t RunErrorCount = 0;
    // Lines in "Fehler" that explain a counted error (RunErrorDetail).
    int32_t ErrorDetailLines = 0;
    // Windows error code of the last file copy.
    uint32_t LastCopyError = 0;
    // Older archive versions set aside in this directory, in that order.
    std::vector<SetAside> SetAsideList;
    // Set-aside folders made or found during the walk, innermost last; each
    // directory removes its own when it is done.
    std::vector<std::wstring> SetAsideDirs;
    // The job being run, its Dest the effective destination (another drive
    // when the disk was found there); the archive folder derives from it.
    core::Job job;
};

// A run with these options and the current settings, nothing done yet.
Run MakeRun(const RunOptions& options);
// Fills the run's inputs (LogExt, FirstNext, Excludes, ArcIndiv) from the
// settings and lists of the process.
void TakeRunInputs(Run& run);

// A counted error of the run: its line goes to "Fehler" and RunErrorCount grows.
void RunError(Run& run, const std::wstring& line);
// A line in "Fehler" that explains a counted error and is not counted itself
// (the restore of an archived file that failed, the long-path lines).
void RunErrorDetail(Run& run, const std::wstring& line);

}  // namespace engine
