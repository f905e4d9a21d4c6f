// Restoring from a backup: which job a path belongs to, the moment asked
// for, and copying a state (restore_state.h) back, to its place in the
// source or below another folder. A restore only ever reads the backup:
// nothing in the mirror or in "@" is written, renamed, deleted or touched.
// At the target nothing is lost: a different file of the name stays, and
// the version goes beside it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/records.h"
#include "engine/restore_state.h"

namespace engine {

// ---- the job of a path ----

// A job as a restore needs it: where its source is and where its backup
// is found now (the configured destination, or the folder whose
// "@\Tresoro.ini" names it).
struct RestoreJob {
    int32_t sid = 0;
    std::wstring src;   // ends in "\"
    std::wstring dest;  // ends in "\"; the destination holding the backup
};

// What a path given to /RESTORE names: a job and the entry below its root
// ("" the whole job).
struct RestoreTarget {
    RestoreJob job;
    std::wstring path;
    bool found = false;
};

// `path` (a file or folder, with or without a trailing "\") by its place in
// a job's source or in a job's destination (not inside its "@"): first the
// jobs of `jobs`, in order; when none matches, the "@\Tresoro.ini" of the
// destination the path lies in, found upwards from the path.
RestoreTarget FindRestoreTarget(const std::vector<core::Job>& jobs, const std::wstring& path);

// Whether the job's backup is there: its destination, or for a job of the
// configuration (`listed`) the disk found under another drive letter, which
// then becomes job.dest.
bool LocateBackup(RestoreJob& job, const core::Job* listed);

// Whether `target` (a full path) is the job's destination or lies in it:
// a restore never writes there.
bool InsideBackup(const RestoreJob& job, const std::wstring& target);

// The jobs a foreign "@\Tresoro.ini" lists whose destination is this
// folder, by the part after the drive (the disk may have another letter
// now): their destination is `dest`.
std::vector<RestoreJob> JobsOfBackup(const std::string& iniBytes, const std::wstring& dest);

// ---- moments ----

// "JJJJ-MM-TT hh:mm" or "JJJJ-MM-TT hh:mm:ss", local time, into local
// seconds; false for any other form or a date that does not exist.
bool ParseRestoreMoment(const std::wstring& text, int64_t& out);
// "01.12.2026 14.30", as a name may carry it.
std::wstring FormatStandName(int64_t seconds);
// "01.12.2026 14:30:05", as the window and the log show a moment.
std::wstring FormatMoment(int64_t seconds);

// ---- copying a state back ----

struct RestoreHooks {
    // Before each entry: done so far, all, the entry's target.
    std::function<void(size_t done, size_t total, const std::wstring& target)> progress;
    // Asked between entries and during copies (the window takes its events
    // there): true stops the restore; a copy broken off leaves nothing.
    std::function<bool()> cancelled;
    // Every file gets its "Wiederhergestellt:" line (else only the summary
    // and what was put beside or failed).
    bool logEachFile = false;
    // Writers copy the next small files ahead of their turn
    // (engine/copy_ahead.h); off, each is copied at its turn.
    bool copyAhead = true;
};

struct RestoreOutcome {
    int32_t restored = 0;  // files copied, or found the same at the target
    int32_t beside = 0;    // files (of them) and folders put beside a different entry of the name
    int32_t failed = 0;
    int32_t folders = 0;  // folders made
    int64_t bytes = 0;    // copied
    bool cancelled = false;
    std::wstring besideExample;  // one of the names put beside
};

// Copies `items` (a state of the entry `fromPath`, as StateAt gives it) so
// that `fromPath` becomes `targetPath` (a full path, no trailing "\"):
// folders are made as needed (the levels above `targetPath` too), files are
// copied with their date and attributes through a temporary name; a file
// at the target that is the same (size, date and content) counts as
// restored, a different one stays and the version goes beside it as
// "<name> (Stand <date of the version>)<ext>". `asOf` names a folder put
// beside a file in its way. Lines go to the log: "Wiederhergestellt: ..."
// in "Meldungen", failures in "Fehler".
RestoreOutcome RestoreState(const std::vector<StateItem>& items, const std::wstring& fromPath,
                            const std::wstring& targetPath, int64_t asOf, const RestoreHooks& hooks);

// The name beside `name` for a version of `date`, the n-th try (1, 2, ...):
// "Bericht.docx" -> "Bericht (Stand 01.12.2026 14.30).docx", then
// "Bericht (Stand 01.12.2026 14.30) (2).docx".
std::wstring BesideName(const std::wstring& name, int64_t date, int attempt);

// The result line of a restore, as a run has one.
std::wstring RestoreResultText(const RestoreOutcome& outcome);

}  // namespace engine
