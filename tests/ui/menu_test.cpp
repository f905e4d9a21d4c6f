// The menu bar and the job-list commands.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/state.h"
#include "dialogs/restore.h"
#include "engine/countdown.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/ui/ui_fixture.h"
#include "ui/job_list.h"
#include "ui/menu.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

namespace {

using ui_testing::RunPendingEvents;
using ui_testing::UiFixture;

struct Menu : UiFixture {
    void SetUp() override {
        UiFixture::SetUp();
        StartOk();
    }
    void AddJobs(int n) {
        for (int i = 1; i <= n; ++i) {
            core::Job job;
            job.Sid = i;
            job.Src = L"C:\\Quelle" + std::to_wstring(i) + L"\\";
            job.Dest = L"E:\\Ziel" + std::to_wstring(i) + L"\\";
            core::S().Jobs.Append(job);
            core::S().Excludes.Append({i, L"C:\\QUELLE" + std::to_wstring(i) + L"\\TMP"});
            core::S().ArcIndiv.Append({i, L"E:\\X\\", 1, 1, 0});
        }
        ui::RefreshJobList();
        RunPendingEvents();
    }
    std::vector<int32_t> Sids() {
        std::vector<int32_t> out;
        for (const auto& j : core::S().Jobs.items) out.push_back(j.Sid);
        return out;
    }
};

TEST_F(Menu, FourMenusSeventeenItemsRulesAndTheAutoTick) {
    std::vector<std::wstring> menus, items;
    int rules = 0;
    for (const auto& e : plat::MenuEntriesForTest(ui::MainWindow)) {
        if (e.isMenu)
            menus.push_back(e.text);
        else if (e.rule)
            ++rules;
        else
            items.push_back(e.text);
    }
    EXPECT_EQ(menus, (std::vector<std::wstring>{L"Datei", L"Bearbeiten", L"Backup", L"?"}));
    ASSERT_EQ(items.size(), 17u);
    EXPECT_EQ(items[5], L"Job hinzufügen\tIns");
    EXPECT_EQ(items[10], L"Start - Intervall ignorieren");
    EXPECT_EQ(items[11], L"Prüfen (Inhalt vergleichen)");
    EXPECT_EQ(items[16], L"Über");
    EXPECT_EQ(rules, 4);
    EXPECT_FALSE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));  // GStdAuto = 0
    plat::UserChooseMenu(ui::MainWindow, ui::ItemStandardAuto);
    RunPendingEvents();
    EXPECT_TRUE(plat::GetMenuItemChecked(ui::MainWindow, ui::ItemStandardAuto));
    EXPECT_EQ(core::S().settings.GStdAuto, 1);
}

TEST_F(Menu, InsertAddsAJobAfterTheCurrentOneFromItsParents) {
    AddJobs(2);
    core::S().Jobs.items[0].Src = L"C:\\Users\\Me\\Documents\\";
    core::S().Jobs.items[0].Dest = L"E:\\Backup\\Documents\\";
    core::S().Jobs.items[0].ArcInterval = 7;
    core::S().Jobs.items[0].ArcVersions = 3;
    plat::UserPressKey(ui::MainWindow, plat::kKeyInsert);
    plat::UserCloseWindow(ui::kJobEditorIds);  // the editor opens on the new job
    RunPendingEvents();
    ASSERT_EQ(core::S().Jobs.Size(), 3u);
    const core::Job& added = core::S().Jobs.items[1];
    EXPECT_EQ(added.Src, L"C:\\Users\\Me\\");
    EXPECT_EQ(added.Dest, L"E:\\Backup\\");
    EXPECT_EQ(added.ArcInterval, 7);
    EXPECT_EQ(added.ArcVersions, 3);
    EXPECT_EQ(added.Flags, core::kFlagSelected);
    EXPECT_EQ(added.BupInterval, 0);
    EXPECT_EQ(ui::V().CurrentSid, added.Sid);
}

TEST_F(Menu, InsertAfterTheLastJobAppendsAndIntoAnEmptyListMakesTheOnlyJob) {
    AddJobs(2);
    plat::UserClickRow(ui::JobListView, 1);
    plat::UserPressKey(ui::MainWindow, plat::kKeyInsert);
    plat::UserCloseWindow(ui::kJobEditorIds);
    RunPendingEvents();
    ASSERT_EQ(core::S().Jobs.Size(), 3u);
    EXPECT_EQ(core::S().Jobs.items[2].Src, L"C:\\");  // the parent of the last job's source
    EXPECT_EQ(ui::V().CurrentSid, core::S().Jobs.items[2].Sid);
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 2);

    core::S().Jobs.Clear();
    ui::RefreshJobList();
    RunPendingEvents();
    plat::UserPressKey(ui::MainWindow, plat::kKeyInsert);
    plat::UserCloseWindow(ui::kJobEditorIds);
    RunPendingEvents();
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    const core::Job& only = core::S().Jobs.items[0];
    EXPECT_EQ(only.Src, L"");
    EXPECT_EQ(only.ArcInterval, 7);
    EXPECT_EQ(only.ArcVersions, 3);
    EXPECT_EQ(ui::V().CurrentSid, only.Sid);
}

