// "Ausnahmen suchen" in the running program: the status strip, the locked
// controls, "Abbrechen" and the close box stopping the walk with what it
// found, and the exclusion editor showing the result.
#include <gtest/gtest.h>

#include <string>

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "engine/run_state.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "ui/job_list.h"
#include "ui/menu.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace {

struct ExcludeSearchWindow : ui_testing::UiFixture {
    std::wstring src;
    int32_t sid = 0;
    void SetUp() override {
        UiFixture::SetUp();
        dialogs::ResetExcludeSearch();
        StartOk();
        // Two caches in two branches, one entry per level below the top, so
        // a cancel at the first chance finds exactly one of them.
        tree.Write(L"src\\a\\b\\Cache\\c.bin", "c");
        tree.Write(L"src\\z\\Cache\\d.bin", "d");
        src = tree.Path(L"src\\");
        sid = testing_support::AddJob(src, tree.Path(L"dst")).Sid;
        ui::V().CurrentSid = sid;
        ui::RefreshJobList();
        core::S().ExcludePaths.Clear();
        core::S().ExcludePaths.Append(L"\\CACHE\\");
    }
    size_t Found() const {
        size_t n = 0;
        for (const core::Exclude& e : core::S().Excludes.items) n += e.Sid == sid;
        return n;
    }
    void ExpectIdleStrip() const {
        EXPECT_EQ(engine::R().CancelRequested, 0);
        EXPECT_EQ(plat::GetGadgetState(ui::CancelButton), 0);
        EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");
        EXPECT_EQ(plat::GetGadgetText(ui::ProgressCount), L"");
        EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
        EXPECT_TRUE(plat::GetGadgetEnabled(ui::JobListView));
        EXPECT_TRUE(plat::GetMenuItemEnabled(ui::MainWindow, ui::ItemSearchExcludes));
    }
};

TEST_F(ExcludeSearchWindow, TheResultAppearsInTheExclusionEditor) {
    dialogs::SearchExcludes();
    EXPECT_EQ(Found(), 2u);
    const std::wstring up = plat::ToUpper(src);
    EXPECT_EQ(plat::GetGadgetText(ui::ExclusionEditor), up + L"A\\B\\CACHE\\\r\n" + up + L"Z\\CACHE\\");
    ExpectIdleStrip();
}

TEST_F(ExcludeSearchWindow, AbbrechenStopsTheWalkAndKeepsWhatWasFound) {
    plat::UserClick(ui::CancelButton);
    dialogs::SearchExcludes();
    EXPECT_EQ(Found(), 1u);
    EXPECT_EQ(plat::PendingUserActions(), 0u);
    ExpectIdleStrip();
    EXPECT_NE(plat::GetGadgetText(ui::ExclusionEditor), L"");
}

TEST_F(ExcludeSearchWindow, TheCloseBoxStopsTheWalkButNotTheProgram) {
    plat::UserCloseWindow(ui::MainWindow);
    dialogs::SearchExcludes();
    EXPECT_EQ(Found(), 1u);
    EXPECT_TRUE(plat::WindowExists(ui::MainWindow));
    ExpectIdleStrip();
}

TEST_F(ExcludeSearchWindow, TheJobControlsTakeNoInputWhileItRuns) {
    const size_t droppedBefore = plat::DroppedUserActions();
    plat::UserClick(ui::StartButton);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemDeleteJob);
    plat::UserClick(ui::CancelButton);
    dialogs::SearchExcludes();
    EXPECT_EQ(plat::DroppedUserActions(), droppedBefore + 2);
    EXPECT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(Found(), 1u);  // "Abbrechen" still worked
}

}  // namespace
