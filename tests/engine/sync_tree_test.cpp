// Mirroring trees: new, replaced and vanished entries, the "@" tree, the
// attribute reset, "@" in the source, names changed only in case, failures
// of listing and creating directories, GLogExt and cancel between entries.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

struct EngineSync : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

TEST_F(EngineSync, FirstCopyMirrorsTheTreeAndRepeatsItUnderTheArchive) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "A", kNew);
    WriteDated(t.src + L"sub\\b.txt", "BB", kNew);
    WriteDated(t.src + L"sub\\deep\\c.txt", "CCC", kNew);
    t.tree.Mkdir(L"src\\empty");
    t.Sync();

    auto mirror = Snapshot(t.dst, true);
    auto source = Snapshot(t.src);
    EXPECT_EQ(mirror, source);
    for (const wchar_t* dir : {L"@\\", L"@\\sub\\", L"@\\sub\\deep\\", L"@\\empty\\"})
        EXPECT_TRUE(plat::DirExists(t.dst + dir)) << "archive directory " << testing::PrintToString(dir);
    EXPECT_EQ(Snapshot(t.dst + L"@").size(), 3u) << "only empty directories in the archive";

    const engine::RunTally& run = TestRun().tally;
    EXPECT_EQ(run.FilesCopied, 3);
    EXPECT_EQ(run.BytesCopied, 6);
    EXPECT_EQ(run.EntriesDone, 6) << "files and directories alike";
    EXPECT_EQ(run.JobEntriesDone, 6);
    // Each directory with copies is named once, before its first copy.
    auto messages = LogLines(core::kLogNormal);
    std::vector<std::wstring> expected = {t.src, t.src + L"sub\\", t.src + L"sub\\deep\\"};
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(Recorded().copiedMB.back(), L"0");
    EXPECT_EQ(Recorded().fileSizeMB.back(), L"0");
    EXPECT_EQ(Recorded().statusLines.front(), t.src);
}

TEST_F(EngineSync, ExtendedLogNamesEveryCopyAndArchiving) {
    JobTree t(3);
    core::S().settings.GLogExt = 1;
    WriteDated(t.src + L"a.txt", "A", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    WriteDated(t.src + L"sub\\b.txt", "B", kNew);
    t.Sync();
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Kopiere: " + t.src + L"a.txt"));
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Kopiere: " + t.src + L"sub\\b.txt"));
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Archiviere: " + t.dst + L"a.txt -> " + t.dst + L"@\\a.txt"));
    EXPECT_FALSE(LogHas(core::kLogNormal, t.src)) << "no directory line with the extended log";
}

TEST_F(EngineSync, ReplacedFileIsArchivedWithItsDate) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "new");
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "old");
    EXPECT_EQ(DateOf(t.dst + L"@\\a.txt"), kOld);
    EXPECT_TRUE(TestAside().list.empty());
}

TEST_F(EngineSync, VanishedFilesAndDirectoriesGoToTheArchive) {
    JobTree t(3);
    WriteDated(t.src + L"keep.txt", "k", kOld);
    WriteDated(t.dst + L"keep.txt", "k", kOld);
    WriteDated(t.dst + L"gone.txt", "g", kOld);
    WriteDated(t.dst + L"Fotos.2012\\x.jpg", "x", kOld);
    WriteDated(t.dst + L"sub\\gone2.txt", "g2", kOld);
    t.tree.Mkdir(L"src\\sub");
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"gone.txt"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\gone.txt"), "g");
    EXPECT_EQ(ReadAll(t.dst + L"@\\Fotos.2012\\x.jpg"), "x");
    EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\gone2.txt"), "g2");
    EXPECT_EQ(ReadAll(t.dst + L"keep.txt"), "k");
    EXPECT_EQ(TestRun().tally.FilesCopied, 0);
}

