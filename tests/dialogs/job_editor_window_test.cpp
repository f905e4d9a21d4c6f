// The job editor driven as a user would: opening on the current job,
// picking directories with the chooser, the archive exceptions, "OK",
// "Abbrechen" and the close box, and what is written afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/state.h"
#include "dialogs/job_editor.h"
#include "dialogs/path_chooser_window.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"
#include "ui/view_state.h"
#include "ui/widgets.h"

using namespace dialogs;

namespace {

constexpr int32_t kSid = 1234567;

const wchar_t* const kOutsideHint = L"Hinweis: Es existieren Archiv-Ausnahmen, welche nicht im Ziel enthalten sind...";

struct JobEditorWindow : testing::Test {
    testing_support::TempTree tree;
    std::wstring ini;

    void SetUp() override {
        if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
        tree.Mkdir(L"Backup\\Alpha");
        tree.Mkdir(L"Backup\\Beta");
        tree.Mkdir(L"cfg");
        ASSERT_TRUE(plat::MapDrive(L"E:", testing_support::HostPathOf(tree.root)));
        ini = tree.Path(L"cfg\\Tresoro.ini");
        core::S().paths.IniFile = ini;
        core::Job job;
        job.Sid = kSid;
        job.Src = L"C:\\Daten\\";
        job.Dest = L"E:\\Backup\\";
        job.Flags = core::kFlagSelected;
        job.ArcInterval = 7;
        job.ArcVersions = 3;
        job.EntryCount = 99;
        core::S().Jobs.Append(job);
        ui::V().CurrentSid = kSid;
    }

    void TearDown() override { ui::ResetViewState(); }

    static core::Job& Job() { return core::S().Jobs.items.front(); }

    static core::ArcIndivEntry Exception(const std::wstring& path, int32_t interval, int32_t versions,
                                         int8_t recursive) {
        core::ArcIndivEntry e;
        e.Sid = kSid;
        e.Path = path;
        e.Interval = interval;
        e.Versions = versions;
        e.Recursive = recursive;
        return e;
    }

    static std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> texts;
        for (const plat::ShownDialog& d : plat::ShownDialogsForTest()) {
            if (d.kind != plat::DialogKind::MessageBox) continue;
            EXPECT_EQ(d.caption, L"Tresoro Meldung");
            texts.push_back(d.text);
        }
        return texts;
    }

    // Hands the editor every pending event, as its loop would; true once
    // it is done.
    static bool Pump() {
        bool done = false;
        plat::GuiEvent event;
        while (plat::PollEvent(event)) done = JobEditorEvent(event, kSid) || done;
        return done;
    }

    static std::vector<std::wstring> ListRow(int row) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < 4; ++c) cells.push_back(plat::GetListCell(EditorExceptionList, row, c));
        return cells;
    }

    bool ConfigWritten() const { return plat::FileExists(ini); }
    std::string ConfigText() const {
        std::string bytes;
        EXPECT_TRUE(plat::ReadWholeFile(ini, bytes));
        return bytes;
    }
};

using Cells = std::vector<std::wstring>;

}  // namespace

