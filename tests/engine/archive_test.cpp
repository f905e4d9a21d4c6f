// The archive folder: slot names, the slot scan, the interval rule, setting
// aside and purging, and failures of the moves.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/state.h"
#include "engine/archive.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

using namespace testing_support;
using engine::ArchiveEntry;
using engine::ArchiveMode;
using engine::ArchiveOutcome;

namespace {

struct EngineArchive : testing::Test {
    TempTree tree;
    std::wstring arc;    // the archive directory
    std::wstring aside;  // where its full slots' oldest versions wait
    std::wstring dest;
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        arc = tree.Path(L"@\\");
        aside = tree.Path(L"@\\@\\");
        dest = tree.Path(L"");
        tree.Mkdir(L"@");
    }
    // A destination file dated `date`.
    std::wstring DestFile(const std::wstring& name, const std::string& bytes, int64_t date) {
        WriteDated(dest + name, bytes, date);
        return dest + name;
    }
    void Slot(const std::wstring& name, const std::string& bytes, int64_t date) { WriteDated(arc + name, bytes, date); }
    // ArchiveEntry into archiveDir: the slot taken ("" when none), and what
    // happened.
    std::wstring Archive(const std::wstring& path, const std::wstring& archiveDir, int32_t versions, int32_t interval,
                         ArchiveMode mode, ArchiveOutcome* outcome = nullptr) {
        const engine::ArchiveResult result =
            ArchiveEntry(PlaceFor(archiveDir, aside, versions, interval), path, mode, TestRun().tally, TestAside());
        if (outcome) *outcome = result.outcome;
        return result.slot;
    }
    void Purge() { engine::PurgeSetAside(TestAside(), PlaceFor(arc, aside, 1, 0).logMoves); }
};

TEST(EngineArchiveNames, SlotNamesSplitAtTheLastDot) {
    std::wstring base, ext;
    engine::SplitSlotName(L"Bericht.docx", base, ext);
    EXPECT_EQ(base, L"Bericht");
    EXPECT_EQ(ext, L".docx");
    EXPECT_EQ(engine::ArchiveSlotName(L"A\\@\\", base, 0, ext), L"A\\@\\Bericht.docx");
    EXPECT_EQ(engine::ArchiveSlotName(L"A\\@\\", base, 2, ext), L"A\\@\\Bericht2.docx");
    engine::SplitSlotName(L"Makefile", base, ext);
    EXPECT_EQ(engine::ArchiveSlotName(L"", base, 1, ext), L"Makefile1");
    engine::SplitSlotName(L"archiv.tar.gz", base, ext);
    EXPECT_EQ(engine::ArchiveSlotName(L"", base, 12, ext), L"archiv.tar12.gz");
    engine::SplitSlotName(L"Fotos.2012", base, ext);
    EXPECT_EQ(engine::ArchiveSlotName(L"", base, 1, ext), L"Fotos1.2012");
}

TEST_F(EngineArchive, FirstVersionTakesSlotZeroAndKeepsItsDate) {
    std::wstring file = DestFile(L"Bericht.docx", "v1", kTestNow - 10 * kDay);
    ArchiveOutcome outcome = ArchiveOutcome::Failed;
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Replace, &outcome), arc + L"Bericht.docx");
    EXPECT_EQ(outcome, ArchiveOutcome::Moved);
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(ReadAll(arc + L"Bericht.docx"), "v1");
    EXPECT_EQ(DateOf(arc + L"Bericht.docx"), kTestNow - 10 * kDay);
    EXPECT_TRUE(LogLines(core::kLogNormal).empty()) << "no Archiviere line without GLogExt";
}