TEST_F(EngineSync, WithoutArchiveNothingIsEverDeleted) {
    JobTree t(0);
    WriteDated(t.dst + L"gone.txt", "g", kOld);
    WriteDated(t.dst + L"dir\\x.txt", "x", kOld);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"gone.txt"), "g");
    EXPECT_EQ(ReadAll(t.dst + L"dir\\x.txt"), "x");
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "new");
    EXPECT_FALSE(Exists(t.dst + L"@"));
}

TEST_F(EngineSync, NormalModeResetsAttributesItModesKeepThem) {
    JobTree t(3);
    WriteDated(t.src + L"ro.txt", "r", kNew);
    ASSERT_TRUE(plat::SetAttributes(t.src + L"ro.txt", plat::kAttrReadOnly | plat::kAttrHidden));
    t.Sync();
    EXPECT_EQ(plat::GetAttributes(t.dst + L"ro.txt"), plat::kAttrArchive);

    JobTree it(3);
    TestRun().options.itJobMode = engine::ItJobMode::Manual;
    WriteDated(it.src + L"ro.txt", "r", kNew);
    ASSERT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrReadOnly));
    it.Sync();
    EXPECT_TRUE(plat::GetAttributes(it.dst + L"ro.txt") & plat::kAttrReadOnly);
    EXPECT_TRUE(plat::SetAttributes(it.dst + L"ro.txt", plat::kAttrNormal));
    EXPECT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrNormal));
}

// An IT-job copy keeps read-only, and Windows refuses to replace a read-only
// file: without room made first, every later copy of it failed with error 5.
TEST_F(EngineSync, ItModesReplaceTheirOwnReadOnlyCopies) {
    for (engine::ItJobMode mode : {engine::ItJobMode::Manual, engine::ItJobMode::Forced}) {
        JobTree it(0);  // no archive move to make room
        TestRun().options.itJobMode = mode;
        WriteDated(it.src + L"ro.txt", "r", kOld);
        ASSERT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrReadOnly));
        it.Sync();
        ASSERT_TRUE(plat::GetAttributes(it.dst + L"ro.txt") & plat::kAttrReadOnly);
        ASSERT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrNormal));
        WriteDated(it.src + L"ro.txt", "changed", kNew);
        ASSERT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrReadOnly));
        it.Sync();
        EXPECT_EQ(ReadAll(it.dst + L"ro.txt"), "changed") << static_cast<int>(mode);
        EXPECT_TRUE(plat::GetAttributes(it.dst + L"ro.txt") & plat::kAttrReadOnly);
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_TRUE(plat::SetAttributes(it.dst + L"ro.txt", plat::kAttrNormal));
        EXPECT_TRUE(plat::SetAttributes(it.src + L"ro.txt", plat::kAttrNormal));
    }
}

TEST_F(EngineSync, ArchiveInSourceRootIsRefused) {
    JobTree t(3);
    WriteDated(t.src + L"@\\x.txt", "x", kNew);
    WriteDated(t.src + L"sub\\@\\y.txt", "y", kNew);
    t.Sync();
    EXPECT_FALSE(Exists(t.dst + L"@\\x.txt"));
    EXPECT_TRUE(LogHas(core::kLogError,
                       L"Verzeichnis @ in Root von Quelle nicht erlaubt! Wird nicht kopiert: " + t.src + L"@"));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_EQ(ReadAll(t.dst + L"sub\\@\\y.txt"), "y") << "deeper down \"@\" is an ordinary directory";
    EXPECT_EQ(TestRun().tally.EntriesDone, 3) << "sub, sub\\@ and y.txt";

    // Its copy is never taken for a vanished entry.
    ASSERT_TRUE(plat::RemoveTree(t.src + L"sub\\@"));
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"sub\\@\\y.txt"), "y");
}