TEST_F(Menu, DeleteOnlyWithTheFocusInTheListAndAfterYes) {
    AddJobs(5);
    plat::UserClickRow(ui::JobListView, 2);
    plat::UserFocus(ui::PathField);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDelete);
    RunPendingEvents();
    EXPECT_EQ(core::S().Jobs.Size(), 5u);
    plat::UserFocus(ui::JobListView);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDelete);  // answered No
    RunPendingEvents();
    EXPECT_EQ(core::S().Jobs.Size(), 5u);
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text,
              L"Dieser Job wird gelöscht!\r\n\r\nC:\\Quelle3\\\r\n-> E:\\Ziel3\\\r\n\r\nSind Sie sicher?");
    plat::AnswerNextMessageBox(plat::MsgAnswer::Yes);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDelete);
    RunPendingEvents();
    EXPECT_EQ(Sids(), (std::vector<int32_t>{1, 2, 4, 5}));
    EXPECT_EQ(ui::V().CurrentSid, 2);  // the one before
    for (const auto& e : core::S().Excludes.items) EXPECT_NE(e.Sid, 3);
    for (const auto& a : core::S().ArcIndiv.items) EXPECT_NE(a.Sid, 3);
    // Deleting the first makes the new first one current.
    plat::UserClickRow(ui::JobListView, 0);
    plat::AnswerNextMessageBox(plat::MsgAnswer::Yes);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDelete);
    RunPendingEvents();
    EXPECT_EQ(Sids(), (std::vector<int32_t>{2, 4, 5}));
    EXPECT_EQ(ui::V().CurrentSid, 2);
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 0);
}

// Ins and Del edit the text with the focus (the exclusion editor, the path
// field, a log view): neither a new job nor the delete question comes.
TEST_F(Menu, InsAndDelStayInTheTextFields) {
    AddJobs(2);
    const std::pair<int, int> fields[] = {{ui::ExclusionEditor, ui::kTabSelection},
                                          {ui::PathField, ui::kTabSelection},
                                          {ui::MessageLogView, ui::kTabMessages},
                                          {ui::ErrorLogView, ui::kTabErrors}};
    for (const auto& [field, tab] : fields) {
        SCOPED_TRACE(field);
        plat::UserSelectTab(ui::MainTabs, tab);
        plat::UserFocus(field);
        plat::UserPressKey(ui::MainWindow, plat::kKeyInsert);
        plat::UserPressKey(ui::MainWindow, plat::kKeyDelete);
        RunPendingEvents();
        EXPECT_EQ(plat::DroppedUserActions(), 0u);
        EXPECT_EQ(core::S().Jobs.Size(), 2u);
        EXPECT_FALSE(plat::WindowExists(ui::kJobEditorIds));
        EXPECT_TRUE(plat::ShownDialogsForTest().empty());
    }
    // With Ctrl the shortcuts are the window's from a field too.
    plat::UserSelectTab(ui::MainTabs, ui::kTabSelection);
    plat::UserFocus(ui::PathField);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDown, plat::kModCtrl);
    RunPendingEvents();
    EXPECT_EQ(Sids(), (std::vector<int32_t>{2, 1}));
}

TEST_F(Menu, MovesStopAtTheEnds) {
    AddJobs(3);
    plat::UserPressKey(ui::MainWindow, plat::kKeyUp, plat::kModCtrl);
    RunPendingEvents();
    EXPECT_EQ(Sids(), (std::vector<int32_t>{1, 2, 3}));
    plat::UserPressKey(ui::MainWindow, plat::kKeyDown, plat::kModCtrl);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDown, plat::kModCtrl);
    plat::UserPressKey(ui::MainWindow, plat::kKeyDown, plat::kModCtrl);
    RunPendingEvents();
    EXPECT_EQ(Sids(), (std::vector<int32_t>{2, 3, 1}));
    EXPECT_EQ(plat::GetListCurrentRow(ui::JobListView), 2);
    EXPECT_EQ(ui::V().CurrentSid, 1);
}

// A job over real folders: a file in the source, the destination there.
core::Job RealJob(const testing_support::TempTree& tree, int32_t sid, const std::wstring& dest) {
    tree.Write(L"src\\a.txt", "neu");
    EXPECT_TRUE(plat::SetModified(tree.Path(L"src\\a.txt"), 1600000000));
    tree.Mkdir(dest);
    core::Job job;
    job.Sid = sid;
    job.Src = tree.Path(L"src\\");
    job.Dest = tree.Path(dest + L"\\");
    job.Flags = core::kFlagSelected;
    job.ArcInterval = 7;
    job.ArcVersions = 3;
    // Not due: a week's interval, run a moment ago.
    job.BupInterval = 7;
    job.LastBup = static_cast<int32_t>(plat::Now());
    return job;
}

size_t RunsOpenedInTheLog() {
    size_t runs = 0;
    for (const std::wstring& line : logs::ChannelLines(logs::kChannelMessages)) runs += line == logs::kSeparatorLine;
    return runs;
}

