#include "engine/run_context.h"

#include "core/report.h"
#include "core/state.h"
#include "log/channels.h"

namespace engine {

Run MakeRun(const RunOptions& options) {
    Run run;
    run.ItJobMode = options.ItJobMode;
    run.IgnoreInterval = options.IgnoreInterval;
    run.ListAhead = options.ListAhead;
    run.CopyAhead = options.CopyAhead;
    TakeRunInputs(run);
    return run;
}

void TakeRunInputs(Run& run) {
    const core::State& state = core::S();
    run.LogExt = state.settings.GLogExt;
    run.FirstNext = state.settings.GFirstNext;
    run.Excludes = state.Excludes.items;
    run.ArcIndiv = state.ArcIndiv.items;
}

void RunError(Run& run, const std::wstring& line) {
    logs::AddLog(line, core::kLogError);
    ++run.RunErrorCount;
}

void RunErrorDetail(Run& run, const std::wstring& line) {
    logs::AddLog(line, core::kLogError);
    ++run.ErrorDetailLines;
}

}  // namespace engine