TEST_F(EngineArchive, FullSetReusesTheOldestSlotAndPurgesItAfterwards) {
    core::S().settings.GLogExt = 1;
    Slot(L"Bericht.docx", "s0", kTestNow - 10 * kDay);
    Slot(L"Bericht1.docx", "s1", kTestNow - 50 * kDay);
    Slot(L"Bericht2.docx", "s2", kTestNow - 30 * kDay);
    std::wstring file = DestFile(L"Bericht.docx", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Replace), arc + L"Bericht1.docx");
    EXPECT_EQ(ReadAll(arc + L"Bericht1.docx"), "cur");
    EXPECT_EQ(ReadAll(aside + L"Bericht1.docx.arc2del"), "s1");
    ASSERT_EQ(TestAside().list.size(), 1u);
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Archiviere: " + file + L" -> " + arc + L"Bericht1.docx"));

    Purge();
    EXPECT_FALSE(Exists(aside + L"Bericht1.docx.arc2del"));
    EXPECT_TRUE(TestAside().list.empty());
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Temp. Archivältester gelöscht: " + aside + L"Bericht1.docx.arc2del"));
    EXPECT_EQ(ReadAll(arc + L"Bericht.docx"), "s0");
    EXPECT_EQ(ReadAll(arc + L"Bericht2.docx"), "s2");
}

TEST_F(EngineArchive, ScanStopsAtTheFirstGap) {
    Slot(L"a.txt", "s0", kTestNow - 10 * kDay);
    Slot(L"a2.txt", "s2", kTestNow - 90 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Replace), arc + L"a1.txt");
    EXPECT_EQ(ReadAll(arc + L"a2.txt"), "s2") << "the older slot behind the gap is not looked at";
    EXPECT_TRUE(TestAside().list.empty());
}

TEST_F(EngineArchive, EqualDatesGiveTheLowestSlot) {
    for (const wchar_t* name : {L"a.txt", L"a1.txt", L"a2.txt"}) Slot(name, "old", kTestNow - 5 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Replace), arc + L"a.txt");
}

TEST_F(EngineArchive, SlotDatedAfterNowIsNeverTheOldest) {
    Slot(L"a.txt", "s0", kTestNow + 100);
    Slot(L"a1.txt", "s1", kTestNow + 50);
    Slot(L"a2.txt", "s2", kTestNow + 200);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    // The earliest of them (slot 1) lies in the future too, so slot 0 stays
    // the choice.
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Vanished), arc + L"a.txt");
    EXPECT_EQ(ReadAll(arc + L"a1.txt"), "s1");

    Slot(L"b.txt", "s0", kTestNow + 100);
    Slot(L"b1.txt", "s1", kTestNow - 3 * kDay);
    Slot(L"b2.txt", "s2", kTestNow - 2 * kDay);
    file = DestFile(L"b.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Vanished), arc + L"b1.txt");
}

TEST_F(EngineArchive, OneVersionReplacesThePrevious) {
    Slot(L"a.txt", "old", kTestNow - 5 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 1, 0, ArchiveMode::Replace), arc + L"a.txt");
    EXPECT_EQ(ReadAll(arc + L"a.txt"), "cur");
    Purge();
    EXPECT_FALSE(Exists(aside + L"a.txt.arc2del"));
}

TEST_F(EngineArchive, UnlimitedVersionsAddSlotsWithoutSettingAside) {
    Slot(L"a.txt", "s0", kTestNow - 9 * kDay);
    for (int i = 1; i < 6; ++i) Slot(L"a" + std::to_wstring(i) + L".txt", "s", kTestNow - 9 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, -1, 0, ArchiveMode::Replace), arc + L"a6.txt");
    EXPECT_TRUE(TestAside().list.empty());
    EXPECT_EQ(engine::kUnlimitedVersions, 2147483640);
}

TEST_F(EngineArchive, IntervalSevenDaysAgainstNewestVersion) {
    const int64_t fileDate = kTestNow - kDay;
    Slot(L"a.txt", "v-3d", fileDate - 3 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", fileDate);
    ArchiveOutcome outcome = ArchiveOutcome::Moved;
    EXPECT_EQ(Archive(file, arc, 5, 7, ArchiveMode::Replace, &outcome), L"");
    EXPECT_EQ(outcome, ArchiveOutcome::WithinInterval) << "within the interval: no new version, not a failure";
    EXPECT_TRUE(Exists(file));

    Slot(L"b.txt", "v-7d", fileDate - 7 * kDay);
    file = DestFile(L"b.txt", "cur", fileDate);
    EXPECT_EQ(Archive(file, arc, 5, 7, ArchiveMode::Replace, &outcome), arc + L"b1.txt");
    EXPECT_EQ(outcome, ArchiveOutcome::Moved);
}

TEST_F(EngineArchive, VanishedFileIgnoresTheInterval) {
    Slot(L"a.txt", "v-1d", kTestNow - 2 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 5, 7, ArchiveMode::Vanished), arc + L"a1.txt");
}

