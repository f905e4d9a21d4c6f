// The path pieces every layer takes from the platform: the name, the folder
// it stands in, the path without its trailing separators.
#include <gtest/gtest.h>

#include "platform/path_text.h"

namespace {

using plat::PathFolder;
using plat::PathName;
using plat::WithoutTrailingSeparator;

TEST(PathText, NameAndFolderSplitAtTheLastSeparator) {
    EXPECT_EQ(PathName(L"C:\\Daten\\Brief.txt"), L"Brief.txt");
    EXPECT_EQ(PathFolder(L"C:\\Daten\\Brief.txt"), L"C:\\Daten\\");
    EXPECT_EQ(PathName(L"E:/Backup/Tresoro.ini"), L"Tresoro.ini");
    EXPECT_EQ(PathFolder(L"E:\\Backup/Tresoro.ini"), L"E:\\Backup/");
    // A folder path has no name; a bare name stands in no folder.
    EXPECT_EQ(PathName(L"C:\\Daten\\"), L"");
    EXPECT_EQ(PathFolder(L"C:\\Daten\\"), L"C:\\Daten\\");
    EXPECT_EQ(PathName(L"Tresoro.exe"), L"Tresoro.exe");
    EXPECT_EQ(PathFolder(L"Tresoro.exe"), L"");
    EXPECT_EQ(PathName(L""), L"");
    EXPECT_EQ(PathFolder(L""), L"");
}

TEST(PathText, TrailingSeparatorsGoButNeverTheOnlyCharacter) {
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\Daten\\"), L"C:\\Daten");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\Daten\\\\"), L"C:\\Daten");
    EXPECT_EQ(WithoutTrailingSeparator(L"E:/Backup/"), L"E:/Backup");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\"), L"C:");
    EXPECT_EQ(WithoutTrailingSeparator(L"\\\\server\\share\\"), L"\\\\server\\share");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\Daten"), L"C:\\Daten");
    EXPECT_EQ(WithoutTrailingSeparator(L"\\"), L"\\");
    EXPECT_EQ(WithoutTrailingSeparator(L"\\\\"), L"\\");
    EXPECT_EQ(WithoutTrailingSeparator(L""), L"");
}

}  // namespace
