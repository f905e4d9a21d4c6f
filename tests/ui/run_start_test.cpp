// Windows stays awake from the start of every run the window starts to the
// end of its end countdown, and may sleep again afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/countdown.h"
#include "engine/display.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/power.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/menu.h"
#include "ui/widgets.h"

namespace {

using ui_testing::IniText;

constexpr uint32_t kHeld = plat::kAwakeContinuous | plat::kAwakeSystemRequired;

// Each status line the window showed, with the awake state at that moment.
struct Shown {
    std::wstring text;
    uint32_t awake;
};
std::vector<Shown> g_shown;
void (*g_showStatus)(const std::wstring&) = nullptr;

void RecordStatus(const std::wstring& text) {
    g_shown.push_back({text, plat::AwakeStateForTest()});
    g_showStatus(text);
}

enum class How { TimedStart, StartButton, Menu };

struct RunStart : ui_testing::UiFixture, testing::WithParamInterface<How> {
    void StartWithJob(const std::vector<std::wstring>& args) {
        tree.Write(L"src\\a.txt", "hello");
        tree.Mkdir(L"dst");
        WriteIni(IniText("GBupBeiStartVerz = 2\n", "",
                         "1 = 77|" + plat::WideToUtf8(tree.Path(L"src\\")) + "|" +
                             plat::WideToUtf8(tree.Path(L"dst\\")) + "|1|0|0|0|0|0\n"));
        StartOk(args);
        engine::Display display = engine::CurrentDisplay();
        g_showStatus = display.statusLine;
        display.statusLine = RecordStatus;
        engine::SetDisplay(display);
        g_shown.clear();
    }
};

TEST_P(RunStart, HoldsWindowsAwakeFromTheRunsStartToTheEndOfItsCountdown) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    switch (GetParam()) {
        case How::TimedStart:
            StartWithJob({L"/S2"});
            break;
        case How::StartButton:
            StartWithJob({});
            plat::UserClick(ui::StartButton);
            break;
        case How::Menu:
            StartWithJob({});
            plat::AnswerNextMessageBox(plat::MsgAnswer::Yes);
            plat::UserChooseMenu(ui::MainWindow, ui::ItemStartIgnoreInterval);
            break;
    }
    for (int i = 0; i < 6 && !tree.Exists(L"dst\\a.txt"); ++i) ui::EventLoopPass();
    ASSERT_EQ(tree.Read(L"dst\\a.txt"), "hello");
    size_t first = 0;
    while (first < g_shown.size() && g_shown[first].text != L"Kopieren gestartet") ++first;
    ASSERT_LT(first, g_shown.size());
    for (size_t i = 0; i < g_shown.size(); ++i)
        EXPECT_EQ(g_shown[i].awake == kHeld, i >= first) << i << " " << plat::WideToUtf8(g_shown[i].text);
    if (GetParam() == How::TimedStart) {
        // The start countdown's "1" came before the run, not held; "/S2":
        // the program-end countdown ran to its end, still held.
        EXPECT_GT(first, 0u);
        EXPECT_EQ(engine::Countdown().QuitRequested, 1);
        EXPECT_EQ(g_shown.back().text, L"Programm wird beendet (stoppen mit 'Abbrechen'): 0");
    }
    EXPECT_EQ(plat::AwakeStateForTest(), plat::kAwakeContinuous);
}

INSTANTIATE_TEST_SUITE_P(Window, RunStart, testing::Values(How::TimedStart, How::StartButton, How::Menu));

}  // namespace
