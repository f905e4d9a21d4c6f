// Test runner: every case starts from the program's start state.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/display.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/testing.h"

namespace {
struct ResetBetweenTests : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        core::ResetState();
        logs::ResetLogState();
        engine::ResetRunState();
        engine::SetDisplay(engine::Display{});
        plat::ClearFaults();
        plat::UseRealClock();
        plat::ResetTestTables();
    }
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    return RUN_ALL_TESTS();
}
