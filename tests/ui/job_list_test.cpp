// The job list, the exclusion editor and the marks of the file list.
#include <gtest/gtest.h>

#include "core/state.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/text.h"
#include "tests/ui/ui_fixture.h"
#include "ui/job_list.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace {

using ui_testing::RunPendingEvents;
using ui_testing::UiFixture;

core::Job MakeJob(int32_t sid, const std::wstring& src, int8_t flags = core::kFlagSelected) {
    core::Job job;
    job.Sid = sid;
    job.Src = src;
    job.Dest = L"E:\\B\\";
    job.Flags = flags;
    return job;
}

struct JobList : UiFixture {
    std::wstring src;  // the first job's source, a real folder
    void SetUp() override {
        UiFixture::SetUp();
        StartOk();
        tree.Mkdir(L"src\\TEMP");
        // Lower-case folders: browsing shows paths in lower case, and the host
        // file system, unlike Windows, minds the case.
        tree.Mkdir(L"src\\a\\b");
        tree.Write(L"src\\TEMPFILE.TXT", "x");
        src = tree.Path(L"src\\");
        core::State& s = core::S();
        core::Job first = MakeJob(11, src);
        first.ArcInterval = 7;
        first.ArcVersions = 3;
        core::Job second = MakeJob(22, L"D:\\Zwei\\", core::kFlagOptional);
        second.ArcVersions = 0;
        core::Job third = MakeJob(33, L"D:\\Drei\\");
        third.ArcVersions = -1;
        third.BupInterval = 5;
        s.Jobs.Append(first);
        s.Jobs.Append(second);
        s.Jobs.Append(third);
        ui::RefreshJobList();
        RunPendingEvents();
    }
    std::wstring Mark(const std::wstring& name) {
        for (int r = 0; r < plat::GetListRowCount(ui::FileList); ++r)
            if (plat::GetDirListName(ui::FileList, r) == name) return plat::GetListCell(ui::FileList, r, 1);
        return L"<missing>";
    }
    int Row(const std::wstring& name) {
        for (int r = 0; r < plat::GetListRowCount(ui::FileList); ++r)
            if (plat::GetDirListName(ui::FileList, r) == name) return r;
        return -1;
    }
};

TEST_F(JobList, RowsShowTheJobsInOrderWithTheirColumns) {
    ASSERT_EQ(plat::GetListRowCount(ui::JobListView), 3);
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 0, 2), L"7-3");
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 1, 2), L"Nein");
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 2, 2), L"0--1");
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 1, 3), L"Ja");
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 2, 3), L"Nein");
    EXPECT_EQ(plat::GetListCell(ui::JobListView, 2, 4), L"5");
    EXPECT_EQ(plat::GetListRowData(ui::JobListView, 1), 22);
    EXPECT_TRUE(plat::GetListRowChecked(ui::JobListView, 0));
    EXPECT_FALSE(plat::GetListRowChecked(ui::JobListView, 1));
    EXPECT_EQ(ui::V().CurrentSid, 11);
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 0);
    EXPECT_EQ(plat::GetGadgetText(ui::PathField), src);
}

TEST_F(JobList, TicksAndSelectionGoIntoTheJobsAtOnce) {
    plat::UserTickRow(ui::JobListView, 0);
    plat::UserClickRow(ui::JobListView, 2);
    RunPendingEvents();
    const auto& jobs = core::S().Jobs.items;
    EXPECT_FALSE(jobs[0].Flags & core::kFlagSelected);
    EXPECT_TRUE(jobs[1].Flags & core::kFlagOptional);  // never touched
    EXPECT_EQ(ui::V().CurrentSid, 33);
    EXPECT_EQ(ui::V().CurrentPath, L"D:\\Drei\\");
}

