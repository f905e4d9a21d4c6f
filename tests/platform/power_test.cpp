// The power-off request never reaches the system in a test, and its
// failures hand the four "ShutDown" texts to the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/display.h"
#include "engine/shutdown.h"
#include "platform/power.h"

namespace {

std::vector<uint32_t> g_flags;
int g_answer = 0;

int Intercept(uint32_t flags) {
    g_flags.push_back(flags);
    return g_answer;
}

struct Power : testing::Test {
    void SetUp() override {
        g_flags.clear();
        g_answer = 0;
    }
};

// The numbers of winuser.h and reason.h: EWX_POWEROFF 0x8 with
// EWX_FORCEIFHUNG 0x10 and never EWX_FORCE 0x4, which would close a
// document with unsaved changes unasked; SHTDN_REASON_FLAG_PLANNED
// 0x80000000 | SHTDN_REASON_MAJOR_APPLICATION 0x40000 |
// SHTDN_REASON_MINOR_MAINTENANCE 0x1, "Application: Maintenance (Planned)".
constexpr uint32_t kPowerOffIfHung = 0x18;
constexpr uint32_t kPlannedMaintenance = 0x80040001u;

TEST_F(Power, TheInterceptAnswersForEveryStepWithThePlannedReason) {
    EXPECT_EQ(engine::ShutdownFlags(), kPowerOffIfHung);
    EXPECT_EQ(plat::LastShutdownReasonForTest(), 0u);
    plat::SetShutdownHookForTest(Intercept);
    for (int code = 0; code <= 4; ++code) {
        g_answer = code;
        EXPECT_EQ(engine::ExitWindowsRequest(engine::ShutdownFlags()), code);
    }
    EXPECT_EQ(g_flags, std::vector<uint32_t>(5, kPowerOffIfHung));
    EXPECT_EQ(plat::LastShutdownReasonForTest(), kPlannedMaintenance);
}

// The safety net for a test that forgets its intercept: the test runner has
// reset the tables, so the request is refused without touching the system,
// on Windows (and Wine) as on the portable layer.
TEST_F(Power, WithoutAnInterceptATestProcessIsRefused) {
    EXPECT_EQ(plat::RequestShutdown(engine::ShutdownFlags(), engine::ShutdownReason()), plat::kShutdownRefused);
    plat::SetShutdownHookForTest(Intercept);
    plat::ResetShutdownForTest();
    EXPECT_EQ(plat::RequestShutdown(engine::ShutdownFlags(), engine::ShutdownReason()), plat::kShutdownRefused);
    EXPECT_TRUE(g_flags.empty());
}

// SetThreadExecutionState answers the thread's state before the call: held,
// ES_CONTINUOUS (0x80000000) | ES_SYSTEM_REQUIRED (1); released, the
// continuous flag alone (Wine keeps the state the same way).
TEST_F(Power, HoldingWindowsAwakeSetsAndReleasesTheState) {
    plat::HoldSystemAwake(true);
    EXPECT_EQ(plat::HoldSystemAwake(false), 0x80000001u);
    EXPECT_EQ(plat::HoldSystemAwake(false), 0x80000000u);
}

// Each failed step hands its text to the window, which shows it in a box
// titled "ShutDown" (the event loop's tests show the box); success shows
// nothing.
TEST_F(Power, ShutDownHandsOneTextPerFailureToTheWindow) {
    static std::vector<std::wstring> shown;
    shown.clear();
    engine::Display display;
    display.shutdownFailed = [](const wchar_t* text) { shown.push_back(text); };
    engine::SetDisplay(display);
    plat::SetShutdownHookForTest(Intercept);
    for (g_answer = 0; g_answer <= 4; ++g_answer) engine::ShutDown();
    engine::SetDisplay({});
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Error: Failed To get access token For current process",
                                                L"Error: Failed To get required security privilege",
                                                L"Error: Failed To adjust required security privilege",
                                                L"Error: ExitWindowsEx call failed"}));
    EXPECT_EQ(g_flags, std::vector<uint32_t>(5, kPowerOffIfHung));
}

}  // namespace
