// "/RESTORE": a restore from the command line, for scripts and for someone
// helping by phone:
//
//   Tresoro.exe /RESTORE "<Pfad>" [/ASOF "JJJJ-MM-TT hh:mm[:ss]"] [/TO "<Ordner>"]
//
// It runs without the main window, after the configuration is read and
// before the single-instance guard (a restore may run while Tresoro is
// open), offers no set-up and writes no configuration. Its lines go into
// the month's logs on top of what they hold.
#pragma once

#include <string>
#include <vector>

namespace ui {

// Exit codes of "/RESTORE".
constexpr int kRestoreDone = 0;     // everything asked for was restored
constexpr int kRestorePartly = 1;   // something failed, was cancelled or went beside an existing file
constexpr int kRestoreRefused = 2;  // no job or backup for the path, a malformed argument: nothing written

// Whether the command line asks for a restore (a parameter "/RESTORE",
// compared in upper case).
bool IsRestoreCommand(const std::vector<std::wstring>& args);

// The restore the command line asks for, over the configuration read;
// returns the exit code.
int RunRestoreCommand(const std::vector<std::wstring>& args);

// What the command line says, before anything is looked up.
struct RestoreArgs {
    std::wstring path;
    std::wstring asOf;  // as given; empty: the newest state
    std::wstring to;    // empty: back to the source
    bool ok = false;
};
// "/RESTORE", "/ASOF" and "/TO" each followed by its value, in any order,
// each once; anything else makes the command line malformed.
RestoreArgs ParseRestoreArgs(const std::vector<std::wstring>& args);

}  // namespace ui
