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

namespace engine {

static const wchar_t* const kJobOptionalSkip = L" (Fakultativ: überspringe Job)";

// Optional jobs (a disk that is not always there, a folder that may be
// missing) skip quietly; for any other job a bad path is an error of the run.
static void JobReportInvalid(const std::wstring& label, const std::wstring& path, bool optional) {
    if (optional) {
        logs::AddLog(label + path + kJobOptionalSkip, core::kLogNormal);
        return;
    }
    logs::AddLog(label + path, core::kLogNormal);
    logs::AddLog(label + path, core::kLogError);
    logs::LS().RunErrorCount += 1;
}

bool LowFreeSpace(uint64_t available, uint64_t total) {
    // A tenth of any 64-bit size fits a long long; the rounding is to the
    // nearest byte, as the limit has always been computed.
    const long long limit = std::llround(static_cast<double>(total) * 0.1);
    return available < static_cast<uint64_t>(limit);
}

// "C:\Users\x\Tresoro.ini" -> "Tresoro.ini".
static std::wstring JobFileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The copy of the configuration in "@" lets a later run recognise this disk
// under another drive letter. It is written whole through a temporary file,
// so an interrupted run never leaves a truncated copy that could no longer
// be recognised.
static void JobCopyConfig(const std::wstring& dest) {
    const std::wstring archive = core::AddBackslash(dest) + L"@";
    if (!plat::DirExists(archive)) plat::CreateDir(archive);
    const std::wstring& iniFile = core::S().paths.IniFile;
    std::string bytes;
    if (iniFile.empty() || !plat::ReadWholeFile(iniFile, bytes)) return;
    plat::WriteFileReplacing(archive + L"\\" + JobFileName(iniFile), bytes);
}

// One level only: a destination whose parent is missing (a disk that is not
// connected) must not be built up from nothing on another medium.
static void JobCreateDest(const std::wstring& dest) {
    std::wstring path = dest;
    if (path.size() > 1 && path.back() == L'\\') path.pop_back();
    plat::CreateDir(path);
}

bool RunJob(size_t index, bool ignoreInterval, bool& somethingRan) {
    RunState& run = R();
    logs::LogState& ls = logs::LS();
    std::wstring originalDest;
    run.JobEntriesDone = 0;
    if (!(core::S().Jobs.items[index].Flags & core::kFlagSelected)) return true;

    const core::Job snapshot = core::S().Jobs.items[index];
    const int32_t sid = snapshot.Sid;
    const std::wstring src = snapshot.Src;
    std::wstring dest = snapshot.Dest;
    const bool optional = (snapshot.Flags & core::kFlagOptional) != 0;
    bool runIt = true;

    const int64_t now = plat::Now();
    logs::AddLog(core::FormatLogDate(now) + L"   " + src + L"   >>>   " + dest, core::kLogNormal);

    if (snapshot.BupInterval > 0 && !ignoreInterval) {
        const int64_t due = NextDue(snapshot);
        if (due > now) {
            logs::AddLog(L"Backup noch nicht fällig - nächstes frühestens am " +
                             core::FormatLogDate(due) + L"   ",
                         core::kLogNormal);
            return true;
        }
    }

    // Measured on the configured destination before anything else, so the
    // warning also reaches the user when the job cannot run today.
    core::DiskSpace(dest);
    if (LowFreeSpace(core::S().LastFreeBytes, core::S().LastTotalBytes))
        logs::AddLog(L"ACHTUNG: Weniger als 10% freier Speicher auf Zielmedium: " + dest,
                     core::kLogHint);

    if (!plat::DirExists(src)) {
        runIt = false;
        JobReportInvalid(L"UNGÜLTIGE QUELLE: ", src, optional);
    }

    // Network paths are not searched: another drive letter cannot hold them.
    const core::Settings& settings = core::S().settings;
    if (settings.GSearchDest == 1 && !plat::DirExists(dest) && dest.rfind(L"\\\\", 0) != 0)
        FindAlternativeDest(core::S().Jobs.items[index], dest, originalDest);

    if (settings.GCreateDest == 1 && !plat::DirExists(dest)) JobCreateDest(dest);

    if (!plat::DirExists(dest)) {
        runIt = false;
        JobReportInvalid(L"UNGÜLTIGES ZIEL: ", dest, optional);
    }

    if (runIt) {
        SyncDirectory(src, dest, sid);
        somethingRan = true;
        if (run.ItJobMode == kItJobNormal) JobCopyConfig(dest);
    }

    // The synchronisation dispatched window events; take the job afresh.
    core::Job& job = core::S().Jobs.items[index];
    if (!originalDest.empty()) job.Dest = originalDest;

    if (run.CancelRequested != 0) {
        logs::AddLog(L"ABBRUCH bei " + src + L"!!!", core::kLogNormal);
        if (job.EntryCount < run.JobEntriesDone) job.EntryCount = run.JobEntriesDone;
        return false;
    }

    // Any error so far in the run keeps this job due, so the next run
    // repeats it; the count only grows then, keeping the percentage honest.
    if (ls.RunErrorCount == 0) {
        job.EntryCount = run.JobEntriesDone;
        job.LastBup = static_cast<int32_t>(plat::Now());
    } else if (job.EntryCount < run.JobEntriesDone) {
        job.EntryCount = run.JobEntriesDone;
    }
    return true;
}

}  // namespace engine
