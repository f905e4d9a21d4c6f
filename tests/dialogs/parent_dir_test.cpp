// The parent of a directory path: one level up, network roots kept whole,
// the drive list above a root.
#include <gtest/gtest.h>

#include "dialogs/path_chooser.h"

using dialogs::ParentDir;

TEST(ParentDir, StepsUpOneLevelOfALocalPath) {
    EXPECT_EQ(ParentDir(L"C:\\Users\\Nutzer\\"), L"C:\\Users\\");
    EXPECT_EQ(ParentDir(L"C:\\Users\\"), L"C:\\");
    EXPECT_EQ(ParentDir(L"E:\\Backup\\Fotos\\2020\\"), L"E:\\Backup\\Fotos\\");
}

TEST(ParentDir, AboveADriveRootIsTheDriveList) {
    EXPECT_EQ(ParentDir(L"C:\\"), L"");
    EXPECT_EQ(ParentDir(L""), L"");
}

TEST(ParentDir, NetworkPathsStopAtTheServerThenTheDriveList) {
    EXPECT_EQ(ParentDir(L"\\\\server\\share\\dir\\"), L"\\\\server\\share\\");
    EXPECT_EQ(ParentDir(L"\\\\server\\share\\"), L"\\\\server\\");
    EXPECT_EQ(ParentDir(L"\\\\server\\"), L"");
}

TEST(ParentDir, APathWithoutTrailingBackslashLosesTwoComponents) {
    EXPECT_EQ(ParentDir(L"C:\\Users\\Nutzer"), L"C:\\");
    EXPECT_EQ(ParentDir(L"C:"), L"");
}
