// What the user is told outside the window, where an unattended run and a
// backup gone stale would otherwise go unnoticed: a balloon at the tray
// icon, and the exit code of an unattended run for a scheduler.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/records.h"
#include "engine/run_context.h"

namespace engine {

// Exit codes of the program. 0 and 1 at start-up keep their meaning
// (ui/startup.h: handed over, start failed), 3 is the fatal report's.
constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;  // the last unattended run had errors or held a job back

// 0 without errors, 1 with errors or a job held back.
int RunExitCode(const RunTally& tally);

// "Backup mit Fehlern beendet - 3 Fehler, 1 Job zurückgehalten"; "" for a
// run without errors.
std::wstring RunEndBalloonText(const RunTally& tally);

// At the end of an unattended run, before the end sequence: the exit code
// the program will end with, and the balloon when it went wrong.
void NoticeRunEnd(const Run& run);

// "Letztes erfolgreiches Backup von <Src> vor <n> Tagen" for each selected
// job whose LastBup (not 0) lies more than its interval plus 7 days back,
// 14 days for a job without interval, in list order.
std::vector<std::wstring> StaleJobLines(const std::vector<core::Job>& jobs, int64_t now);

// At start-up: each of those lines as a hint in the log, and all of them in
// one balloon.
void NoticeStaleJobs(int64_t now);

}  // namespace engine