TEST_F(JobEditorWindow, DestinationChosenWithTheChooserIsStoredOnOkAndTheConfigurationWritten) {
    plat::UserClick(EditorDestButton);
    plat::UserClickRow(ChooserDirList, 1);  // Alpha
    plat::UserClick(ChooserOkButton);
    plat::UserClick(EditorOkButton);
    EditJob();
    EXPECT_EQ(Job().Dest, L"E:\\Backup\\Alpha\\");
    EXPECT_EQ(Job().Src, L"C:\\Daten\\");
    EXPECT_FALSE(plat::WindowExists(EditorWindow));
    EXPECT_EQ(plat::DroppedUserActions(), 0u);
    ASSERT_TRUE(ConfigWritten());
    EXPECT_NE(ConfigText().find("|E:\\Backup\\Alpha\\|"), std::string::npos);
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(JobEditorWindow, TheChooserShowsItsTitleAndCancelOrCloseKeepTheField) {
    plat::UserType(EditorSourceField, L"E:\\Backup\\Beta");
    plat::UserClick(EditorSourceButton);
    plat::UserClick(ChooserBrowseButton);  // shows the title; cancelled
    plat::UserClick(ChooserCancelButton);
    plat::UserClick(EditorDestButton);
    plat::UserClick(ChooserBrowseButton);
    plat::UserCloseWindow(ChooserWindow);
    plat::UserClick(EditorOkButton);
    EditJob();
    const auto shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Quellpfad wählen");
    EXPECT_EQ(shown[1].caption, L"Zielpfad wählen");
    EXPECT_EQ(Job().Src, L"E:\\Backup\\Beta\\");
    EXPECT_EQ(Job().Dest, L"E:\\Backup\\");
}

TEST_F(JobEditorWindow, OkStoresTheFieldsWithinTheirRanges) {
    plat::UserType(EditorDestField, L"E:\\Backup");
    plat::UserType(EditorSourceField, L"");
    plat::UserSpin(EditorArcIntervalSpin, 2000);
    plat::UserSpin(EditorArcVersionsSpin, -10);
    plat::UserSpin(EditorBupIntervalSpin, -3);
    plat::UserClick(EditorOptionalCheck);
    plat::UserClick(EditorOkButton);
    EditJob();
    EXPECT_EQ(Job().Dest, L"E:\\Backup\\");
    EXPECT_EQ(Job().Src, L"\\");
    EXPECT_EQ(Job().ArcInterval, 999);
    EXPECT_EQ(Job().ArcVersions, -1);
    EXPECT_EQ(Job().BupInterval, 0);
    EXPECT_EQ(Job().Flags, core::kFlagSelected | core::kFlagOptional);
    EXPECT_EQ(Job().EntryCount, 99);
}

TEST_F(JobEditorWindow, CancelAndTheCloseBoxLeaveTheJobButStillWriteTheConfiguration) {
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Alpha\\", 1, 2, 1));
    plat::UserType(EditorSourceField, L"X:\\Neu");
    plat::UserSpin(EditorArcVersionsSpin, 5);
    plat::UserClickRow(EditorExceptionList, 0);
    plat::UserClick(EditorExceptionDeleteButton);
    plat::UserClick(EditorCancelButton);
    EditJob();
    EXPECT_EQ(Job().Src, L"C:\\Daten\\");
    EXPECT_EQ(Job().ArcVersions, 3);
    EXPECT_EQ(core::S().ArcIndiv.Size(), 1u);
    EXPECT_TRUE(ConfigWritten());

    ASSERT_TRUE(plat::DeleteFileAt(ini));
    plat::UserClick(EditorOptionalCheck);
    plat::UserCloseWindow(EditorWindow);
    EditJob();
    EXPECT_EQ(Job().Flags, core::kFlagSelected);
    EXPECT_TRUE(ConfigWritten());
    EXPECT_FALSE(plat::WindowExists(EditorWindow));
}

TEST_F(JobEditorWindow, OpensWithTheJobsValues) {
    core::Job& job = Job();
    job.BupInterval = 14;
    job.Flags = core::kFlagOptional;
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(job)));
    EXPECT_EQ(plat::GetGadgetText(EditorSourceField), L"C:\\Daten\\");
    EXPECT_EQ(plat::GetGadgetText(EditorDestField), L"E:\\Backup\\");
    EXPECT_EQ(plat::GetGadgetState(EditorArcIntervalSpin), 7);
    EXPECT_EQ(plat::GetGadgetState(EditorArcVersionsSpin), 3);
    EXPECT_EQ(plat::GetGadgetState(EditorBupIntervalSpin), 14);
    EXPECT_EQ(plat::GetGadgetState(EditorOptionalCheck), 1);
    EXPECT_EQ(plat::GetListRowCount(EditorExceptionList), 0);
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, MoreAndLessSwitchBetween185And400DesignUnits) {
    core::S().DialogScale = 1.25;
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    EXPECT_EQ(plat::GetWindowBox(EditorWindow).w, 625);
    EXPECT_EQ(plat::GetWindowBox(EditorWindow).h, 231);  // 231.25
    EXPECT_EQ(plat::GetGadgetText(EditorMoreButton), L"Mehr...");

    plat::UserClick(EditorMoreButton);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(plat::GetWindowBox(EditorWindow).h, 500);
    EXPECT_EQ(plat::GetGadgetText(EditorMoreButton), L"Weniger...");
    plat::UserClick(EditorMoreButton);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(plat::GetWindowBox(EditorWindow).h, 231);
    EXPECT_EQ(plat::GetGadgetText(EditorMoreButton), L"Mehr...");
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, AJobWithExceptionsOpensExpandedWithItsRows) {
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Beta\\", 0, -1, 1));
    core::ArcIndivEntry other = Exception(L"E:\\Backup\\Other\\", 1, 1, 0);
    other.Sid = kSid + 1;
    core::S().ArcIndiv.Append(other);
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Alpha\\", 30, 2, 0));
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    EXPECT_EQ(plat::GetWindowBox(EditorWindow).h, 400);
    EXPECT_EQ(plat::GetGadgetText(EditorMoreButton), L"Weniger...");
    ASSERT_EQ(plat::GetListRowCount(EditorExceptionList), 2);
    EXPECT_EQ(ListRow(0), (Cells{L"E:\\Backup\\Beta\\", L"0", L"-1", L"1"}));
    EXPECT_EQ(ListRow(1), (Cells{L"E:\\Backup\\Alpha\\", L"30", L"2", L"0"}));
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, NewAppendsTheRowAsTypedAfterItsWarnings) {
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    plat::UserClick(EditorMoreButton);
    plat::UserType(EditorExceptionPathField, L"E:\\Other");
    plat::UserType(EditorExceptionIntervalField, L"5");
    plat::UserType(EditorExceptionVersionsField, L"x");
    plat::UserClick(EditorExceptionRecursiveCheck);
    plat::UserClick(EditorExceptionNewButton);
    plat::UserType(EditorExceptionPathField, L"E:\\Backup\\Alpha");
    plat::UserClick(EditorExceptionRecursiveCheck);
    plat::UserClick(EditorExceptionNewButton);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Pfad existiert nicht! E:\\Other",
                                                         L"Die Ausnahme muss sich im Ziel befinden..."}));
    ASSERT_EQ(plat::GetListRowCount(EditorExceptionList), 2);
    EXPECT_EQ(ListRow(0), (Cells{L"E:\\Other", L"5", L"x", L"1"}));
    EXPECT_EQ(ListRow(1), (Cells{L"E:\\Backup\\Alpha", L"5", L"x", L"0"}));
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, TheDestinationTestUsesTheFieldAsTypedAndIsCaseSensitive) {
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    plat::UserType(EditorDestField, L"e:\\backup");
    plat::UserType(EditorExceptionPathField, L"E:\\Backup\\Alpha");
    plat::UserClick(EditorExceptionNewButton);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Die Ausnahme muss sich im Ziel befinden..."}));
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, AClickedRowFillsTheFieldsAndChangeReplacesItWithBackslash) {
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Alpha\\", 1, 2, 0));
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Beta\\", 3, 4, 1));
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    plat::UserClickRow(EditorExceptionList, 1);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(plat::GetGadgetText(EditorExceptionPathField), L"E:\\Backup\\Beta\\");
    EXPECT_EQ(plat::GetGadgetText(EditorExceptionIntervalField), L"3");
    EXPECT_EQ(plat::GetGadgetText(EditorExceptionVersionsField), L"4");
    EXPECT_EQ(plat::GetGadgetState(EditorExceptionRecursiveCheck), 1);
    plat::UserClickRow(EditorExceptionList, 0);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(plat::GetGadgetText(EditorExceptionPathField), L"E:\\Backup\\Alpha\\");
    EXPECT_EQ(plat::GetGadgetState(EditorExceptionRecursiveCheck), 0);

    plat::UserType(EditorExceptionPathField, L"E:\\Backup\\Neu");
    plat::UserType(EditorExceptionVersionsField, L"$10");
    plat::UserClick(EditorExceptionRecursiveCheck);
    plat::UserClick(EditorExceptionChangeButton);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(ListRow(0), (Cells{L"E:\\Backup\\Neu\\", L"1", L"$10", L"1"}));
    EXPECT_EQ(ListRow(1), (Cells{L"E:\\Backup\\Beta\\", L"3", L"4", L"1"}));
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Pfad existiert nicht! E:\\Backup\\Neu"}));
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, ChangeAndDeleteWithoutASelectedRowChangeNothing) {
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Alpha\\", 1, 2, 0));
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Beta\\", 3, 4, 1));
    ASSERT_TRUE(OpenJobEditor(EditorValuesOf(Job())));
    plat::UserType(EditorExceptionPathField, L"E:\\Backup\\Alpha");
    plat::UserClick(EditorExceptionChangeButton);
    plat::UserClick(EditorExceptionDeleteButton);
    EXPECT_FALSE(Pump());
    ASSERT_EQ(plat::GetListRowCount(EditorExceptionList), 2);
    EXPECT_EQ(ListRow(0), (Cells{L"E:\\Backup\\Alpha\\", L"1", L"2", L"0"}));

    // "Löschen" takes the selected row without asking, and then there is none.
    plat::UserClickRow(EditorExceptionList, 0);
    plat::UserClick(EditorExceptionDeleteButton);
    plat::UserClick(EditorExceptionDeleteButton);
    EXPECT_FALSE(Pump());
    ASSERT_EQ(plat::GetListRowCount(EditorExceptionList), 1);
    EXPECT_EQ(ListRow(0), (Cells{L"E:\\Backup\\Beta\\", L"3", L"4", L"1"}));
    EXPECT_TRUE(MessageTexts().empty());
    plat::RemoveWindow(EditorWindow);
}

