// The standard set-up without its window: the proposed destination drive,
// which standard jobs are added and which an existing job already covers,
// and that running it again adds nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/records.h"
#include "core/sid.h"
#include "core/state.h"
#include "dialogs/standard_setup.h"
#include "platform/drives.h"
#include "platform/fs.h"
#include "platform/gui_testing.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace {

using dialogs::ProposeBackupDrive;

constexpr uint64_t kGB = 1000ull * 1000 * 1000;

core::Drive DriveOf(const std::wstring& root, uint32_t type, uint64_t freeBytes) {
    core::Drive d;
    d.Root = root;
    d.Type = static_cast<int32_t>(type);
    d.TotalBytes = freeBytes * 2;
    d.FreeBytes = freeBytes;
    return d;
}

// C: holds Windows and the profile, D: the documents, E: is the external
// disk, N: a network drive with even more room.
std::vector<core::Drive> TypicalDrives() {
    return {DriveOf(L"C:\\", plat::kDriveFixed, 80 * kGB), DriveOf(L"D:\\", plat::kDriveFixed, 900 * kGB),
            DriveOf(L"E:\\", plat::kDriveFixed, 500 * kGB), DriveOf(L"N:\\", plat::kDriveRemote, 2000 * kGB)};
}

std::wstring Propose(std::vector<core::Drive> drives, const std::wstring& documents = L"D:\\") {
    return ProposeBackupDrive(drives, L"C:\\USERS\\NUTZER\\", L"C:\\", documents);
}

TEST(StandardProposal, TheExternalDiskWinsOverSystemDataAndNetwork) { EXPECT_EQ(Propose(TypicalDrives()), L"E:\\"); }

TEST(StandardProposal, ANetworkDriveOnlyWhenNothingLocalQualifies) {
    std::vector<core::Drive> drives = TypicalDrives();
    drives.erase(drives.begin() + 2);  // E: unplugged
    EXPECT_EQ(Propose(drives), L"N:\\");
    drives.push_back(DriveOf(L"M:\\", plat::kDriveRemote, 3000 * kGB));
    EXPECT_EQ(Propose(drives), L"M:\\");  // the first network drive by free space
}

TEST(StandardProposal, TheMostFreeSpaceDecidesAmongLocalDrives) {
    std::vector<core::Drive> drives = TypicalDrives();
    drives.push_back(DriveOf(L"F:\\", plat::kDriveRemovable, 600 * kGB));
    EXPECT_EQ(ProposeBackupDrive(drives, L"C:\\USERS\\NUTZER\\", L"C:\\", L"D:\\"), L"F:\\");
    EXPECT_EQ(drives.front().Root, L"N:\\");  // the list itself is left sorted
}

TEST(StandardProposal, NoProposalFromFullOrEmptyDrives) {
    std::vector<core::Drive> drives = {DriveOf(L"C:\\", plat::kDriveFixed, 80 * kGB),
                                       DriveOf(L"G:\\", plat::kDriveCdRom, 0)};
    EXPECT_EQ(Propose(drives), L"");
    EXPECT_EQ(Propose({}), L"");
}

TEST(StandardProposal, OnlyADocumentsFolderAtTheRootRulesOutItsDrive) {
    EXPECT_EQ(Propose(TypicalDrives(), L"D:\\DATEN\\"), L"D:\\");
}

TEST(StandardProposal, AProfileOnAnotherDriveRulesThatDriveOut) {
    std::vector<core::Drive> drives = TypicalDrives();
    EXPECT_EQ(ProposeBackupDrive(drives, L"E:\\PROFILE\\NUTZER\\", L"C:\\", L"D:\\"), L"N:\\");
}

TEST(StandardCoverage, AJobCoversWhatLiesBelowItsSourceUnlessExcluded) {
    const int32_t sid = testing_support::AddJob(L"C:\\Users\\", L"E:\\Alle\\").Sid;
    EXPECT_TRUE(dialogs::SourceCovered(L"c:\\users\\Nutzer\\"));
    EXPECT_TRUE(dialogs::SourceCovered(L"C:\\Users\\"));
    EXPECT_FALSE(dialogs::SourceCovered(L"C:\\"));
    EXPECT_FALSE(dialogs::SourceCovered(L"D:\\Daten\\"));
    core::S().Excludes.Append(core::Exclude{sid, L"C:\\USERS\\NUTZER"});
    EXPECT_FALSE(dialogs::SourceCovered(L"C:\\Users\\Nutzer\\"));
    EXPECT_TRUE(dialogs::SourceCovered(L"C:\\Users\\Public\\"));
}

TEST(StandardCoverage, AJobWithoutSourceCoversNothing) {
    testing_support::AddJob(L"", L"E:\\x\\");
    core::S().Jobs.items.back().Src = L"";
    EXPECT_FALSE(dialogs::SourceCovered(L"C:\\Users\\Nutzer\\"));
}

// ------------------------------------------------------------ adding jobs
// The special folders and environment come from the portable layer's tables.

