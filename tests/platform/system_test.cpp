// Error texts, the clock, drives and the places the program starts from.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/drives.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "platform/text.h"

TEST(PlatformErrors, SystemTextEndsInCrLfOrIsEmpty) {
    std::wstring text = plat::SystemErrorText(plat::kErrFileNotFound);
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    EXPECT_EQ(text.find(L'%'), std::wstring::npos);
    EXPECT_EQ(plat::SystemErrorText(0x2FFFFFFF), L"");
}

TEST(PlatformClock, FakeClockFixesNowAndTick) {
    plat::SetFakeClock(1709210096, 5000);
    EXPECT_EQ(plat::Now(), 1709210096);
    EXPECT_EQ(plat::Tick(), 5000u);
    plat::AdvanceFakeClock(2500);
    EXPECT_EQ(plat::Tick(), 7500u);
    EXPECT_EQ(plat::Now(), 1709210098);

    plat::UseRealClock();
    EXPECT_GT(plat::Now(), 1709210096);  // this code was written after that date
}

TEST(PlatformClock, SplitDateGivesCalendarFields) {
    plat::LocalDate d = plat::SplitDate(1709210096);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 2);
    EXPECT_EQ(d.day, 29);
    EXPECT_EQ(d.hour, 12);
    EXPECT_EQ(d.minute, 34);
    EXPECT_EQ(d.second, 56);

    d = plat::SplitDate(0);
    EXPECT_EQ(d.year, 1970);
    EXPECT_EQ(d.month, 1);
    EXPECT_EQ(d.day, 1);
    EXPECT_EQ(d.hour, 0);

    d = plat::SplitDate(-1);
    EXPECT_EQ(d.year, 1969);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 31);
    EXPECT_EQ(d.second, 59);
}

TEST(PlatformShell, TempDirAndProgramFileExist) {
    std::wstring temp = plat::TempDir();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), L'\\');
    EXPECT_TRUE(plat::DirExists(temp));
    EXPECT_EQ(temp.find(L'~'), std::wstring::npos);  // long form

    std::wstring program = plat::ProgramFile();
    EXPECT_TRUE(plat::FileExists(program)) << std::string(program.begin(), program.end());
}

TEST(PlatformShell, EnvironmentSetForATestIsReadBackAndReset) {
    const std::wstring name = L"TRESORO_PLATFORM_TEST_VAR";
    EXPECT_EQ(plat::GetEnv(name), L"");
    ASSERT_TRUE(plat::SetEnvForTest(name, L"Wert mit Ümlaut"));
    EXPECT_EQ(plat::GetEnv(name), L"Wert mit Ümlaut");
    plat::ResetTestTables();
    EXPECT_EQ(plat::GetEnv(name), L"");
}

TEST(PlatformShell, SpecialFolderHasNoTrailingBackslash) {
    const int kAppData = 0x1A;  // CSIDL_APPDATA
    if (plat::PortableLayer()) {
        ASSERT_TRUE(plat::SetSpecialFolderForTest(kAppData, plat::TempDir() + L"AppData"));
    }
    std::wstring folder = plat::SpecialFolder(kAppData);
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(folder[1], L':');
    EXPECT_GT(plat::ScreenDpiX(), 0);
}

TEST(PlatformDrives, TempDriveIsListedWithItsSpace) {
    std::wstring root = plat::TempDir().substr(0, 3);  // "C:\"
    std::vector<std::wstring> roots = plat::LogicalDriveRoots();
    bool listed = false;
    for (const std::wstring& r : roots) {
        EXPECT_EQ(r.size(), 3u);
        EXPECT_EQ(r.substr(1), L":\\");
        listed = listed || plat::EqualNoCase(r, root);
    }
    EXPECT_TRUE(listed);
    EXPECT_EQ(plat::DriveType(root), plat::kDriveFixed);

    uint64_t total = 0, free = 0;
    ASSERT_TRUE(plat::VolumeSize(root, total, free));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    ASSERT_TRUE(plat::DiskSpaceFor(plat::TempDir(), free, total));
    EXPECT_GT(total, 0u);
    EXPECT_LE(free, total);
    std::wstring label;
    EXPECT_TRUE(plat::VolumeLabel(root, label));
}

TEST(PlatformDrives, AbsentDriveHasNoSpace) {
    std::vector<std::wstring> roots = plat::LogicalDriveRoots();
    std::wstring absent;
    for (wchar_t letter = L'Q'; letter >= L'D' && absent.empty(); --letter) {
        std::wstring root = std::wstring(1, letter) + L":\\";
        bool taken = false;
        for (const std::wstring& r : roots) taken = taken || plat::EqualNoCase(r, root);
        if (!taken) absent = root;
    }
    ASSERT_FALSE(absent.empty());
    uint64_t free = 0, total = 0;
    EXPECT_FALSE(plat::DiskSpaceFor(absent, free, total));
    EXPECT_FALSE(plat::DirExists(absent));
}

// Windows names the file system of every volume; the portable layer the one
// a test gives its drive.
TEST(PlatformDrives, FileSystemNameOfADestination) {
    const bool given = plat::SetDriveFileSystemForTest(plat::TempDir().substr(0, 2), L"FAT32");
    std::wstring name;
    ASSERT_TRUE(plat::FileSystemName(plat::TempDir(), name));
    EXPECT_TRUE(given ? name == L"FAT32" : !name.empty());
    EXPECT_FALSE(plat::FileSystemName(L"\\\\nowhere\\nothing\\", name));
}