TEST_F(JobList, RefreshFindsTheFirstRowWhenTheCurrentJobIsGone) {
    ui::V().CurrentSid = 22;
    ui::RefreshJobList();
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 1);
    core::S().Jobs.items.erase(core::S().Jobs.items.begin() + 1);
    ui::RefreshJobList();
    EXPECT_EQ(ui::V().CurrentSid, 11);
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 0);
    core::S().Jobs.Clear();
    ui::RefreshJobList();
    EXPECT_EQ(ui::V().CurrentSid, 0);
    EXPECT_EQ(ui::V().CurrentPath, L"");
}

TEST_F(JobList, RightClickTogglesAnExclusionMatchedAsText) {
    plat::UserClickRow(ui::FileList, Row(L"TEMP"), plat::EventType::RightClick);
    RunPendingEvents();
    const std::wstring temp = plat::ToUpper(src) + L"TEMP";
    ASSERT_EQ(core::S().Excludes.Size(), 1u);
    EXPECT_EQ(core::S().Excludes.items[0].Path, temp);
    EXPECT_EQ(Mark(L"TEMP"), L"XXXX");
    EXPECT_EQ(Mark(L"TEMPFILE.TXT"), L"XXXX");  // exclusions match as text
    EXPECT_EQ(Mark(L"a"), L"");
    EXPECT_EQ(plat::GetGadgetText(ui::ExclusionEditor), temp);
    plat::UserClickRow(ui::FileList, Row(L"TEMP"), plat::EventType::RightClick);
    RunPendingEvents();
    EXPECT_TRUE(core::S().Excludes.Empty());
    EXPECT_EQ(Mark(L"TEMP"), L"");
}

// The column titles sort the entries; the marks belong to the entries,
// whatever order the user chose.
TEST_F(JobList, SortingTheFileListKeepsTheMarksWithTheirEntries) {
    tree.Write(L"src\\zz.log", std::string(5000, 'x'));
    core::S().Excludes.Append({11, plat::ToUpper(src) + L"A\\B"});
    core::S().Excludes.Append({11, plat::ToUpper(src) + L"ZZ.LOG"});
    ui::RefreshJobList();
    RunPendingEvents();
    auto marks = [&] {
        std::wstring all;
        for (int r = 0; r < plat::GetListRowCount(ui::FileList); ++r)
            all += plat::GetDirListName(ui::FileList, r) + L"=" + plat::GetListCell(ui::FileList, r, 1) + L" ";
        return all;
    };
    EXPECT_EQ(marks(), L"a=oooo TEMP= TEMPFILE.TXT= zz.log=XXXX ");
    const int columns = plat::GetListColumnCount(ui::FileList);
    ASSERT_EQ(columns, 5);
    for (int column = 0; column < columns; ++column) {
        for (int click = 0; click < 2; ++click) {
            plat::UserClickColumnTitle(ui::FileList, column);
            RunPendingEvents();
            EXPECT_EQ(Mark(L"a"), L"oooo") << column << " " << click;
            EXPECT_EQ(Mark(L"zz.log"), L"XXXX") << column << " " << click;
            EXPECT_EQ(Mark(L"TEMP"), L"") << column << " " << click;
            EXPECT_EQ(Mark(L"TEMPFILE.TXT"), L"") << column << " " << click;
        }
    }
    // Size, second click: descending, the larger file first.
    plat::UserClickColumnTitle(ui::FileList, 2);
    plat::UserClickColumnTitle(ui::FileList, 2);
    RunPendingEvents();
    EXPECT_LT(Row(L"zz.log"), Row(L"TEMPFILE.TXT"));
    EXPECT_EQ(Row(L"a"), 0);  // folders stay first
}

// The marks column is the program's own: its title is no sort key, in the
// real list view as in the model.
TEST_F(JobList, TheMarksColumnTitleDoesNotSort) {
    tree.Write(L"src\\zz.log", std::string(5000, 'x'));
    ui::RefreshJobList();
    RunPendingEvents();
    plat::UserClickColumnTitle(ui::FileList, 2);
    plat::UserClickColumnTitle(ui::FileList, 2);  // size, descending
    RunPendingEvents();
    auto names = [] {
        std::wstring all;
        for (int r = 0; r < plat::GetListRowCount(ui::FileList); ++r)
            all += plat::GetDirListName(ui::FileList, r) + L"|";
        return all;
    };
    const std::wstring before = names();
    for (int click = 0; click < 2; ++click) {
        plat::UserClickColumnTitle(ui::FileList, 1);
        RunPendingEvents();
        EXPECT_EQ(names(), before) << click;
    }
}