TEST_F(EngineSync, ArchiveInSourceRootIsAHintInItModes) {
    for (engine::ItJobMode mode : {engine::ItJobMode::Manual, engine::ItJobMode::Forced}) {
        JobTree t(3);
        TestRun().options.itJobMode = mode;
        logs::ResetLogState();
        ClearRunErrors();
        WriteDated(t.src + L"@\\x.txt", "x", kNew);
        WriteDated(t.src + L"a.txt", "a", kNew);
        t.Sync();
        EXPECT_TRUE(LogHas(core::kLogHint, L"Wird nicht kopiert: " + t.src + L"@"));
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_TRUE(LogLines(core::kLogError).empty());
        EXPECT_FALSE(Exists(t.dst + L"@")) << "no archive and no copy of the source's @";
        EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "a");
    }
}

// A name changed only in case pairs with its mirror entry, which takes the
// source's spelling by a rename: nothing is copied or archived for that.
// In a verify run the equal pairs are compared under the new spelling.
TEST_F(EngineSync, NamesDifferingOnlyInCasePairAndTakeTheSourceSpelling) {
    JobTree t(3);
    WriteDated(t.src + L"Foto.JPG", "new", kNew);
    WriteDated(t.dst + L"foto.jpg", "old", kOld);
    WriteDated(t.src + L"Same.txt", "s", kOld);
    WriteDated(t.dst + L"SAME.TXT", "s", kOld);
    WriteDated(t.src + L"Docs\\d.txt", "d", kNew);
    WriteDated(t.dst + L"docs\\d.txt", "d-old", kOld);
    WriteDated(t.src + L"Fotos\\x.txt", "x", kOld);
    WriteDated(t.dst + L"FOTOS\\x.txt", "x", kOld);
    TestRun().options.Verify = true;
    t.Sync();
    auto mirror = Snapshot(t.dst, true);
    const std::map<std::wstring, std::string> expected = {{L"Docs\\", ""},        {L"Docs\\d.txt", "d"},
                                                          {L"Foto.JPG", "new"},   {L"Fotos\\", ""},
                                                          {L"Fotos\\x.txt", "x"}, {L"Same.txt", "s"}};
    EXPECT_EQ(mirror, expected) << "no second entry beside a paired one";
    EXPECT_EQ(AllContents(t.dst + L"@"), std::vector<std::string>({"d-old", "old"}));
    EXPECT_EQ(TestRun().tally.FilesCopied, 2);
    EXPECT_EQ(TestRun().tally.FilesVerified, 2);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
}

TEST_F(EngineSync, SourceDirectoryAgainstDestinationFile) {
    JobTree t(3);
    WriteDated(t.src + L"x\\in.txt", "in", kNew);
    WriteDated(t.dst + L"x", "file", kOld);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(ReadAll(t.dst + L"x\\in.txt"), "in");
    // Archived as vanished into slot 0, then moved on to slot 1 to make room
    // for the new folder's archive directory.
    EXPECT_EQ(ReadAll(t.dst + L"@\\x1"), "file");
    EXPECT_TRUE(plat::DirExists(t.dst + L"@\\x"));
}

TEST_F(EngineSync, SourceFileAgainstDestinationDirectory) {
    JobTree t(3);
    WriteDated(t.src + L"x", "file", kNew);
    WriteDated(t.dst + L"x\\in.txt", "in", kOld);
    ASSERT_TRUE(plat::SetModified(t.dst + L"x", kOld));
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"x"), "file");
    EXPECT_EQ(ReadAll(t.dst + L"@\\x\\in.txt"), "in");
}

