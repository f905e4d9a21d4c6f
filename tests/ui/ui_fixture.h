// The program started in the in-memory window system: a fresh application
// data folder, the fake clock, and helpers to read the window back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui.h"
#include "tests/support/temp_tree.h"
#include "ui/startup.h"

namespace ui_testing {

// "Tresoro.ini" text with GStdAuto = 0 (no set-up window at start) and the
// given extra lines of the sections; CR LF line ends.
std::string IniText(const std::string& general = "", const std::string& window = "", const std::string& paths = "");

struct UiFixture : testing::Test {
    testing_support::TempTree tree;
    std::wstring appData;    // special folder 26
    std::wstring configDir;  // appData + "TresoroData\"
    void SetUp() override;
    // Writes the configuration into ConfigDir before the start.
    void WriteIni(const std::string& text) const;
    ui::StartResult Start(const std::vector<std::wstring>& args = {});
    // Start() that must reach the event loop.
    void StartOk(const std::vector<std::wstring>& args = {});
};

// Dispatches events until none is pending and no user action is queued.
void RunPendingEvents();

}  // namespace ui_testing
