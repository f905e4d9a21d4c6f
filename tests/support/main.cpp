// Test runner: every case starts from the program's start state.
#include <gtest/gtest.h>

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "dialogs/modal_loop.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/fatal_report.h"
#include "log/log_viewer.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/gui_testing.h"
#include "platform/process.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"
#include "ui/view_state.h"

namespace {
struct ResetBetweenTests : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        core::ResetState();
        logs::ResetLogState();
        engine::ResetRunState();
        testing_support::ResetTestRun();
        engine::SetDisplay(engine::Display{});
        logs::SetLogViewerWindow({});
        logs::SetFatalMessageSink(nullptr);
        plat::ClearFaults();
        plat::UseRealClock();
        plat::ResetTestTables();
        plat::ResetGuiForTest();
        plat::ResetMutexesForTest();
        ui::ResetUiForTest();
        dialogs::ResetExcludeSearch();
        dialogs::ResetModal();
    }
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    return RUN_ALL_TESTS();
}