TEST_F(JobList, TrailingBackslashExclusionIsNotRemovedByARightClick) {
    core::S().Excludes.Append({11, plat::ToUpper(src) + L"TEMP\\"});
    plat::UserClickRow(ui::FileList, Row(L"TEMP"), plat::EventType::RightClick);
    RunPendingEvents();
    ASSERT_EQ(core::S().Excludes.Size(), 2u);
    EXPECT_EQ(core::S().Excludes.items[0].Path, plat::ToUpper(src) + L"TEMP");
}

TEST_F(JobList, FolderAboveAnExclusionIsMarkedAndExcludedFoldersCannotBeEntered) {
    core::S().Excludes.Append({11, plat::ToUpper(src) + L"A\\B\\"});
    core::S().Excludes.Append({22, plat::ToUpper(src) + L"TEMP"});  // another job's
    ui::RefreshExclusionMarks(true);
    EXPECT_EQ(Mark(L"a"), L"oooo");
    EXPECT_EQ(Mark(L"TEMP"), L"");
    plat::UserClickRow(ui::FileList, Row(L"a"), plat::EventType::LeftDoubleClick);
    RunPendingEvents();
    EXPECT_EQ(plat::GetGadgetText(ui::PathField), plat::ToLower(src + L"a\\"));
    EXPECT_EQ(Mark(L"b"), L"XXXX");
    plat::UserClickRow(ui::FileList, Row(L"b"), plat::EventType::LeftDoubleClick);
    RunPendingEvents();
    EXPECT_EQ(plat::GetGadgetText(ui::PathField), plat::ToLower(src + L"a\\"));
}

TEST_F(JobList, PathFieldStaysInsideTheSource) {
    plat::UserType(ui::PathField, tree.root);  // above the source
    RunPendingEvents();
    EXPECT_EQ(plat::GetGadgetText(ui::PathField), plat::ToLower(src));
    plat::UserType(ui::PathField, src + L"a");
    RunPendingEvents();
    EXPECT_EQ(plat::GetGadgetText(ui::FileList), plat::ToLower(src + L"a\\"));
}

TEST_F(JobList, EditorLinesBecomeUpperCaseExclusionsAndMarksFollowAtOnce) {
    const std::wstring typed = plat::ToLower(src) + L"temp\r\n\r\n" + plat::ToLower(src) + L"a\\b";
    plat::UserType(ui::ExclusionEditor, typed);
    RunPendingEvents();
    const auto& ex = core::S().Excludes.items;
    ASSERT_EQ(ex.size(), 2u);  // the empty line makes none
    EXPECT_EQ(ex[0].Path, plat::ToUpper(src) + L"TEMP");
    EXPECT_EQ(ex[1].Sid, 11);
    EXPECT_EQ(Mark(L"TEMP"), L"XXXX");
    EXPECT_EQ(Mark(L"a"), L"oooo");
    EXPECT_EQ(plat::GetGadgetText(ui::ExclusionEditor), typed);  // kept as typed
}

TEST_F(JobList, LockCoversTheSixWidgetsAndEveryMenuItem) {
    ui::RunControlsLocked(true);
    for (int w :
         {ui::StartButton, ui::ClearLogsButton, ui::JobListView, ui::ExclusionEditor, ui::PathField, ui::FileList})
        EXPECT_FALSE(plat::GetGadgetEnabled(w)) << w;
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::CancelButton));
    int items = 0;
    for (const auto& e : plat::MenuEntriesForTest(ui::MainWindow)) {
        if (e.isMenu || e.rule) continue;
        ++items;
        EXPECT_FALSE(e.enabled) << e.id;
    }
    EXPECT_EQ(items, 17);
    ui::RunControlsLocked(false);
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::FileList));
}

}  // namespace
