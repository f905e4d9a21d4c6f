// List views: rows with check boxes and hidden data that stay together when
// rows and columns come and go, the current row, and what the user's clicks
// on rows raise.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gui.h"
#include "platform/gui_testing.h"

namespace {

constexpr int kMain = 1;
constexpr int kJobs = 10;

class GuiLists : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro", {0, 0, 750, 550}, plat::kWinSystemMenu));
        ASSERT_TRUE(
            plat::CreateListView(kJobs, kMain, {5, 10, 720, 115}, plat::kListCheckBoxes | plat::kListFullRowSelect));
        ASSERT_TRUE(plat::AddListColumn(kJobs, -1, L"Quelle", 360));
        ASSERT_TRUE(plat::AddListColumn(kJobs, -1, L"Ziel", 360));
    }

    // Appends a job row the way the job list does: texts, Sid, tick.
    static void AddJob(const std::wstring& src, int32_t sid, bool ticked) {
        const int row = plat::AddListRow(kJobs, -1, {src, L"E:\\"});
        ASSERT_GE(row, 0);
        plat::SetListRowData(kJobs, row, sid);
        plat::SetListRowChecked(kJobs, row, ticked);
    }
};

std::vector<plat::EventType> TakeTypes() {
    std::vector<plat::EventType> types;
    plat::GuiEvent e;
    while (plat::PollEvent(e)) types.push_back(e.type);
    return types;
}

using T = plat::EventType;

}  // namespace

TEST_F(GuiLists, InsertedAndRemovedRowsKeepTheirTicksDataAndTheCurrentRow) {
    AddJob(L"C:\\A\\", 101, true);
    AddJob(L"C:\\B\\", 102, false);
    AddJob(L"C:\\C\\", 103, true);
    plat::SetListCurrentRow(kJobs, 1);

    EXPECT_EQ(plat::AddListRow(kJobs, 0, {L"C:\\New\\"}), 0);
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), 2);  // still C:\B\ .
    EXPECT_EQ(plat::GetListCell(kJobs, 2, 0), L"C:\\B\\");
    EXPECT_FALSE(plat::GetListRowChecked(kJobs, 0));
    EXPECT_EQ(plat::GetListRowData(kJobs, 0), 0);
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 1), L"");  // missing cells are empty

    ASSERT_TRUE(plat::RemoveListRow(kJobs, 1));  // C:\A\ .
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), 1);
    EXPECT_EQ(plat::GetListRowData(kJobs, 1), 102);
    EXPECT_FALSE(plat::GetListRowChecked(kJobs, 1));
    EXPECT_EQ(plat::GetListRowData(kJobs, 2), 103);
    EXPECT_TRUE(plat::GetListRowChecked(kJobs, 2));
    EXPECT_FALSE(plat::RemoveListRow(kJobs, 3));
    EXPECT_EQ(plat::GetListRowCount(kJobs), 3);

    plat::ClearList(kJobs);
    EXPECT_EQ(plat::GetListRowCount(kJobs), 0);
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), -1);
}

TEST_F(GuiLists, ColumnsInsertedInTheMiddleShiftTheCells) {
    AddJob(L"C:\\A\\", 1, false);
    ASSERT_TRUE(plat::AddListColumn(kJobs, 1, L"EXCL", 50));
    EXPECT_EQ(plat::GetListColumnCount(kJobs), 3);
    EXPECT_EQ(plat::GetListColumnTitle(kJobs, 2), L"Ziel");
    EXPECT_EQ(plat::GetListColumnWidth(kJobs, 2), 360);
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 1), L"");
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 2), L"E:\\");
    plat::SetListCell(kJobs, 0, 1, L"XXXX");

    ASSERT_TRUE(plat::RemoveListColumn(kJobs, 0));
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 0), L"XXXX");
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 1), L"E:\\");
    EXPECT_EQ(plat::GetListCell(kJobs, 0, 2), L"");  // beyond the columns
}

TEST_F(GuiLists, ClicksSelectTheRowFirstAndThenReportTheClick) {
    AddJob(L"C:\\A\\", 1, false);
    AddJob(L"C:\\B\\", 2, false);
    plat::UserClickRow(kJobs, 1);
    plat::UserClickRow(kJobs, 1, T::RightClick);  // same row: no change
    EXPECT_EQ(TakeTypes(), (std::vector<T>{T::Change, T::LeftClick, T::RightClick}));
    EXPECT_EQ(plat::GetActiveGadget(), kJobs);

    plat::UserClickRow(kJobs, 0, T::LeftDoubleClick);
    EXPECT_EQ(TakeTypes(), (std::vector<T>{T::Change, T::LeftClick, T::LeftDoubleClick}));
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), 0);

    plat::UserClickRow(kJobs, -1);  // the empty part below the rows
    EXPECT_EQ(TakeTypes(), (std::vector<T>{T::Change, T::LeftClick}));
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), -1);
}

TEST_F(GuiLists, TickingABoxChangesOnlyThatRowsTick) {
    AddJob(L"C:\\A\\", 1, true);
    AddJob(L"C:\\B\\", 2, false);
    plat::SetListCurrentRow(kJobs, 0);
    TakeTypes();

    plat::UserTickRow(kJobs, 1);
    plat::UserTickRow(kJobs, 0);
    EXPECT_EQ(TakeTypes(), (std::vector<T>{T::Change, T::LeftClick, T::Change, T::LeftClick}));
    EXPECT_TRUE(plat::GetListRowChecked(kJobs, 1));
    EXPECT_FALSE(plat::GetListRowChecked(kJobs, 0));
    EXPECT_EQ(plat::GetListCurrentRow(kJobs), 0);
}

TEST_F(GuiLists, AListWithoutCheckBoxesHasNoTicks) {
    ASSERT_TRUE(plat::CreateListView(20, kMain, {15, 260, 470, 125}));
    plat::AddListColumn(20, -1, L"Pfad", 370);
    plat::AddListRow(20, -1, {L"E:\\Backup\\A\\"});
    plat::SetListRowChecked(20, 0, true);
    EXPECT_FALSE(plat::GetListRowChecked(20, 0));
    plat::UserTickRow(20, 0);
    EXPECT_TRUE(TakeTypes().empty());
    EXPECT_EQ(plat::DroppedUserActions(), 1u);
}

TEST_F(GuiLists, TextOfAListIsItsCurrentRowsFirstCell) {
    AddJob(L"C:\\A\\", 1, false);
    EXPECT_EQ(plat::GetGadgetText(kJobs), L"");
    plat::SetGadgetState(kJobs, 0);
    EXPECT_EQ(plat::GetGadgetText(kJobs), L"C:\\A\\");
    EXPECT_EQ(plat::GetGadgetState(kJobs), 0);
}
