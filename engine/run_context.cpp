#include "engine/run_context.h"

#include "core/report.h"
#include "core/state.h"
#include "log/channels.h"

namespace engine {

Run MakeRun(const RunOptions& options) {
    Run run;
    run.ItJobMode = options.ItJobMode;
    run.IgnoreInterval = options.IgnoreInterval;
    run.LogExt = core::S().settings.GLogExt;
    return run;
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