TEST_F(EngineSync, UnlistableSourceAndUncreatableDestination) {
    JobTree t(0);
    SyncAs(t.sid, t.src + L"fehlt", t.dst + L"fehlt");
    EXPECT_TRUE(LogHas(core::kLogError, Because(L"Konnte Verzeichnis<" + t.src + L"fehlt\\> nicht untersuchen!",
                                                plat::kErrPathNotFound)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_FALSE(Exists(t.dst + L"fehlt"));

    WriteDated(t.src + L"a.txt", "a", kNew);
    SyncAs(t.sid, t.src, t.dst + L"nicht\\da");
    EXPECT_TRUE(LogHas(core::kLogError, Because(L"Konnte Verzeichnis nicht erstellen: <" + t.dst + L"nicht\\da\\>",
                                                plat::kErrPathNotFound)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 2);

    SyncAs(t.sid, t.src, t.dst + L"neu");
    EXPECT_EQ(ReadAll(t.dst + L"neu\\a.txt"), "a") << "one missing level is created";
    EXPECT_EQ(TestRun().tally.RunErrorCount, 2);
}

TEST_F(EngineSync, DestinationListedOnlyAfterCreation) {
    JobTree t(0);
    WriteDated(t.src + L"a.txt", "a", kNew);
    // Source listed, destination missing, created, and then its listing fails.
    plat::InjectFault(plat::FaultOp::List, 3, plat::kErrAccessDenied);
    SyncAs(t.sid, t.src, t.dst + L"neu");
    EXPECT_TRUE(LogHas(core::kLogError,
                       Because(L"Konnte Verzeichnis<" + t.dst + L"neu\\> nicht untersuchen!", plat::kErrAccessDenied)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_FALSE(Exists(t.dst + L"neu\\a.txt"));
}

TEST_F(EngineSync, ArchiveDirectoryThatCannotBeMadeKeepsTheReplacedFile) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    WriteDated(t.src + L"b.txt", "b", kNew);
    plat::InjectFault(plat::FaultOp::CreateDir, 1, plat::kErrAccessDenied);
    t.Sync();
    EXPECT_TRUE(LogHas(core::kLogError, Because(L"Konnte Archivverzeichnis nicht erstellen: " + t.dst + L"@\\",
                                                plat::kErrAccessDenied)));
    EXPECT_TRUE(LogHas(
        core::kLogError,
        Because(L"Archivieren fehlgeschlagen: " + t.dst + L"a.txt -> " + t.dst + L"@\\a.txt", plat::kErrPathNotFound)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 2);
    // The old version could not be kept, so it is not overwritten.
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "old");
    EXPECT_EQ(ReadAll(t.dst + L"b.txt"), "b") << "the run goes on";
    EXPECT_EQ(CountLogPrefix(core::kLogError, L"Kopierfehler: "), 0u);
}

TEST_F(EngineSync, CancelBeforeTheFirstEntryTouchesNothing) {
    JobTree t(3);
    WriteDated(t.src + L"a.txt", "new", kNew);
    WriteDated(t.dst + L"a.txt", "old", kOld);
    WriteDated(t.dst + L"gone.txt", "g", kOld);
    Recorded().cancelAtDrain = 1;
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "old");
    EXPECT_EQ(ReadAll(t.dst + L"gone.txt"), "g") << "no vanished archiving after a cancel";
    EXPECT_EQ(TestRun().tally.EntriesDone, 1);
    EXPECT_EQ(TestRun().tally.FilesCopied, 0);
}

TEST_F(EngineSync, CancelInASubdirectoryEndsTheParentsToo) {
    JobTree t(3);
    WriteDated(t.src + L"a\\x.txt", "x", kNew);
    WriteDated(t.src + L"a\\y.txt", "y", kNew);
    WriteDated(t.src + L"b.txt", "b", kNew);
    WriteDated(t.dst + L"gone.txt", "g", kOld);
    // Drains: 1 = entry "a", 2 = x.txt (copy drains only on hosts that report
    // progress, so cancel at the entry drain of y.txt found by counting).
    static int cancelled = 0;
    cancelled = 0;
    Recorded().onDrain = [](int) {
        if (!cancelled && TestRun().tally.EntriesDone == 3) {
            engine::R().CancelRequested = 1;
            cancelled = 1;
        }
    };
    t.Sync();
    EXPECT_EQ(ReadAll(t.dst + L"a\\x.txt"), "x");
    EXPECT_FALSE(Exists(t.dst + L"a\\y.txt"));
    EXPECT_FALSE(Exists(t.dst + L"b.txt"));
    EXPECT_EQ(ReadAll(t.dst + L"gone.txt"), "g");
    EXPECT_EQ(TestRun().tally.EntriesDone, 3);
}

}  // namespace
