#include "engine/notice.h"

#include "core/report.h"
#include "core/state.h"
#include "engine/countdown.h"
#include "engine/display.h"
#include "log/channels.h"

namespace engine {

static const wchar_t* const kNoticeTitle = L"Tresoro";

int RunExitCode(const RunTally& tally) {
    return tally.RunErrorCount > 0 || tally.JobsHeldBack > 0 ? kExitRunFailed : kExitOk;
}

std::wstring RunEndBalloonText(const RunTally& tally) {
    if (RunExitCode(tally) == kExitOk) return L"";
    std::wstring text = L"Backup mit Fehlern beendet - " + std::to_wstring(tally.RunErrorCount) + L" Fehler";
    if (tally.JobsHeldBack > 0)
        text += L", " + std::to_wstring(tally.JobsHeldBack) + (tally.JobsHeldBack == 1 ? L" Job" : L" Jobs") +
                L" zurückgehalten";
    return text;
}

void NoticeRunEnd(const Run& run) {
    if (!run.options.Unattended) return;
    Countdown().ExitCode = RunExitCode(run.tally);
    const std::wstring text = RunEndBalloonText(run.tally);
    if (!text.empty()) ShowBalloon(kNoticeTitle, text, BalloonTopic::Errors);
}

// The days a job may go without a successful run before the user hears of
// it: a week beyond its interval, two weeks for one without.
static int64_t NoticeGraceSeconds(const core::Job& job) {
    constexpr int64_t kDay = 86400;
    return job.BupInterval > 0 ? (int64_t{job.BupInterval} + 7) * kDay : 14 * kDay;
}

std::vector<std::wstring> StaleJobLines(const std::vector<core::Job>& jobs, int64_t now) {
    std::vector<std::wstring> lines;
    for (const core::Job& job : jobs) {
        if (!(job.Flags & core::kFlagSelected) || job.LastBup == 0) continue;
        const int64_t age = now - job.LastBup;
        if (age <= NoticeGraceSeconds(job)) continue;
        lines.push_back(L"Letztes erfolgreiches Backup von " + job.Src + L" vor " + std::to_wstring(age / 86400) +
                        L" Tagen");
    }
    return lines;
}

void NoticeStaleJobs(int64_t now) {
    const std::vector<std::wstring> lines = StaleJobLines(core::S().Jobs.items, now);
    if (lines.empty()) return;
    std::wstring text;
    for (const std::wstring& line : lines) {
        logs::AddLog(line, core::kLogHint);
        text += (text.empty() ? L"" : L"\n") + line;
    }
    ShowBalloon(kNoticeTitle, text, BalloonTopic::Hints);
}

}  // namespace engine
