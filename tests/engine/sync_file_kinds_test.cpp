// Files as Windows has them: file links, encrypted files, FAT32's limit.
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

// A listing gives a file link its own date and size 0, the copy copies its
// file: it is backed up as that file, copied once and again when the file
// changes; one leading nowhere is a hint. Only the portable layer makes file
// links (Wine's CreateSymbolicLinkW makes none) and lists them as Windows.
TEST_F(EngineFileKinds, AFileLinkIsBackedUpAsTheFileItPointsTo) {
    if (!HostBuild()) GTEST_SKIP() << "Wine makes no file links";
    JobTree t(3);
    const std::wstring target = t.tree.Path(L"elsewhere\\Bericht.txt");
    WriteDated(target, "erste Fassung", kOld);
    t.tree.Mkdir(L"src");
    const std::filesystem::path src(HostPathOf(t.src));
    std::filesystem::create_symlink(HostPathOf(target), src / "Bericht.txt");
    std::filesystem::create_symlink(src / "weg.txt", src / "Verloren.txt");
    ASSERT_TRUE(plat::SetModified(t.src + L"Bericht.txt", kNew));  // the link's own date
    for (int run = 0; run < 3; ++run) {
        if (run == 2) WriteDated(target, "zweite Fassung", kNew - kDay);
        SyncAgain(t);
        EXPECT_EQ(TestRun().tally.FilesCopied, run == 1 ? 0 : 1);
        EXPECT_EQ(DateOf(t.dst + L"Bericht.txt"), run == 2 ? kNew - kDay : kOld);
        EXPECT_EQ(
            LogLines(core::kLogHint),
            std::vector<std::wstring>{L"Achtung, nicht kopiert - Verknüpfung ohne Ziel: " + t.src + L"Verloren.txt"});
    }
    EXPECT_EQ(AllContents(t.dst), (std::vector<std::string>{"erste Fassung", "zweite Fassung"}));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
}

// An encrypted file where the destination cannot encrypt fails with
// ERROR_ENCRYPTION_FAILED; it is stored decrypted, counted in one hint.
TEST_F(EngineFileKinds, EncryptedFilesStoredDecryptedAreCountedInOneHint) {
    JobTree t(3);
    for (const wchar_t* name : {L"a.txt", L"sub\\geheim.txt", L"z.txt"}) WriteDated(t.src + name, "x", kNew);
    plat::InjectFault(plat::FaultOp::Copy, 2, plat::kErrEncryptionFailed);
    t.Sync();
    EXPECT_TRUE(FaultFired(plat::FaultOp::Copy, 2));
    EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(
        LogLines(core::kLogHint),
        std::vector<std::wstring>{
            L"1 verschlüsselte Dateien unverschlüsselt gespeichert - das Ziel kann nicht verschlüsseln: " + t.dst});
}

// ERROR_FILE_TOO_LARGE from a copy is a clear text; on FAT32 a file of
// 4 GiB or more gets it without a copy tried, and the old copy of one that
// grew stays, not archived.
TEST_F(EngineFileKinds, FilesTooLargeForTheDestinationAreClearErrors) {
    JobTree t(3);
    WriteDated(t.src + L"gross.bin", "klein", kNew);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrFileTooLarge);
    t.Sync();
    const std::wstring line = L"Kopierfehler: " + t.src;
    EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{line + L"gross.bin" + kTooLarge});

    if (!plat::SetDriveFileSystemForTest(t.dst.substr(0, 2), L"FAT32")) return;  // Windows answers for itself
    WriteDated(t.dst + L"gross.bin", "alte Kopie", kOld);
    WriteDated(t.src + L"neu.bin", "", kNew);
    for (const wchar_t* name : {L"gross.bin", L"neu.bin"}) {  // sparse: no room taken
        std::filesystem::resize_file(HostPathOf(t.src + name), uint64_t{1} << 32);
        ASSERT_TRUE(plat::SetModified(t.src + name, kNew));
    }
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrWriteFault, true);  // a copy tried fails otherwise
    SyncAgain(t);
    EXPECT_FALSE(FaultFired(plat::FaultOp::Copy, 1));
    EXPECT_EQ(LogLines(core::kLogError),
              (std::vector<std::wstring>{line + L"gross.bin" + kTooLarge, line + L"neu.bin" + kTooLarge}));
    EXPECT_EQ(AllContents(t.dst), std::vector<std::string>{"alte Kopie"});
}

}  // namespace
