// Files as Windows has them: a file link backed up as the file it points
// to, an encrypted file that the destination can only store decrypted, and
// files too large for a FAT32 destination.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/report.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;
const wchar_t* const kTooLarge = L"\t\t(zu groß für das Dateisystem des Ziels (FAT32))";

struct EngineFileKinds : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
    // A run of its own over the same job: tally and log afresh.
    static void SyncAgain(JobTree& t) {
        ResetTestRun();
        logs::ResetLogState();
        t.Sync();
    }
};

// FindFirstFileExW gives a file link its own date and a size of 0 while the
// copy copies its target: it is backed up as that file, so that it is copied
// once and again only when the file changes. One leading nowhere is a hint.
// Only the portable layer makes file links (Wine's CreateSymbolicLinkW
// makes none); it lists them as Windows does.
TEST_F(EngineFileKinds, AFileLinkIsBackedUpAsTheFileItPointsTo) {
    if (!HostBuild()) GTEST_SKIP() << "Wine makes no file links";
    JobTree t(3);
    WriteDated(t.tree.Path(L"elsewhere\\Bericht.txt"), "erste Fassung", kOld);
    t.tree.Mkdir(L"src");
    const std::filesystem::path src(HostPathOf(t.src));
    std::filesystem::create_symlink(HostPathOf(t.tree.Path(L"elsewhere\\Bericht.txt")), src / "Bericht.txt");
    std::filesystem::create_symlink(src / "weg.txt", src / "Verloren.txt");
    ASSERT_TRUE(plat::SetModified(t.src + L"Bericht.txt", kNew));  // the link's own date

    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"Bericht.txt"), "erste Fassung");
    EXPECT_EQ(DateOf(t.dst + L"Bericht.txt"), kOld);
    EXPECT_EQ(LogLines(core::kLogHint),
              std::vector<std::wstring>{L"Achtung, nicht kopiert - Verknüpfung ohne Ziel: " + t.src + L"Verloren.txt"});
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);

    SyncAgain(t);
    EXPECT_EQ(TestRun().tally.FilesCopied, 0);
    EXPECT_FALSE(Exists(t.dst + L"@\\Bericht.txt"));

    WriteDated(t.tree.Path(L"elsewhere\\Bericht.txt"), "zweite Fassung", kNew - kDay);
    SyncAgain(t);
    EXPECT_EQ(TestRun().tally.FilesCopied, 1);
    EXPECT_EQ(ReadAll(t.dst + L"Bericht.txt"), "zweite Fassung");
    EXPECT_EQ(ReadAll(t.dst + L"@\\Bericht.txt"), "erste Fassung");
}

// CopyFileExW refuses an encrypted file where the destination cannot
// encrypt (ERROR_ENCRYPTION_FAILED); it is stored decrypted, and the job
// says so once, with the count.
TEST_F(EngineFileKinds, EncryptedFilesStoredDecryptedAreCountedInOneHint) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "a", kNew);
    WriteDated(t.src + L"sub\\geheim.txt", "geheim", kNew);
    WriteDated(t.src + L"z.txt", "z", kNew);
    plat::InjectFault(plat::FaultOp::Copy, 2, plat::kErrEncryptionFailed);
    t.Sync();
    EXPECT_TRUE(FaultFired(plat::FaultOp::Copy, 2));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(TestRun().tally.FilesCopied, 3);
    EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
    EXPECT_EQ(
        LogLines(core::kLogHint),
        std::vector<std::wstring>{
            L"1 verschlüsselte Dateien unverschlüsselt gespeichert - das Ziel kann nicht verschlüsseln: " + t.dst});
}

// A FAT32 destination holds no file of 4 GiB or more: such a file is a
// clear copy error without a copy being tried, and the old copy of one that
// grew stays in place, not archived. The copy's own ERROR_FILE_TOO_LARGE
// gives the same text.
TEST_F(EngineFileKinds, FilesTooLargeForTheDestinationAreClearErrors) {
    JobTree t(3);
    WriteDated(t.src + L"klein.txt", "klein", kNew);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrFileTooLarge);
    t.Sync();
    EXPECT_EQ(LogLines(core::kLogError),
              std::vector<std::wstring>{L"Kopierfehler: " + t.src + L"klein.txt" + kTooLarge});

    if (!plat::SetDriveFileSystemForTest(t.dst.substr(0, 2), L"FAT32")) return;         // Windows answers for itself
    std::filesystem::resize_file(HostPathOf(t.src + L"klein.txt"), uint64_t{1} << 32);  // sparse: takes no room
    ASSERT_TRUE(plat::SetModified(t.src + L"klein.txt", kNew));
    WriteDated(t.dst + L"klein.txt", "alte Kopie", kOld);
    WriteDated(t.src + L"neu.bin", "", kNew);
    std::filesystem::resize_file(HostPathOf(t.src + L"neu.bin"), (uint64_t{1} << 32) + 1);
    // A copy tried would fail here with another text.
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrWriteFault, true);
    SyncAgain(t);
    EXPECT_FALSE(FaultFired(plat::FaultOp::Copy, 1));
    EXPECT_EQ(LogLines(core::kLogError),
              (std::vector<std::wstring>{L"Kopierfehler: " + t.src + L"klein.txt" + kTooLarge,
                                         L"Kopierfehler: " + t.src + L"neu.bin" + kTooLarge}));
    EXPECT_EQ(ReadAll(t.dst + L"klein.txt"), "alte Kopie");
    EXPECT_FALSE(Exists(t.dst + L"@\\klein.txt"));
    EXPECT_FALSE(Exists(t.dst + L"neu.bin"));
}

}  // namespace