TEST_F(Menu, StartQuestionsAnsweredNoStartNothing) {
    core::S().Jobs.Append(RealJob(tree, 1, L"dst"));
    ui::RefreshJobList();
    RunPendingEvents();
    for (int item : {ui::ItemStartIgnoreInterval, ui::ItemItJobManual, ui::ItemItJobForced, ui::ItemVerify}) {
        plat::UserChooseMenu(ui::MainWindow, item);  // unanswered boxes say No
        RunPendingEvents();
    }
    EXPECT_FALSE(tree.Exists(L"dst\\a.txt"));
    EXPECT_EQ(RunsOpenedInTheLog(), 0u);
    EXPECT_EQ(plat::GetGadgetText(ui::StatusLine), L"");  // as start-up left it, no result of a run
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, static_cast<int32_t>(plat::Now()));
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1].buttons, plat::MsgButtons::YesNo);
    EXPECT_EQ(shown[3].buttons, plat::MsgButtons::YesNo);
    EXPECT_EQ(shown[2].text.substr(0, 96),
              L"Die Daten werden gem. Job kopiert, aber es wird kein Archiv und kein @-Verzeichnis erstellt!\r\n\r\n");
    // "Wiederherstellen" opens its window, which only reads; closed, it
    // leaves nothing behind.
    plat::UserChooseMenu(ui::MainWindow, ui::ItemRestore);
    plat::UserCloseWindow(dialogs::RestoreWindow);
    RunPendingEvents();
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
    EXPECT_FALSE(plat::WindowExists(dialogs::RestoreWindow));
    EXPECT_EQ(plat::ShownDialogsForTest().size(), 4u);
    EXPECT_EQ(RunsOpenedInTheLog(), 0u);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemQuit);
    RunPendingEvents();
    EXPECT_EQ(engine::Countdown().QuitRequested, 1);
}

// Yes runs the job although it is not due, in the mode of the question:
// normally with the configuration copy in "@", as an IT job without "@",
// forced over a newer file of the destination.
TEST_F(Menu, StartQuestionsAnsweredYesRunInTheirModes) {
    const std::pair<int, const wchar_t*> cases[] = {
        {ui::ItemStartIgnoreInterval, L"normal"}, {ui::ItemItJobManual, L"manuell"}, {ui::ItemItJobForced, L"force"}};
    for (const auto& [item, dest] : cases) {
        SCOPED_TRACE(dest);
        core::S().Jobs.Clear();
        core::S().Jobs.Append(RealJob(tree, 1, dest));
        // Newer than the source: only the forced copy replaces it.
        tree.Write(std::wstring(dest) + L"\\a.txt", "alt");
        EXPECT_TRUE(plat::SetModified(tree.Path(std::wstring(dest) + L"\\a.txt"), 1650000000));
        ui::RefreshJobList();
        RunPendingEvents();
        const size_t runsBefore = RunsOpenedInTheLog();
        plat::AnswerNextMessageBox(plat::MsgAnswer::Yes);
        plat::UserChooseMenu(ui::MainWindow, item);
        RunPendingEvents();
        const bool forced = item == ui::ItemItJobForced, normal = item == ui::ItemStartIgnoreInterval;
        EXPECT_EQ(tree.Read(std::wstring(dest) + L"\\a.txt"), forced ? "neu" : "alt");
        EXPECT_EQ(tree.Exists(std::wstring(dest) + L"\\@\\Tresoro.ini"), normal);
        EXPECT_GT(RunsOpenedInTheLog(), runsBefore);
        EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
    }
}

// "Prüfen" answered Yes runs the job although it is not due, and the mirror
// copy whose size and date match but whose content differs goes into "@"
// and is copied anew; the closing lines count what was compared.
TEST_F(Menu, VerifyAnsweredYesFindsWhatTheDateRuleMissesAndRepairsIt) {
    core::S().Jobs.Append(RealJob(tree, 1, L"dst"));
    tree.Write(L"dst\\a.txt", "alt");
    EXPECT_TRUE(plat::SetModified(tree.Path(L"dst\\a.txt"), 1600000000));
    ui::RefreshJobList();
    RunPendingEvents();
    plat::AnswerNextMessageBox(plat::MsgAnswer::Yes);
    plat::UserChooseMenu(ui::MainWindow, ui::ItemVerify);
    RunPendingEvents();
    EXPECT_NE(plat::ShownDialogsForTest().back().text.find(L"Byte für Byte mit ihrer Quelle verglichen"),
              std::wstring::npos);
    EXPECT_EQ(tree.Read(L"dst\\a.txt"), "neu");
    EXPECT_EQ(tree.Read(L"dst\\@\\a.txt"), "alt");
    const std::vector<std::wstring> lines = logs::ChannelLines(logs::kChannelMessages);
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Geprüft: 1 Dateien (0 MB), abweichend: 1"), lines.end());
    EXPECT_TRUE(plat::GetGadgetEnabled(ui::StartButton));
}

}  // namespace
