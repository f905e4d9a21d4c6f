// One job of a backup run, from its opening log line to its LastBup.
#include <cmath>
#include <string>

#include "core/drives.h"
#include "core/report.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/path_text.h"

namespace engine {

static const wchar_t* const kJobOptionalSkip = L" (Fakultativ: überspringe Job)";

// Optional jobs (a disk that is not always there, a folder that may be
// missing) skip quietly; for any other job a bad path is an error of the run.
static void JobReportInvalid(RunTally& tally, const std::wstring& label, const std::wstring& path, bool optional) {
    if (optional) {
        logs::AddLog(label + path + kJobOptionalSkip, core::kLogNormal);
        return;
    }
    logs::AddLog(label + path, core::kLogNormal);
    RunError(tally, label + path);
}

bool LowFreeSpace(uint64_t available, uint64_t total) {
    // A tenth of any 64-bit size fits a long long; the rounding is to the
    // nearest byte, as the limit has always been computed.
    const long long limit = std::llround(static_cast<double>(total) * 0.1);
    return available < static_cast<uint64_t>(limit);
}

// The copy of the configuration in "@" lets a later run recognise this disk
// under another drive letter. It is written whole through a temporary file,
// so an interrupted run never leaves a truncated copy that could no longer
// be recognised. A copy that cannot be made is no error of the backup: the
// mirror is complete without it, and only the search on other drives would
// miss it; every later run tries again.
static void JobCopyConfig(const std::wstring& dest, const std::wstring& iniFile) {
    const std::wstring archive = core::AddBackslash(dest) + L"@";
    if (!plat::DirExists(archive)) (void)plat::CreateDir(archive);
    std::string bytes;
    if (iniFile.empty() || !plat::ReadWholeFile(iniFile, bytes)) return;
    (void)plat::WriteFileReplacing(archive + L"\\" + plat::PathName(iniFile), bytes);
}

// One level only: a destination whose parent is missing (a disk that is not
// connected) must not be built up from nothing on another medium. Whether
// it worked is asked right after ("UNGÜLTIGES ZIEL").
static void JobCreateDest(const std::wstring& dest) { (void)plat::CreateDir(plat::WithoutTrailingSeparator(dest)); }

// What RunJob needs of the process state: the job as it stands in the list
// and the settings that steer it.
struct JobInput {
    core::Job job;
    bool searchDest = false;
    bool createDest = false;
    std::wstring iniFile;
};

static JobInput JobTake(size_t index) {
    const core::State& state = core::S();
    return {state.Jobs.items[index], state.settings.GSearchDest == 1, state.settings.GCreateDest == 1,
            state.paths.IniFile};
}

// What the job leaves in the list: how many entries it handled, and when it
// last ran completely. Any error so far in the run keeps it due, so the next
// run repeats it; the count only grows then, keeping the percentage honest.
// A job a guard held back stays due in the same way.
static void JobWriteBack(const RunTally& tally, size_t index, bool cancelled) {
    // The synchronisation dispatched window events; take the job afresh.
    core::Job& job = core::S().Jobs.items[index];
    if (!cancelled && tally.RunErrorCount == 0 && !tally.JobHeldBack) {
        job.EntryCount = tally.JobEntriesDone;
        job.LastBup = plat::Now();
    } else if (job.EntryCount < tally.JobEntriesDone) {
        job.EntryCount = tally.JobEntriesDone;
    }
}

JobResult RunJob(const RunOptions& options, const RunInputs& inputs, RunTally& tally, size_t index) {
    tally.JobEntriesDone = 0;
    tally.JobHeldBack = false;
    const JobInput input = JobTake(index);
    if (!(input.job.Flags & core::kFlagSelected)) return {};

    // The job as this run sees it: its Dest becomes the drive where the disk
    // was found.
    core::Job job = input.job;
    const std::wstring& src = job.Src;
    std::wstring dest = job.Dest;
    const bool optional = (job.Flags & core::kFlagOptional) != 0;
    bool runIt = true;

    const int64_t now = plat::Now();
    logs::AddLog(core::FormatLogDate(now) + L"   " + src + L"   >>>   " + dest, core::kLogNormal);

    if (job.BupInterval > 0 && !options.IgnoreInterval) {
        const int64_t due = NextDue(job, inputs.FirstNext);
        if (due > now) {
            logs::AddLog(L"Backup noch nicht fällig - nächstes frühestens am " + core::FormatLogDate(due) + L"   ",
                         core::kLogNormal);
            return {};
        }
    }

    // Measured on the configured destination before anything else, so the
    // warning also reaches the user when the job cannot run today.
    const core::Space space = core::DiskSpace(dest);
    if (LowFreeSpace(space.freeBytes, space.totalBytes))
        logs::AddLog(L"ACHTUNG: Weniger als 10% freier Speicher auf Zielmedium: " + dest, core::kLogHint);

    if (!plat::DirExists(src)) {
        runIt = false;
        JobReportInvalid(tally, L"UNGÜLTIGE QUELLE: ", src, optional);
    }

    // Network paths are not searched: another drive letter cannot hold them.
    // A destination found elsewhere is the job's destination for this run
    // (the archive folder derives from it); the list keeps the configured one.
    if (input.searchDest && !plat::DirExists(dest) && dest.rfind(L"\\\\", 0) != 0) {
        const std::wstring found = FindAlternativeDest(tally, job);
        if (!found.empty()) dest = job.Dest = found;
    }

    if (input.createDest && !plat::DirExists(dest)) JobCreateDest(dest);

    if (!plat::DirExists(dest)) {
        runIt = false;
        JobReportInvalid(tally, L"UNGÜLTIGES ZIEL: ", dest, optional);
    }

    JobResult result;
    if (runIt) {
        const JobContext context{options, inputs, job};
        SyncDirectory(context, tally, src, dest);
        result.ran = true;
        if (context.NormalMode()) JobCopyConfig(dest, input.iniFile);
    }

    result.cancelled = CancelPending();
    if (result.cancelled) logs::AddLog(L"ABBRUCH bei " + src + L"!!!", core::kLogNormal);
    JobWriteBack(tally, index, result.cancelled);
    return result;
}

}  // namespace engine
