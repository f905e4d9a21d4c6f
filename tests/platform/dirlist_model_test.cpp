// The directory list's rules that both window systems take from one model:
// where a row leads (".." up to the drive list, a drive into its root), the
// double click that enters the row selected before it, the program's cells
// and columns around the built-in ones.
#include <gtest/gtest.h>

#include "platform/common/dirlist_model.h"
#include "platform/gui.h"
#include "tests/support/temp_tree.h"

namespace {

using plat::DirListModel;
using plat::DirListRow;

DirListRow Row(const std::wstring& name, bool folder, bool drive = false) {
    DirListRow row;
    row.name = name;
    row.folder = folder;
    row.drive = drive;
    row.parentEntry = name == L"..";
    return row;
}

}  // namespace

TEST(DirListModel, EachRowLeadsWhereADoubleClickTakesTheList) {
    struct Case {
        std::wstring dir;
        DirListRow row;
        bool leads;
        std::wstring target;
    };
    const Case cases[] = {
        {L"C:\\Daten\\", Row(L"..", true), true, L"C:\\"},
        {L"C:\\", Row(L"..", true), true, L""},  // above a drive root: the drives
        {L"\\\\server\\share\\a\\", Row(L"..", true), true, L"\\\\server\\share\\"},
        {L"\\\\server\\share\\", Row(L"..", true), true, L"\\\\server\\"},
        {L"\\\\server\\", Row(L"..", true), true, L""},
        {L"C:\\Daten\\", Row(L"Briefe", true), true, L"C:\\Daten\\Briefe\\"},
        {L"", Row(L"E:", true, true), true, L"E:\\"},
        {L"C:\\Daten\\", Row(L"Brief.txt", false), false, L"unchanged"},
    };
    for (const Case& c : cases) {
        DirListModel list;
        list.dir = c.dir;
        list.rows = {c.row};
        std::wstring target = L"unchanged";
        EXPECT_EQ(plat::DirListRowTarget(list, 0, target), c.leads) << c.dir << " " << c.row.name;
        EXPECT_EQ(target, c.target) << c.dir << " " << c.row.name;
        EXPECT_FALSE(plat::DirListRowTarget(list, 1, target));
        EXPECT_FALSE(plat::DirListRowTarget(list, -1, target));
    }
}

TEST(DirListModel, DoubleClickEntersTheSelectedFolderOnlyAndOwnCellsGoWithTheirEntries) {
    testing_support::TempTree tree;
    tree.Write(L"b.txt", "12345");
    tree.Write(L"A.doc", std::string(2000, 'x'));
    tree.Mkdir(L"sub");
    DirListModel list;
    list.flags = plat::kDirParentEntry;
    plat::DirListLoad(list, tree.root.substr(0, tree.root.size() - 1));
    ASSERT_EQ(list.dir, tree.root);
    ASSERT_EQ(list.rows.size(), 4u);  // .., sub, A.doc, b.txt

    // The program's column goes after the name at the earliest, and only it
    // may be removed again.
    EXPECT_EQ(plat::DirListInsertColumn(list, 0), 4);
    EXPECT_EQ(plat::DirListInsertColumn(list, 1), 1);
    EXPECT_FALSE(plat::DirListRemoveColumn(list, 0));
    EXPECT_TRUE(plat::DirListRemoveColumn(list, 5));
    EXPECT_FALSE(plat::DirListSetOwnCell(list, 2, 2, L"1 MB"));  // the size is the entry's
    ASSERT_TRUE(plat::DirListSetOwnCell(list, 2, 1, L"XXXX"));   // A.doc
    EXPECT_EQ(plat::DirListCellText(list, 2, 2), L"2 KB");

    int current = 2;
    ASSERT_TRUE(plat::DirListSortByColumn(list, 2, current));  // by size: b.txt first
    EXPECT_EQ(current, 3);
    EXPECT_EQ(plat::DirListCellText(list, 3, 0), L"A.doc");
    EXPECT_EQ(plat::DirListCellText(list, 3, 1), L"XXXX");
    EXPECT_EQ(plat::DirListCellText(list, 2, 1), L"");
    EXPECT_FALSE(plat::DirListSortByColumn(list, 1, current));  // the program's column sorts nothing

    EXPECT_FALSE(plat::DirListDoubleClick(list, -1));  // filled anew since the first click
    EXPECT_FALSE(plat::DirListDoubleClick(list, 3));   // a file
    EXPECT_EQ(list.dir, tree.root);
    ASSERT_TRUE(plat::DirListDoubleClick(list, 1));
    EXPECT_EQ(list.dir, tree.root + L"sub\\");
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(plat::DirListCellText(list, 0, 1), L"");
    EXPECT_EQ(plat::DirListSortColumn(list), 2);  // the order chosen stays
    EXPECT_TRUE(plat::DirListDoubleClick(list, 0));
    EXPECT_EQ(list.dir, tree.root);
}
