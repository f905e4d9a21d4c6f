// From process start to the event loop: paths, old logs, folder variables,
// the configuration, the single-instance guard, the main window with its
// menu and tray icon, the command line, the logs and the job list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Exit codes of a process that ends during start-up.
constexpr int kExitHandedOver = 0;   // a second instance woke the first one
constexpr int kExitStartFailed = 1;  // newer configuration, no window or menu
// "/VERIFY" while Tresoro runs: nothing was compared.
constexpr int kExitVerifyHandedOver = 1;

struct StartResult {
    bool enterLoop = false;
    int exitCode = 0;  // when !enterLoop
};

// Every step up to the event loop; `args` are the command-line parameters
// without the program name.
StartResult StartProgram(const std::vector<std::wstring>& args);

// "/P", "/S<n>", "/M", "/VERIFY", compared in upper case, up to the first
// empty one.
void ApplyCommandLine(const std::vector<std::wstring>& args);

// The number that follows "/S": every "/S" removed, the leading decimal
// digits of the rest (none: 0), capped at the 32-bit maximum.
int32_t EndDelayOf(const std::wstring& upperParameter);

// The registered message "TresoroBring2Front" (0 before start-up).
uint32_t BringToFrontMessage();

// Forgets the registered message; for tests.
void ResetStartup();

}  // namespace ui
