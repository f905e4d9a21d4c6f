// Test runner: every case starts from the program's start state.
#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/testing.h"

namespace {
struct ResetBetweenTests : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        core::ResetState();
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