TEST_F(EngineArchive, WithoutIntervalANewerArchivedVersionDoesNotCostTheFile) {
    // A version newer than the file being replaced (for instance one the user
    // restored from the archive): the file still gets its own version.
    Slot(L"a.txt", "newer", kTestNow - kDay);
    std::wstring file = DestFile(L"a.txt", "older", kTestNow - 20 * kDay);
    EXPECT_EQ(Archive(file, arc, 5, 0, ArchiveMode::Replace), arc + L"a1.txt");
    EXPECT_EQ(ReadAll(arc + L"a1.txt"), "older");
}

TEST_F(EngineArchive, OffOrCancelledMovesNothing) {
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    ArchiveOutcome outcome = ArchiveOutcome::Moved;
    EXPECT_EQ(Archive(file, arc, 0, 0, ArchiveMode::Vanished, &outcome), L"");
    EXPECT_EQ(outcome, ArchiveOutcome::Off);
    engine::R().CancelRequested = 1;
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Vanished, &outcome), L"");
    EXPECT_EQ(outcome, ArchiveOutcome::Off);
    EXPECT_TRUE(Exists(file));
    EXPECT_FALSE(Exists(arc + L"a.txt"));
}

TEST_F(EngineArchive, DirectoryMovesWholeUnderItsSplitName) {
    WriteDated(dest + L"Fotos.2012\\x.jpg", "x", kTestNow - 9 * kDay);
    WriteDated(dest + L"Fotos.2012\\tief\\y.jpg", "y", kTestNow - 9 * kDay);
    Slot(L"Fotos.2012\\alt.jpg", "alt", kTestNow - 20 * kDay);
    EXPECT_EQ(Archive(dest + L"Fotos.2012", arc, 3, 0, ArchiveMode::Vanished), arc + L"Fotos1.2012");
    EXPECT_EQ(ReadAll(arc + L"Fotos1.2012\\tief\\y.jpg"), "y");
    EXPECT_FALSE(Exists(dest + L"Fotos.2012"));
}

TEST_F(EngineArchive, SetAsideDirectoryIsPurgedWithReadOnlyFiles) {
    WriteDated(arc + L"D\\ro.txt", "ro", kTestNow - 20 * kDay);
    ASSERT_TRUE(plat::SetAttributes(arc + L"D\\ro.txt", plat::kAttrReadOnly));
    ASSERT_TRUE(plat::SetModified(arc + L"D", kTestNow - 20 * kDay));
    WriteDated(dest + L"D\\neu.txt", "neu", kTestNow - kDay);
    EXPECT_EQ(Archive(dest + L"D", arc, 1, 0, ArchiveMode::Vanished), arc + L"D");
    EXPECT_TRUE(Exists(aside + L"D.arc2del\\ro.txt"));
    Purge();
    EXPECT_FALSE(Exists(aside + L"D.arc2del"));
    EXPECT_EQ(ReadAll(arc + L"D\\neu.txt"), "neu");
}

TEST_F(EngineArchive, ReadOnlySetAsideFileIsPurged) {
    Slot(L"a.txt", "old", kTestNow - 5 * kDay);
    ASSERT_TRUE(plat::SetAttributes(arc + L"a.txt", plat::kAttrReadOnly));
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 1, 0, ArchiveMode::Replace), arc + L"a.txt");
    Purge();
    EXPECT_FALSE(Exists(aside + L"a.txt.arc2del"));
}

TEST_F(EngineArchive, LeftoverInTheSetAsideFolderIsReplacedAUserSlotIsNot) {
    Slot(L"a.txt", "old", kTestNow - 5 * kDay);
    WriteDated(aside + L"a.txt.arc2del", "leftover", kTestNow - 50 * kDay);
    // The slot of an archived user file "a.txt.arc2del": never a leftover.
    Slot(L"a.txt.arc2del", "user", kTestNow - 50 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 1, 0, ArchiveMode::Replace), arc + L"a.txt");
    EXPECT_EQ(ReadAll(aside + L"a.txt.arc2del"), "old");
    Purge();
    EXPECT_EQ(ReadAll(arc + L"a.txt.arc2del"), "user");
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
}

