// The guards' decisions and what they tell: the bound of a mass change, the
// question of an interactive run, the lines of a job held back.
#include "engine/guard.h"

#include <algorithm>

#include "core/report.h"
#include "engine/display.h"
#include "log/channels.h"

namespace engine {

int32_t MassChangeAllowance(int32_t entryCount) {
    if (entryCount <= 0) return kNoBound;
    // More than half, and at least 50, stops the job.
    return std::max(entryCount / 2, 49);
}

JobGuard StartJobGuard(const core::Job& job) {
    JobGuard guard;
    guard.allowed = MassChangeAllowance(job.EntryCount);
    guard.lastCount = job.EntryCount;
    return guard;
}

// The mirror's entries outside "@", everything below its folders included:
// what the run would have pushed into the archive.
static int32_t GuardMirrorEntries(const SyncList& dest, const std::wstring& destDir) {
    int64_t count = 0;
    for (size_t k = 0; k < dest.size(); ++k)
        count += SyncIsDir(dest, k) ? 1 + int64_t{EntriesBelow(destDir + dest.Name(k))} : 1;
    return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

bool GuardEmptySource(const JobContext& job, RunTally& tally, const std::wstring& destDir, const SyncList& source,
                      const SyncList& dest) {
    if (source.listing.size() != 0 || dest.size() == 0) return false;
    const std::wstring line = L"QUELLE IST LEER: " + job.job.Src + L" - Ziel enthält " +
                              std::to_wstring(GuardMirrorEntries(dest, destDir)) + L" Einträge, Job übersprungen";
    logs::AddLog(line, core::kLogNormal);
    // A disk that is not always there: as for a missing source, no error.
    if (job.job.Flags & core::kFlagOptional) {
        logs::AddLog(line, core::kLogHint);
    } else {
        RunError(tally, line);
        ++tally.JobsHeldBack;
    }
    tally.JobHeldBack = true;
    return true;
}

// Once per job; the answer is logged, so that a mirror changed at once can
// be traced back to the user's "Ja".
static bool GuardAsk(const JobContext& job, int64_t entries) {
    const std::wstring text = L"Backup von " + job.job.Src + L":\n" + std::to_wstring(entries) +
                              L" Einträge würden archiviert oder ersetzt - das ist mehr als die Hälfte des "
                              L"Backups. Trotzdem fortfahren?";
    const bool yes = AskYesNo(text);
    if (yes) logs::AddLog(L"Massenänderung bestätigt: " + job.job.Src, core::kLogNormal);
    return yes;
}

LevelChanges GuardLevel(const JobContext& job, JobGuard& guard, const std::wstring& destDir, const SyncList& source,
                        const SyncList& dest, bool archiving) {
    if (guard.allowed == kNoBound || guard.lifted) return {};
    const LevelChanges level = CountLevelChanges(job, destDir, source, dest, archiving);
    guard.vanished += level.vanishedAtEnd + level.typeChanged;
    guard.replaced += level.replaced;
    if (guard.holding) return level;
    int64_t vanished = guard.vanished, replaced = guard.replaced;
    // An eighth of the backup changed: would the rest of the walk pass the
    // bound? Then nothing more moves from here on.
    if (!guard.lookedAhead && std::max(vanished, replaced) > guard.allowed / 4) {
        guard.lookedAhead = true;
        const LevelChanges rest = CountRestOfWalk(job, guard);
        vanished += int64_t{rest.vanishedAtEnd} + rest.typeChanged;
        replaced += rest.replaced;
    }
    if (vanished <= guard.allowed && replaced <= guard.allowed) return level;
    if (!job.options.Unattended && GuardAsk(job, vanished + replaced))
        guard.lifted = true;
    else
        guard.holding = true;
    return level;
}

void FinishJobGuard(const JobContext& job, const JobGuard& guard, RunTally& tally) {
    if (guard.onlineOnly > 0)
        logs::AddLog(
            std::to_wstring(guard.onlineOnly) + L" Dateien nur online vorhanden - nicht kopiert: " + job.job.Src,
            core::kLogHint);
    if (!guard.holding) return;
    const std::wstring line = L"MASSENÄNDERUNG: " + job.job.Src + L" - " + std::to_wstring(guard.heldBack) +
                              L" Einträge zurückgehalten, mehr als die Hälfte der " + std::to_wstring(guard.lastCount) +
                              L" Einträge würde archiviert oder ersetzt";
    logs::AddLog(line, core::kLogNormal);
    RunError(tally, line);
    ++tally.JobsHeldBack;
    tally.JobHeldBack = true;
}

}  // namespace engine
