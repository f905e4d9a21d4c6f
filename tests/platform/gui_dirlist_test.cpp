// Directory lists: one directory's entries from the file system, sorted the
// way the user chose, with the program's own columns, and browsing by
// double click.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;

namespace {

constexpr int kMain = 1;
constexpr int kFiles = 10;

class GuiDirList : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Write(L"b.txt", "12345");
        tree.Write(L"A.doc", std::string(2000, 'x'));
        tree.Mkdir(L"Zeta");
        tree.Write(L"sub\\inner.txt", "1");
        ASSERT_TRUE(plat::OpenWindow(kMain, L"Tresoro", {0, 0, 750, 550}, 0));
    }

    static std::vector<std::wstring> ListedNames() {
        std::vector<std::wstring> names;
        for (int r = 0; r < plat::GetListRowCount(kFiles); ++r) names.push_back(plat::GetDirListName(kFiles, r));
        return names;
    }

    TempTree tree;
};

using Names = std::vector<std::wstring>;

}  // namespace

TEST_F(GuiDirList, ListsFoldersFirstThenFilesByNameWithoutRegardToCase) {
    ASSERT_TRUE(plat::CreateDirList(kFiles, kMain, {315, 30, 400, 205}, tree.root, plat::kDirParentEntry));
    EXPECT_EQ(ListedNames(), (Names{L"..", L"sub", L"Zeta", L"A.doc", L"b.txt"}));
    EXPECT_TRUE(plat::GetDirListIsFolder(kFiles, 0));
    EXPECT_TRUE(plat::GetDirListIsFolder(kFiles, 2));
    EXPECT_FALSE(plat::GetDirListIsFolder(kFiles, 3));
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.root);
    EXPECT_EQ(plat::GetListColumnCount(kFiles), 4);
    EXPECT_EQ(plat::GetListCell(kFiles, 4, 0), L"b.txt");
    EXPECT_EQ(plat::GetListCell(kFiles, 4, 1), L"1 KB");
    EXPECT_EQ(plat::GetListCell(kFiles, 3, 1), L"2 KB");
    EXPECT_EQ(plat::GetListCell(kFiles, 1, 1), L"");  // folders have no size
}

TEST_F(GuiDirList, ColumnTitleSortsAndASecondClickReversesWithFoldersKeptFirst) {
    ASSERT_TRUE(plat::CreateDirList(kFiles, kMain, {0, 0, 400, 200}, tree.root));
    plat::SetListCurrentRow(kFiles, 3);  // b.txt
    plat::UserClickColumnTitle(kFiles, 1);
    plat::GuiEvent e;
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(ListedNames(), (Names{L"sub", L"Zeta", L"b.txt", L"A.doc"}));
    EXPECT_EQ(plat::GetListCurrentRow(kFiles), 2);  // the selection stays on b.txt

    plat::UserClickColumnTitle(kFiles, 1);
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(ListedNames(), (Names{L"sub", L"Zeta", L"A.doc", L"b.txt"}));
    int column = -1;
    bool descending = false;
    ASSERT_TRUE(plat::DirListSortForTest(kFiles, column, descending));
    EXPECT_EQ(column, 1);
    EXPECT_TRUE(descending);

    plat::UserClickColumnTitle(kFiles, 0);
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(ListedNames(), (Names{L"sub", L"Zeta", L"A.doc", L"b.txt"}));
    ASSERT_TRUE(plat::DirListSortForTest(kFiles, column, descending));
    EXPECT_FALSE(descending);
}

TEST_F(GuiDirList, ProgramColumnKeepsItsPlaceAndIsEmptiedWhenTheListIsFilledAgain) {
    ASSERT_TRUE(plat::CreateDirList(kFiles, kMain, {0, 0, 400, 200}, tree.root));
    plat::SetListColumnWidth(kFiles, 0, 200);
    ASSERT_TRUE(plat::AddListColumn(kFiles, 1, L"EXCL", 50));
    EXPECT_EQ(plat::GetListColumnTitle(kFiles, 2), L"Größe");
    plat::SetListCell(kFiles, 0, 1, L"XXXX");
    EXPECT_EQ(plat::GetListCell(kFiles, 0, 1), L"XXXX");
    EXPECT_EQ(plat::GetListCell(kFiles, 0, 0), L"sub");

    plat::SetGadgetText(kFiles, tree.root);
    EXPECT_EQ(plat::GetListCell(kFiles, 0, 1), L"");
    EXPECT_EQ(plat::GetListCell(kFiles, 3, 2), L"1 KB");  // b.txt's size moved one column on
    EXPECT_EQ(plat::GetListColumnWidth(kFiles, 0), 200);
}

TEST_F(GuiDirList, DoubleClickEntersAFolderAndDotDotGoesBack) {
    ASSERT_TRUE(plat::CreateDirList(kFiles, kMain, {0, 0, 400, 200}, tree.root, plat::kDirParentEntry));
    plat::UserClickRow(kFiles, 1, plat::EventType::LeftDoubleClick);  // sub
    plat::GuiEvent e;
    std::vector<std::wstring> textAtEvent;
    while (plat::PollEvent(e)) textAtEvent.push_back(plat::GetGadgetText(kFiles));
    ASSERT_EQ(textAtEvent.size(), 3u);  // change, click, double click
    // The first click's events are handled before the folder is entered.
    EXPECT_EQ(textAtEvent[0], tree.root);
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.root + L"sub\\");
    EXPECT_EQ(ListedNames(), (Names{L"..", L"inner.txt"}));
    EXPECT_EQ(plat::GetListCurrentRow(kFiles), -1);

    plat::UserClickRow(kFiles, 0, plat::EventType::LeftDoubleClick);
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.root);

    plat::UserClickRow(kFiles, 4, plat::EventType::LeftDoubleClick);  // A.doc: a file stays
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.root);
}

TEST_F(GuiDirList, FoldersOnlyMissingDirectoriesAndTheDriveList) {
    ASSERT_TRUE(plat::CreateDirList(kFiles, kMain, {0, 0, 400, 200}, tree.Path(L"sub"),
                                    plat::kDirFoldersOnly | plat::kDirParentEntry));
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.root + L"sub\\");  // a trailing "\" is added
    EXPECT_EQ(ListedNames(), (Names{L".."}));
    plat::SetGadgetText(kFiles, tree.root);
    EXPECT_EQ(ListedNames(), (Names{L"..", L"sub", L"Zeta"}));

    plat::SetGadgetText(kFiles, tree.Path(L"fehlt\\"));
    EXPECT_EQ(plat::GetListRowCount(kFiles), 0);
    EXPECT_EQ(plat::GetGadgetText(kFiles), tree.Path(L"fehlt\\"));

    plat::SetGadgetText(kFiles, L"");
    ASSERT_GT(plat::GetListRowCount(kFiles), 0);
    const std::wstring drive = plat::GetDirListName(kFiles, 0);
    EXPECT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[1], L':');
    EXPECT_TRUE(plat::GetDirListIsFolder(kFiles, 0));
    plat::UserClickRow(kFiles, 0, plat::EventType::LeftDoubleClick);
    plat::GuiEvent e;
    while (plat::PollEvent(e)) {}
    EXPECT_EQ(plat::GetGadgetText(kFiles), drive + L"\\");
}