struct StandardJobs : testing::Test {
    testing_support::TempTree tree;
    std::wstring backup;
    void SetUp() override {
        if (!plat::PortableLayer()) GTEST_SKIP() << "needs the special-folder table";
        testing_support::InstallRecorder();
        backup = tree.Path(L"backup\\");
        tree.Mkdir(L"backup");
        core::S().settings.GStdBupPath = backup;
        User(L"Nutzer", L"Users\\Nutzer", L"Users\\Nutzer\\Documents");
        tree.Write(L"Users\\Public\\Musik\\lied.mp3", "m");
        plat::SetEnvForTest(L"PUBLIC", tree.Path(L"Users\\Public"));
    }
    // A Windows user with a profile (holding NTUSER.DAT) and documents.
    void User(const std::wstring& name, const std::wstring& profile, const std::wstring& documents) {
        tree.Write(profile + L"\\NTUSER.DAT", "n");
        tree.Write(documents + L"\\Brief.txt", "b");
        plat::SetEnvForTest(L"USERNAME", name);
        plat::SetSpecialFolderForTest(40, tree.Path(profile));
        plat::SetSpecialFolderForTest(5, tree.Path(documents));
    }
    static std::vector<std::wstring> Column(bool src) {
        std::vector<std::wstring> out;
        for (const core::Job& job : core::S().Jobs.items) out.push_back(src ? job.Src : job.Dest);
        return out;
    }
};

TEST_F(StandardJobs, DocumentsInsideTheProfileGiveTwoJobs) {
    dialogs::StandardSetup(false);
    EXPECT_EQ(Column(true), (std::vector<std::wstring>{tree.Path(L"Users\\Nutzer\\"), tree.Path(L"Users\\Public\\")}));
    EXPECT_EQ(Column(false), (std::vector<std::wstring>{backup + L"Nutzer\\", backup + L"Public\\"}));
    for (const core::Job& job : core::S().Jobs.items) {
        EXPECT_NE(job.Sid, 0);
        EXPECT_EQ(job.Flags, core::kFlagSelected);
        EXPECT_EQ(job.ArcInterval, 7);
        EXPECT_EQ(job.ArcVersions, 3);
        EXPECT_EQ(job.BupInterval, 0);
        EXPECT_EQ(job.LastBup, 0);
        EXPECT_EQ(job.EntryCount, 0);
    }
    EXPECT_NE(core::S().Jobs.items[0].Sid, core::S().Jobs.items[1].Sid);
    EXPECT_TRUE(plat::DirExists(backup + L"Nutzer\\"));
    EXPECT_TRUE(plat::DirExists(backup + L"Public\\"));
    // No window: the stored destination was used as it is.
    EXPECT_TRUE(plat::ShownDialogsForTest().empty());
}

TEST_F(StandardJobs, RedirectedDocumentsGetAThirdJob) {
    User(L"Nutzer", L"Users\\Nutzer", L"Daten");
    dialogs::StandardSetup(false);
    EXPECT_EQ(Column(true), (std::vector<std::wstring>{tree.Path(L"Users\\Nutzer\\"), tree.Path(L"Daten\\"),
                                                       tree.Path(L"Users\\Public\\")}));
    EXPECT_EQ(Column(false),
              (std::vector<std::wstring>{backup + L"Nutzer\\", backup + L"NutzerData\\", backup + L"Public\\"}));
}

TEST_F(StandardJobs, EachNewJobIsSearchedForExclusions) {
    core::S().ExcludePaths.Append(L"\\NTUSER.");
    dialogs::StandardSetup(false);
    ASSERT_EQ(core::S().Excludes.Size(), 1u);
    EXPECT_EQ(core::S().Excludes.items[0].Sid, core::S().Jobs.items[0].Sid);
    EXPECT_EQ(core::S().Excludes.items[0].Path, plat::ToUpper(tree.Path(L"Users\\Nutzer\\NTUSER.")));
}

TEST_F(StandardJobs, RunningTwiceAddsNothingTheSecondTime) {
    User(L"Nutzer", L"Users\\Nutzer", L"Daten");
    core::S().ExcludePaths.Append(L"\\NTUSER.");
    dialogs::StandardSetup(false);
    const size_t jobs = core::S().Jobs.Size();
    const size_t excludes = core::S().Excludes.Size();
    dialogs::StandardSetup(false);
    EXPECT_EQ(core::S().Jobs.Size(), jobs);
    EXPECT_EQ(core::S().Excludes.Size(), excludes);
}

TEST_F(StandardJobs, ASecondUserGetsOwnJobsButThePublicOneOnlyOnce) {
    dialogs::StandardSetup(false);
    User(L"Gast", L"Users\\Gast", L"Users\\Gast\\Dokumente");
    dialogs::StandardSetup(false);
    EXPECT_EQ(Column(false),
              (std::vector<std::wstring>{backup + L"Nutzer\\", backup + L"Public\\", backup + L"Gast\\"}));
}

