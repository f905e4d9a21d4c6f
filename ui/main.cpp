// Tresoro.exe: start-up, the event loop until the user or the end countdown
// ends it, then the orderly end.
#include <string>
#include <vector>

#include "log/fatal_report.h"
#include "ui/event_loop.h"
#include "ui/startup.h"

int wmain(int argc, wchar_t** argv) {
    logs::InstallErrorReport();
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    const ui::StartResult start = ui::StartProgram(args);
    if (!start.enterLoop) return start.exitCode;
    ui::EventLoop();
    return ui::EndProgram();
}