TEST_F(JobEditorWindow, OkStoresTheExceptionsSortedAndHintsOnceAtThoseOutsideTheDestination) {
    core::ArcIndivEntry other = Exception(L"E:\\Backup\\Alpha\\", 9, 9, 9);
    other.Sid = kSid + 1;
    core::S().ArcIndiv.Append(other);
    core::S().ArcIndiv.Append(Exception(L"E:\\Backup\\Old\\", 1, 1, 0));
    plat::UserClick(EditorMoreButton);
    plat::UserClickRow(EditorExceptionList, 0);
    plat::UserClick(EditorExceptionDeleteButton);
    for (const wchar_t* path : {L"F:\\Woanders", L"E:\\Backup\\beta", L"E:\\Elsewhere\\"}) {
        plat::UserType(EditorExceptionPathField, path);
        plat::UserType(EditorExceptionIntervalField, L"%11");
        plat::UserType(EditorExceptionVersionsField, L"-1");
        plat::UserClick(EditorExceptionNewButton);
    }
    plat::UserClick(EditorOkButton);
    EditJob();
    const auto& arc = core::S().ArcIndiv.items;
    ASSERT_EQ(arc.size(), 4u);
    EXPECT_EQ(arc[0].Path, L"E:\\Backup\\Alpha\\");
    EXPECT_EQ(arc[0].Sid, kSid + 1);
    EXPECT_EQ(arc[1].Path, L"E:\\Backup\\beta\\");
    EXPECT_EQ(arc[1].Interval, 3);
    EXPECT_EQ(arc[1].Versions, -1);
    EXPECT_EQ(arc[1].Recursive, 0);
    EXPECT_EQ(arc[2].Path, L"E:\\Elsewhere\\");
    EXPECT_EQ(arc[3].Path, L"F:\\Woanders\\");
    const auto texts = MessageTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), kOutsideHint);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::wstring(kOutsideHint)), 1);
    EXPECT_NE(ConfigText().find("E:\\Elsewhere\\"), std::string::npos);
}

