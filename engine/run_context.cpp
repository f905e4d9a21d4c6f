#include "engine/run_context.h"

#include "core/report.h"
#include "core/state.h"
#include "log/channels.h"
#include "log/error_text.h"

namespace engine {

Run MakeRun(const RunOptions& options) { return Run{options, TakeRunInputs(), {}}; }

RunInputs TakeRunInputs() {
    const core::State& state = core::S();
    return RunInputs{core::LogDetailOf(state.settings.GLogExt), state.settings.GFirstNext, state.Excludes.items,
                     state.ArcIndiv.items};
}

void RunError(RunTally& tally, const std::wstring& line, uint32_t systemError) {
    logs::AddLog(systemError == 0 ? line : line + L"\t\t(" + logs::WindowsErrorText(systemError) + L")",
                 core::kLogError);
    ++tally.RunErrorCount;
}

void RunErrorDetail(RunTally& tally, const std::wstring& line) {
    logs::AddLog(line, core::kLogError);
    ++tally.ErrorDetailLines;
}

}  // namespace engine