TEST_F(EngineArchive, FailedSetAsideDeletesTheOldestAtOnce) {
    Slot(L"a.txt", "old", kTestNow - 5 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    plat::InjectFault(plat::FaultOp::Move, 1, plat::kErrWriteProtect);  // the rename to ".arc2del"
    EXPECT_EQ(Archive(file, arc, 1, 0, ArchiveMode::Replace), arc + L"a.txt");
    EXPECT_EQ(ReadAll(arc + L"a.txt"), "cur");
    EXPECT_FALSE(Exists(aside + L"a.txt.arc2del"));
    EXPECT_TRUE(TestAside().list.empty());
    EXPECT_TRUE(LogHas(core::kLogHint,
                       L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte " + arc + L"a.txt gelöscht"));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0) << "a hint, not an error";
}

TEST_F(EngineArchive, FailedMoveIsAnErrorAndKeepsEverything) {
    Slot(L"a.txt", "old", kTestNow - 5 * kDay);
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    plat::InjectFault(plat::FaultOp::Move, 2, plat::kErrWriteProtect);  // the move into the slot
    ArchiveOutcome outcome = ArchiveOutcome::Moved;
    EXPECT_EQ(Archive(file, arc, 1, 0, ArchiveMode::Replace, &outcome), L"");
    EXPECT_EQ(outcome, ArchiveOutcome::Failed);
    EXPECT_TRUE(LogHas(core::kLogError, Because(L"Archivieren fehlgeschlagen: " + file + L" -> " + arc + L"a.txt",
                                                plat::kErrWriteProtect)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    // The version set aside for the move went back into its slot.
    EXPECT_EQ(ReadAll(arc + L"a.txt"), "old");
    EXPECT_EQ(ReadAll(file), "cur");
    EXPECT_TRUE(TestAside().list.empty());
    Purge();
    EXPECT_EQ(ReadAll(arc + L"a.txt"), "old");
}

TEST_F(EngineArchive, MissingArchiveDirectoryFailsTheMove) {
    std::wstring file = DestFile(L"a.txt", "cur", kTestNow - kDay);
    ArchiveOutcome outcome = ArchiveOutcome::Moved;
    EXPECT_EQ(Archive(file, dest + L"@\\fehlt\\", 3, 0, ArchiveMode::Vanished, &outcome), L"");
    EXPECT_EQ(outcome, ArchiveOutcome::Failed);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_TRUE(Exists(file));
}

TEST_F(EngineArchive, SharedSlotNamesAreCountedAsOccupied) {
    // Slot 1 of a.txt is slot 0 of a1.txt.
    Slot(L"a.txt", "a-old", kTestNow - 5 * kDay);
    std::wstring file = DestFile(L"a1.txt", "a1", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Vanished), arc + L"a1.txt");
    file = DestFile(L"a.txt", "a-cur", kTestNow - kDay);
    EXPECT_EQ(Archive(file, arc, 3, 0, ArchiveMode::Vanished), arc + L"a2.txt");
}

// Purging a set-aside directory never follows a link out of the archive.
TEST_F(EngineArchive, PurgeNeverFollowsALink) {
    if (!plat::PortableLayer()) GTEST_SKIP() << "links are made with host calls";
    WriteDated(tree.Path(L"outside\\keep.txt"), "keep", kTestNow - kDay);
    WriteDated(arc + L"D\\x.txt", "x", kTestNow - 20 * kDay);
    std::error_code error;
    std::filesystem::create_directory_symlink(HostPathOf(tree.Path(L"outside")), HostPathOf(arc + L"D\\link"), error);
    ASSERT_FALSE(error) << error.message();
    WriteDated(dest + L"D\\neu.txt", "neu", kTestNow - kDay);
    ASSERT_TRUE(plat::SetModified(arc + L"D", kTestNow - 20 * kDay));
    EXPECT_EQ(Archive(dest + L"D", arc, 1, 0, ArchiveMode::Vanished), arc + L"D");
    Purge();
    EXPECT_FALSE(Exists(aside + L"D.arc2del"));
    EXPECT_EQ(ReadAll(tree.Path(L"outside\\keep.txt")), "keep");
}

}  // namespace
