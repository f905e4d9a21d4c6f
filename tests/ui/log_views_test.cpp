// The log views follow their channels, and what the user types into a view
// is part of that log.
#include <gtest/gtest.h>

#include "log/channels.h"
#include "log/log_files.h"
#include "log/log_viewer.h"
#include "platform/clock.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/event_loop.h"
#include "ui/log_views.h"
#include "ui/widgets.h"
#include "ui/window_events.h"

namespace {

using ui_testing::RunPendingEvents;
using ui_testing::UiFixture;

struct LogViews : UiFixture {
    void SetUp() override {
        UiFixture::SetUp();
        StartOk();
    }
};

TEST_F(LogViews, NewEntriesAppearAtTheTopInBatches) {
    logs::AddLog(L"erste", 0);
    ui::FlushLogViews(true);
    logs::AddLog(L"zweite", 0);
    logs::AddLog(L"Fehler eins", 1);
    ui::FlushLogViews(false);  // within 250 ms of the last: not yet
    EXPECT_EQ(plat::GetGadgetText(ui::MessageLogView), L"erste\r\n");
    plat::AdvanceFakeClock(300);
    ui::DrainWindowEvents();
    EXPECT_EQ(plat::GetGadgetText(ui::MessageLogView), L"zweite\r\nerste\r\n");
    EXPECT_EQ(plat::GetGadgetText(ui::ErrorLogView), L"Fehler eins\r\n");
    EXPECT_EQ(plat::GetGadgetText(ui::HintLogView), L"");
}

TEST_F(LogViews, TypedTextBecomesTheLogWithNewerEntriesKeptOnTop) {
    logs::AddLog(L"alt", 2);
    ui::FlushLogViews(true);
    logs::AddLog(L"neu", 2);  // not yet shown when the user types
    plat::UserSelectTab(ui::MainTabs, ui::kTabHints);
    plat::UserType(ui::HintLogView, L"alt - geprüft\r\n");
    RunPendingEvents();
    EXPECT_EQ(logs::ChannelText(2), L"neu\r\nalt - geprüft\r\n");
    EXPECT_EQ(plat::GetGadgetText(ui::HintLogView), L"neu\r\nalt - geprüft\r\n");
    logs::SaveLogs();
    const std::string file = tree.Read(L"AppData\\TresoroData\\" + logs::LogFileName(2, logs::CurrentMonth()));
    EXPECT_NE(file.find("alt - gepr\xC3\xBC"
                        "ft"),
              std::string::npos);
}

TEST_F(LogViews, ClearLogsEmptiesAllThreeViews) {
    logs::AddLog(L"m", 0);
    logs::AddLog(L"f", 1);
    logs::AddLog(L"h", 2);
    ui::FlushLogViews(true);
    plat::UserSelectTab(ui::MainTabs, ui::kTabMessages);
    plat::UserClick(ui::ClearLogsButton);
    RunPendingEvents();
    ui::FlushLogViews(true);
    for (int view : {ui::MessageLogView, ui::ErrorLogView, ui::HintLogView})
        EXPECT_EQ(plat::GetGadgetText(view), L"") << view;
}

using LogLoad = UiFixture;

TEST_F(LogLoad, StartUpShowsTheMonthsFiles) {
    tree.Write(L"AppData\\TresoroData\\" + logs::LogFileName(0, logs::CurrentMonth()), "\xEF\xBB\xBFzwei\r\neins\r\n");
    StartOk();
    ui::FlushLogViews(true);
    EXPECT_EQ(plat::GetGadgetText(ui::MessageLogView), L"zwei\r\neins\r\n");
}

}  // namespace
