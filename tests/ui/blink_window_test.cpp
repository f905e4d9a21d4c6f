// The blinking of a widget over the in-memory window system: bold while it
// blinks, its own colour alternating with red, and put back when Blinking
// is cleared. The waits are bounded conditions, never timings.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/run_state.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "ui/blink.h"

namespace {

constexpr int kWindow = 1;
constexpr int kLabel = 10;
constexpr uint32_t kOwnColour = plat::ColorRgb(0, 0, 128);
constexpr uint32_t kRed = plat::ColorRgb(255, 0, 0);

const plat::Font kBold{L"Arial", 9, true};
const plat::Font kNormal{L"Arial", 9, false};

// Polls until `pred` holds, at most 10 s of real time (a phase is 700 ms).
template <typename Pred>
bool WaitFor(Pred pred) {
    for (int i = 0; i < 10000; ++i) {
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

struct Blink : testing::Test {
    void SetUp() override {
        ASSERT_TRUE(plat::OpenWindow(kWindow, L"Tresoro", plat::Box{0, 0, 400, 200}, 0));
        ASSERT_TRUE(
            plat::CreateText(kLabel, kWindow, plat::Box{10, 10, 200, 20}, L"Backup wird in 5 Sekunden gestartet!"));
        plat::SetGadgetColor(kLabel, kOwnColour);
    }
    void TearDown() override { Stop(); }

    // What the run's stop does through the display: clear, then join.
    static void Stop() {
        engine::Blinking = 0;
        ui::JoinBlinkThreads();
    }
    static bool Red() { return plat::GetGadgetColor(kLabel) == kRed; }
    static bool Own() { return plat::GetGadgetColor(kLabel) == kOwnColour; }
    static bool Bold() { return plat::GetGadgetFont(kLabel) == kBold; }
};

TEST_F(Blink, BoldAndAlternatingWhileBlinkingThenPutBack) {
    engine::Blinking = 1;
    ui::StartBlinkThreads({kLabel});
    ASSERT_TRUE(WaitFor(Bold));
    ASSERT_TRUE(WaitFor(Red));
    EXPECT_TRUE(Bold());
    ASSERT_TRUE(WaitFor(Own));
    ASSERT_TRUE(WaitFor(Red));

    Stop();
    EXPECT_EQ(ui::BlinkThreadsRunning(), 0);
    EXPECT_EQ(plat::GetGadgetColor(kLabel), kOwnColour);
    EXPECT_EQ(plat::GetGadgetFont(kLabel), kNormal);
    EXPECT_EQ(plat::GetGadgetText(kLabel), L"Backup wird in 5 Sekunden gestartet!");
}

// The run starts its blinking right after the start countdown stopped
// its own: the new thread must find the widget's own colour, not red.
TEST_F(Blink, BlinkingAgainAfterAStopKeepsTheOwnColour) {
    engine::Blinking = 1;
    ui::StartBlinkThreads({kLabel});
    ASSERT_TRUE(WaitFor(Red));
    Stop();
    engine::Blinking = 1;
    ui::StartBlinkThreads({kLabel});
    ASSERT_TRUE(WaitFor(Red));
    Stop();
    EXPECT_EQ(plat::GetGadgetColor(kLabel), kOwnColour);
    EXPECT_EQ(plat::GetGadgetFont(kLabel), kNormal);
}

TEST_F(Blink, OneThreadPerWidget) {
    constexpr int kButton = 11;
    ASSERT_TRUE(plat::CreateButton(kButton, kWindow, plat::Box{10, 40, 80, 20}, L"Abbrechen", plat::kButtonToggle));
    engine::Blinking = 1;
    ui::StartBlinkThreads({kLabel, kButton});
    EXPECT_EQ(ui::BlinkThreadsRunning(), 2);
    ASSERT_TRUE(WaitFor([] { return plat::GetGadgetFont(kButton) == kBold && Bold(); }));
    Stop();
    EXPECT_EQ(ui::BlinkThreadsRunning(), 0);
    EXPECT_EQ(plat::GetGadgetFont(kButton), kNormal);
    EXPECT_EQ(plat::GetGadgetColor(kButton), plat::kColorDefault);
}

}  // namespace
