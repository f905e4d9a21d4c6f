#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/drives.h"
#include "core/state.h"
#include "platform/drives.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

namespace {

const core::Drive* FindDrive(const std::vector<core::Drive>& drives, const std::wstring& root) {
    for (const core::Drive& drive : drives) {
        if (drive.Root == root) return &drive;
    }
    return nullptr;
}

std::string HostTempDir() {
    std::error_code error;
    std::string dir = std::filesystem::temp_directory_path(error).string();
    return error ? std::string("/tmp") : dir;
}

TEST(CoreListDrives, ReportsMappedDrivesWithTrimmedLabelsAndSizes) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    ASSERT_TRUE(plat::MapDrive(L"E:", HostTempDir(), plat::kDriveRemovable, L"  Stick  "));
    ASSERT_TRUE(plat::MapDrive(L"F:", HostTempDir(), plat::kDriveFixed, L"Daten"));

    const std::vector<core::Drive> drives = core::ListDrives();

    EXPECT_EQ(FindDrive(drives, L"Q:\\"), nullptr) << "only the drives the system has";
    const core::Drive* e = FindDrive(drives, L"E:\\");
    const core::Drive* f = FindDrive(drives, L"F:\\");
    ASSERT_NE(e, nullptr);
    ASSERT_NE(f, nullptr);
    EXPECT_LT(e, f) << "drives keep the system's order";
    EXPECT_EQ(e->Type, 2);
    EXPECT_EQ(e->Label, L"Stick");
    EXPECT_GT(e->TotalBytes, 0u);
    EXPECT_LE(e->FreeBytes, e->TotalBytes);
    EXPECT_EQ(f->Type, 3);
    EXPECT_EQ(f->Label, L"Daten");
    EXPECT_GT(f->TotalBytes, 0u);
}

TEST(CoreListDrives, ADriveWithoutVolumeStaysWithEmptyLabelAndZeroSizes) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    // A drive whose host directory is gone behaves like a drive without medium.
    ASSERT_TRUE(plat::MapDrive(L"G:", HostTempDir() + "/tresoro-no-such-medium-dir", plat::kDriveCdRom, L"Disc"));
    const std::vector<core::Drive> drives = core::ListDrives();
    const core::Drive* g = FindDrive(drives, L"G:\\");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Type, 5);
    EXPECT_EQ(g->Label, L"");
    EXPECT_EQ(g->TotalBytes, 0u);
    EXPECT_EQ(g->FreeBytes, 0u);
}

TEST(CoreListDrives, EveryRootEndsInABackslash) {
    const std::vector<core::Drive> drives = core::ListDrives();
    ASSERT_FALSE(drives.empty());
    for (const core::Drive& drive : drives) {
        ASSERT_FALSE(drive.Root.empty());
        EXPECT_EQ(drive.Root.back(), L'\\') << drive.Root;
    }
}

TEST(CoreDiskSpace, MeasuresAnExistingPath) {
    testing_support::TempTree tree;
    const core::Space space = core::DiskSpace(tree.root);
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
}

TEST(CoreDiskSpace, AFailedMeasurementClearsBothValues) {
    testing_support::TempTree tree;
    ASSERT_GT(core::DiskSpace(tree.root).totalBytes, 0u);
    const core::Space space = core::DiskSpace(tree.Path(L"no\\such\\dir\\"));
    EXPECT_EQ(space.freeBytes, 0u);
    EXPECT_EQ(space.totalBytes, 0u);
}

}  // namespace
