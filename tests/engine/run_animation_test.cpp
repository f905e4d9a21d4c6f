// The icon animation of a run and how the run waits for it to stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/display.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "platform/clock.h"

namespace {

using engine::Icon;

std::mutex g_mu;
std::vector<Icon> g_tray;
std::vector<Icon> g_image;
std::vector<uint32_t> g_waits;
std::atomic<bool> g_holdTray{false};
// The main thread's wait with this number releases a held tray update.
size_t g_releaseAtWait = 0;

engine::Display AnimDisplay() {
    engine::Display d;
    d.trayIcon = [](Icon i) {
        {
            std::lock_guard<std::mutex> lock(g_mu);
            g_tray.push_back(i);
        }
        // A tray update stuck in the window system, as a blocked message
        // send would be.
        while (g_holdTray.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    d.statusImage = [](Icon i) {
        std::lock_guard<std::mutex> lock(g_mu);
        g_image.push_back(i);
    };
    d.waitEvents = [](uint32_t ms) {
        g_waits.push_back(ms);
        plat::AdvanceFakeClock(ms);
        if (g_waits.size() == g_releaseAtWait) g_holdTray = false;
    };
    return d;
}

size_t TrayFrames() {
    std::lock_guard<std::mutex> lock(g_mu);
    return g_tray.size();
}

void WaitUntil(bool (*condition)()) {
    for (int i = 0; i < 5000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

struct EngineRunAnimation : testing::Test {
    void SetUp() override {
        g_tray.clear();
        g_image.clear();
        g_waits.clear();
        g_holdTray = false;
        g_releaseAtWait = 0;
        engine::SetDisplay(AnimDisplay());
        plat::SetFakeClock(1700000000, 1000);
    }
};

TEST_F(EngineRunAnimation, StartsWithTheBusyIconAndAlternates) {
    engine::StartRunAnimation();
    EXPECT_NE(engine::RunAnimating.load(), 0);
    WaitUntil([] { return TrayFrames() >= 1; });
    engine::StopRunAnimation();
    EXPECT_EQ(engine::RunAnimating.load(), -1);
    size_t frames = 0;
    {
        std::lock_guard<std::mutex> lock(g_mu);
        ASSERT_FALSE(g_tray.empty());
        ASSERT_EQ(g_tray.size(), g_image.size());
        for (size_t i = 0; i < g_tray.size(); ++i) {
            EXPECT_EQ(g_tray[i], i % 2 == 0 ? Icon::Busy : Icon::Idle);
            EXPECT_EQ(g_image[i], g_tray[i]);
        }
        frames = g_tray.size();
    }
    // Once stopped, no further frame appears.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(TrayFrames(), frames);
}

TEST_F(EngineRunAnimation, ThreadEndsAtOnceWhenNotRunning) {
    engine::RunAnimating = 0;
    engine::AnimateRunIcon();
    EXPECT_EQ(engine::RunAnimating.load(), -1);
    EXPECT_TRUE(g_tray.empty());
}

// A frame held up in the window system (a tray update waiting for the main
// thread) gets through while the stop keeps dispatching, and the thread is
// joined: no thread outlives its run.
TEST_F(EngineRunAnimation, AFrameHeldUpGetsThroughAndTheThreadIsJoined) {
    g_holdTray = true;
    engine::StartRunAnimation();
    WaitUntil([] { return TrayFrames() >= 1; });
    ASSERT_EQ(TrayFrames(), 1u);
    g_releaseAtWait = 20;
    engine::StopRunAnimation();
    EXPECT_EQ(engine::RunAnimating.load(), -1);
    EXPECT_GE(g_waits.size(), 20u);
    for (uint32_t ms : g_waits) EXPECT_LE(ms, 100u);
    EXPECT_EQ(TrayFrames(), 1u);
}

}  // namespace