TEST_F(StandardJobs, AnEmptyUserNameBecomesTheCrossedO) {
    User(L"", L"Users\\Nutzer", L"Daten");
    EXPECT_EQ(dialogs::StandardUserName(), L"Ø");
    dialogs::StandardSetup(false);
    EXPECT_EQ(Column(false), (std::vector<std::wstring>{backup + L"Ø\\", backup + L"ØData\\", backup + L"Public\\"}));
}

TEST_F(StandardJobs, MissingSourcesAreLeftOut) {
    plat::SetEnvForTest(L"PUBLIC", tree.Path(L"nirgends"));
    plat::SetSpecialFolderForTest(5, L"");
    dialogs::StandardSetup(false);
    EXPECT_EQ(Column(true), std::vector<std::wstring>{tree.Path(L"Users\\Nutzer\\")});
}

TEST_F(StandardJobs, AnUnknownFolderNeverBecomesTheDriveRoot) {
    plat::SetSpecialFolderForTest(40, L"");
    plat::SetSpecialFolderForTest(5, L"");
    plat::SetEnvForTest(L"PUBLIC", L"");
    plat::SetEnvForTest(L"ALLUSERSPROFILE", L"");
    dialogs::StandardSetup(false);
    EXPECT_TRUE(core::S().Jobs.Empty());
}

TEST_F(StandardJobs, AStoredDestinationThatIsAwayIsStillUsed) {
    core::S().settings.GStdBupPath = tree.Path(L"usb\\Backup");
    dialogs::StandardSetup(false);
    EXPECT_EQ(core::S().settings.GStdBupPath, tree.Path(L"usb\\Backup\\"));
    EXPECT_EQ(Column(false),
              (std::vector<std::wstring>{tree.Path(L"usb\\Backup\\Nutzer\\"), tree.Path(L"usb\\Backup\\Public\\")}));
    EXPECT_FALSE(plat::DirExists(tree.Path(L"usb\\")));
}

TEST_F(StandardJobs, AJobIsLeftOutWhenNoSidCanBeDrawn) {
    const int32_t taken = testing_support::AddJob(tree.Path(L"anders"), backup + L"anders").Sid;
    static int32_t s_taken = 0;
    s_taken = taken;
    core::SetSidSourceForTest([] { return s_taken; });
    const bool added = dialogs::AddStandardJob(tree.Path(L"Users\\Public"), backup + L"Public");
    core::SetSidSourceForTest(nullptr);
    EXPECT_FALSE(added);
    EXPECT_EQ(core::S().Jobs.Size(), 1u);
}

// The portable layer's drives all have the host's free space (mapped to one
// folder here), so only the types and the folders decide.
TEST_F(StandardJobs, TheProposalComesFromTheDriveTable) {
    const std::string host = testing_support::HostPathOf(backup);
    ASSERT_TRUE(plat::MapDrive(L"B:", host, plat::kDriveRemote));
    ASSERT_TRUE(plat::MapDrive(L"C:", host, plat::kDriveFixed));
    ASSERT_TRUE(plat::MapDrive(L"D:", host, plat::kDriveFixed));
    ASSERT_TRUE(plat::MapDrive(L"E:", host, plat::kDriveRemovable));
    plat::SetEnvForTest(L"SystemDrive", L"C:");
    plat::SetSpecialFolderForTest(5, L"D:\\");
    core::S().settings.GStdBupPath = L"";
    // The profile lies on Z:, the host's root.
    EXPECT_EQ(dialogs::InitialSetupDest(), L"E:\\");
    ASSERT_TRUE(plat::UnmapDrive(L"E:"));
    EXPECT_EQ(dialogs::InitialSetupDest(), L"B:\\");
    const std::vector<plat::ShownDialog> shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"Tresoro Meldung");
    EXPECT_EQ(shown[0].text, L"Habe als mögliches Backupziel 'E:\\' gefunden - bitte passen Sie dies ggfs. an!");
    EXPECT_EQ(shown[1].text, L"Habe als mögliches Backupziel 'B:\\' gefunden - bitte passen Sie dies ggfs. an!");
}

TEST_F(StandardJobs, WithoutAnyCandidateTheUserIsAskedToChoose) {
    plat::SetEnvForTest(L"SystemDrive", L"Z:");
    core::S().settings.GStdBupPath = L"";
    EXPECT_EQ(dialogs::InitialSetupDest(), L"");
    const std::vector<plat::ShownDialog> shown = plat::ShownDialogsForTest();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, L"Konnte kein passendes Backupziel als Vorschlag finden - bitte wählen Sie selber!");
}

TEST_F(StandardJobs, AnExistingStoredDestinationIsProposedWithoutAMessage) {
    core::S().settings.GStdBupPath = L"  " + tree.Path(L"backup") + L" ";
    EXPECT_EQ(dialogs::InitialSetupDest(), backup);
    EXPECT_TRUE(plat::ShownDialogsForTest().empty());
}

}  // namespace