TEST_F(JobEditorWindow, AWindowThatCannotOpenLeavesEverythingAsItWas) {
    ASSERT_TRUE(plat::OpenWindow(EditorWindow, L"im Weg", {0, 0, 100, 100}, 0));
    EditJob();
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Fehler! Konnte SetEdit Fenster nicht öffnen"}));
    EXPECT_EQ(Job().Dest, L"E:\\Backup\\");
    EXPECT_FALSE(ConfigWritten());
    EXPECT_EQ(plat::GetWindowTitle(EditorWindow), L"im Weg");
}

TEST_F(JobEditorWindow, WithoutACurrentJobNothingOpens) {
    ui::V().CurrentSid = kSid + 1;
    plat::UserClick(EditorOkButton);
    EditJob();
    EXPECT_EQ(plat::PendingUserActions(), 1u);  // no loop ever took it
    EXPECT_FALSE(ConfigWritten());
    EXPECT_TRUE(plat::ShownDialogsForTest().empty());
}

TEST_F(JobEditorWindow, TheMainWindowTakesNoInputWhileTheEditorIsOpen) {
    ASSERT_TRUE(plat::OpenWindow(ui::MainWindow, L"Tresoro", {100, 100, 800, 600}, 0));
    ASSERT_TRUE(plat::CreateButton(ui::StartButton, ui::MainWindow, {5, 5, 60, 20}, L"Start"));
    plat::UserClick(ui::StartButton);
    plat::UserClick(EditorDestButton);
    plat::UserClick(ui::StartButton);  // while the chooser is open
    plat::UserClick(ChooserOkButton);
    plat::UserClick(EditorCancelButton);
    EditJob();
    EXPECT_EQ(plat::DroppedUserActions(), 2u);
    EXPECT_TRUE(plat::GetWindowEnabled(ui::MainWindow));
    EXPECT_EQ(plat::GetForeground(), ui::MainWindow);
}
