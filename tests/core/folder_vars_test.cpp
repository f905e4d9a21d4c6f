#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/folder_vars.h"
#include "core/state.h"
#include "core/text_helpers.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/temp_tree.h"

namespace {

const wchar_t* const kNames[] = {
    L"MyDocs",    L"MyDesk",         L"MyFavorites", L"MyMusic",  L"MyPics",     L"MyVideo",      L"MyTemplates",
    L"MyAppData", L"MyLocalAppData", L"MyProfile",   L"MyCDBurn", L"PubDocs",    L"PubFavorites", L"PubMusic",
    L"PubPics",   L"PubTemplates",   L"PubVideo",    L"PubDesk",  L"PubAppData", L"MyTempInet",   L"MyTemp",
};
const int kCsidls[] = {5, 16, 6, 13, 39, 14, 21, 26, 28, 40, 59, 46, 31, 53, 54, 45, 55, 25, 35, 32};

// Every special folder gets a path of its own that names its CSIDL; MyCDBurn
// (59) stays unknown, as on a system without a burning folder.
void SetDistinctFolders() {
    for (int csidl : kCsidls) {
        std::wstring path = L"C:\\Folder" + std::to_wstring(csidl);
        if (csidl == 5) path = L"C:\\Users\\J\u00fcrgen\\Dokumente";
        if (csidl == 59) path = L"";
        ASSERT_TRUE(plat::SetSpecialFolderForTest(csidl, path));
    }
}

std::string ExpectedList() {
    std::string text =
        "Namen f\xc3\xbcr variable Windowsverzeichnisse. Ggfs. Datei l\xc3\xb6schen "
        "(falls veraltet) - Tresoro erstellt beim Start eine neue...\r\n\r\n";
    for (int i = 0; i < 20; ++i) {
        std::string name = plat::WideToUtf8(kNames[i]);
        std::string path;
        if (kCsidls[i] == 5)
            path = "C:\\Users\\J\xc3\xbcrgen\\Dokumente\\";
        else if (kCsidls[i] == 59)
            path = "\\";
        else
            path = "C:\\Folder" + std::to_string(kCsidls[i]) + "\\";
        text += name + ": " + path + "\r\n";
    }
    text += "MyTemp: " + plat::WideToUtf8(core::AddBackslash(plat::TempDir())) + "\r\n";
    return text;
}

TEST(CoreFolderVars, TwentyOneVariablesInOrderWithMyTempLast) {
    core::BuildFolderVars();
    const auto& folders = core::S().WinFolders.items;
    ASSERT_EQ(folders.size(), 21u);
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(folders[i].Name, kNames[i]) << i;
        ASSERT_FALSE(folders[i].Path.empty());
        EXPECT_EQ(folders[i].Path.back(), L'\\') << folders[i].Name;
    }
    EXPECT_EQ(folders.back().Path, core::AddBackslash(plat::TempDir()));
}

TEST(CoreFolderVars, BuildingTwiceDoesNotDuplicate) {
    core::BuildFolderVars();
    core::BuildFolderVars();
    EXPECT_EQ(core::S().WinFolders.Size(), 21u);
}

TEST(CoreFolderVars, PathsComeFromTheSpecialFolders) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    SetDistinctFolders();
    core::BuildFolderVars();
    const auto& folders = core::S().WinFolders.items;
    ASSERT_EQ(folders.size(), 21u);
    EXPECT_EQ(folders[0].Path, L"C:\\Users\\J\u00fcrgen\\Dokumente\\");
    EXPECT_EQ(folders[7].Path, L"C:\\Folder26\\");   // MyAppData
    EXPECT_EQ(folders[10].Path, L"\\");              // MyCDBurn, unknown
    EXPECT_EQ(folders[19].Path, L"C:\\Folder32\\");  // MyTempInet
}

TEST(CoreResolveFolderVar, MatchesTheNameIgnoringCase) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    SetDistinctFolders();
    core::BuildFolderVars();
    EXPECT_EQ(core::ResolveFolderVar(L"mydocs"), L"C:\\Users\\J\u00fcrgen\\Dokumente\\");
    EXPECT_EQ(core::ResolveFolderVar(L"PUBAPPDATA"), L"C:\\Folder35\\");
    EXPECT_EQ(core::ResolveFolderVar(L"MyTemp"), core::AddBackslash(plat::TempDir()));
    EXPECT_EQ(core::ResolveFolderVar(L"MyDocuments"), L"");
    EXPECT_EQ(core::ResolveFolderVar(L"MyDoc"), L"");
    EXPECT_EQ(core::ResolveFolderVar(L""), L"");
}

TEST(CoreResolveFolderVar, FindsBuiltVariablesInAnyCase) {
    core::BuildFolderVars();
    const auto& folders = core::S().WinFolders.items;
    ASSERT_EQ(folders.size(), 21u);
    EXPECT_EQ(core::ResolveFolderVar(L"mYdOcS"), folders[0].Path);
    EXPECT_EQ(core::ResolveFolderVar(L"MYTEMPINET"), folders[19].Path);
    EXPECT_EQ(core::ResolveFolderVar(L"mytemp"), folders[20].Path);
    EXPECT_EQ(core::ResolveFolderVar(L"MyDocuments"), L"");
}

TEST(CoreResolveFolderVar, FirstEqualNameWins) {
    core::S().WinFolders.Append({L"Same", L"C:\\First\\"});
    core::S().WinFolders.Append({L"SAME", L"C:\\Second\\"});
    EXPECT_EQ(core::ResolveFolderVar(L"same"), L"C:\\First\\");
}

TEST(CoreWinFolderList, WrittenWhenMissing) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    SetDistinctFolders();
    testing_support::TempTree tree;
    core::S().paths.ConfigDir = tree.root;
    core::BuildFolderVars();
    EXPECT_EQ(tree.Read(L"WinFolderList.txt"), ExpectedList());
}

TEST(CoreWinFolderList, WrittenWhenEmpty) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    SetDistinctFolders();
    testing_support::TempTree tree;
    tree.Write(L"WinFolderList.txt", "");
    core::S().paths.ConfigDir = tree.root;
    core::BuildFolderVars();
    EXPECT_EQ(tree.Read(L"WinFolderList.txt"), ExpectedList());
}

TEST(CoreWinFolderList, ANonEmptyListIsLeftAlone) {
    testing_support::TempTree tree;
    tree.Write(L"WinFolderList.txt", "x");
    core::S().paths.ConfigDir = tree.root;
    core::BuildFolderVars();
    EXPECT_EQ(tree.Read(L"WinFolderList.txt"), "x");
    EXPECT_EQ(core::S().WinFolders.Size(), 21u);
}

TEST(CoreWinFolderList, AMissingConfigDirIsSilent) {
    testing_support::TempTree tree;
    core::S().paths.ConfigDir = tree.Path(L"absent\\");
    core::BuildFolderVars();
    EXPECT_FALSE(tree.Exists(L"absent"));
    EXPECT_EQ(core::S().WinFolders.Size(), 21u);
}

}  // namespace
