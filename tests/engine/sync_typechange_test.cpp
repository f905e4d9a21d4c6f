// A file that became a folder, or a folder that became a file: the old entry
// goes to the archive and the new one takes its place in the same run; with
// archiving off, or when the archive cannot take it, the old entry stays and
// the line says why. A junction or link in the destination is never entered.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/state.h"
#include "engine/run_state.h"
#include "engine/sync.h"
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

struct EngineSyncTypeChange : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

bool Holds(const std::vector<std::string>& contents, const std::string& content) {
    return std::find(contents.begin(), contents.end(), content) != contents.end();
}

// Both directions at once, at the root and one level down; the old folders
// hold files and a subfolder.
void BuildTypeChanges(JobTree& t) {
    WriteDated(t.src + L"wurde_ordner\\a.txt", "neu-a", kNew);
    WriteDated(t.src + L"wurde_ordner\\tief\\b.txt", "neu-b", kNew);
    WriteDated(t.dst + L"wurde_ordner", "alte-datei", kOld);
    WriteDated(t.src + L"wurde_datei", "neue-datei", kNew);
    WriteDated(t.dst + L"wurde_datei\\x.txt", "alt-x", kOld);
    WriteDated(t.dst + L"wurde_datei\\tief\\y.txt", "alt-y", kOld);
    WriteDated(t.src + L"sub\\f.d", "neu-f", kNew);
    WriteDated(t.dst + L"sub\\f.d\\z.txt", "alt-z", kOld);
    WriteDated(t.src + L"sub\\g\\c.txt", "neu-c", kNew);
    WriteDated(t.dst + L"sub\\g", "alt-g", kOld);
}

TEST_F(EngineSyncTypeChange, ConvergeInOneRunWithTheOldEntryArchived) {
    for (int32_t versions : {1, 3, -1}) {
        SCOPED_TRACE(versions);
        logs::ResetLogState();
        ClearRunErrors();
        JobTree t(versions);
        BuildTypeChanges(t);
        t.Sync();
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
        // A folder goes whole, as one version; a file keeps its name.
        EXPECT_EQ(ReadAll(t.dst + L"@\\wurde_datei\\tief\\y.txt"), "alt-y");
        EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\f.d\\z.txt"), "alt-z");
        // The file's version had the name of the new folder's archive
        // directory and moved on to the next slot.
        EXPECT_EQ(ReadAll(t.dst + L"@\\wurde_ordner1"), "alte-datei");
        EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\g1"), "alt-g");
        EXPECT_TRUE(plat::DirExists(t.dst + L"@\\wurde_ordner\\tief"));

        // Nothing left to do: the next run changes nothing.
        const auto before = Snapshot(t.dst);
        t.Sync();
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_EQ(Snapshot(t.dst), before);
    }
}

TEST_F(EngineSyncTypeChange, ArchivingOffKeepsTheOldEntryAndSaysWhy) {
    JobTree t(0);
    BuildTypeChanges(t);
    const auto before = Snapshot(t.dst);
    t.Sync();
    EXPECT_TRUE(LogHas(core::kLogError, L"Kopierfehler: " + t.src + L"wurde_datei\t\t(Zieldatei ist ein Verzeichnis)"));
    EXPECT_TRUE(LogHas(core::kLogError, L"Konnte Verzeichnis nicht erstellen: <" + t.dst +
                                            L"wurde_ordner\\>\t\t(Zielverzeichnis ist eine Datei)"));
    EXPECT_TRUE(LogHas(core::kLogError, L"Kopierfehler: " + t.src + L"sub\\f.d\t\t(Zieldatei ist ein Verzeichnis)"));
    EXPECT_TRUE(LogHas(core::kLogError, L"Konnte Verzeichnis nicht erstellen: <" + t.dst +
                                            L"sub\\g\\>\t\t(Zielverzeichnis ist eine Datei)"));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 4) << "once per entry and run";
    EXPECT_EQ(LogLines(core::kLogError).size(), 4u);
    EXPECT_EQ(Snapshot(t.dst), before) << "nothing deleted or overwritten";
}

TEST_F(EngineSyncTypeChange, ArchiveMoveThatFailsOverwritesNothing) {
    for (bool sourceIsDir : {true, false}) {
        SCOPED_TRACE(sourceIsDir);
        logs::ResetLogState();
        ClearRunErrors();
        JobTree t(3);
        if (sourceIsDir) {
            WriteDated(t.src + L"x\\in.txt", "neu", kNew);
            WriteDated(t.dst + L"x", "alt", kOld);
        } else {
            WriteDated(t.src + L"x", "neu", kNew);
            WriteDated(t.dst + L"x\\in.txt", "alt", kOld);
        }
        const auto before = Snapshot(t.dst);
        plat::InjectFault(plat::FaultOp::Move, 1, plat::kErrWriteProtect);
        t.Sync();
        ASSERT_TRUE(FaultFired(plat::FaultOp::Move, 1));
        EXPECT_TRUE(LogHas(
            core::kLogError,
            Because(L"Archivieren fehlgeschlagen: " + t.dst + L"x -> " + t.dst + L"@\\x", plat::kErrWriteProtect)));
        EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
        EXPECT_EQ(LogLines(core::kLogError).size(), 1u) << "no copy or creation tried";
        EXPECT_EQ(Snapshot(t.dst, true), before);
        EXPECT_EQ(ReadAll(t.dst + (sourceIsDir ? L"x" : L"x\\in.txt")), "alt");

        // The next run completes it.
        logs::ResetLogState();
        ClearRunErrors();
        t.Sync();
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
        EXPECT_TRUE(Holds(AllContents(t.dst + L"@"), "alt"));
    }
}

// A folder whose destination namesake is a junction or link: the link and
// what it points to stay untouched, nothing of the source goes through it.
TEST_F(EngineSyncTypeChange, LinkInTheDestinationIsNeverEntered) {
    if (!plat::PortableLayer()) GTEST_SKIP() << "links are made with host calls";
    for (int32_t versions : {0, 3}) {
        SCOPED_TRACE(versions);
        logs::ResetLogState();
        ClearRunErrors();
        JobTree t(versions);
        WriteDated(t.tree.Path(L"fremd\\privat.txt"), "privat", kOld);
        WriteDated(t.tree.Path(L"fremd\\x.txt"), "fremd-x", kOld);
        WriteDated(t.src + L"ordner\\x.txt", "quelle-x", kNew);
        WriteDated(t.src + L"datei", "quelle-d", kNew);
        std::error_code error;
        std::filesystem::create_directory_symlink(HostPathOf(t.tree.Path(L"fremd")), HostPathOf(t.dst + L"ordner"),
                                                  error);
        ASSERT_FALSE(error) << error.message();
        std::filesystem::create_directory_symlink(HostPathOf(t.tree.Path(L"fremd")), HostPathOf(t.dst + L"datei"),
                                                  error);
        ASSERT_FALSE(error) << error.message();
        t.Sync();
        EXPECT_TRUE(LogHas(core::kLogError, L"Konnte Verzeichnis nicht erstellen: <" + t.dst +
                                                L"ordner\\>\t\t(Zielverzeichnis ist eine Verknüpfung)"));
        EXPECT_TRUE(LogHas(core::kLogError, L"Kopierfehler: " + t.src + L"datei\t\t(Zieldatei ist eine Verknüpfung)"));
        EXPECT_EQ(TestRun().tally.RunErrorCount, 2);
        EXPECT_EQ(ReadAll(t.tree.Path(L"fremd\\privat.txt")), "privat");
        EXPECT_EQ(ReadAll(t.tree.Path(L"fremd\\x.txt")), "fremd-x");
        EXPECT_EQ(Snapshot(t.tree.Path(L"fremd")).size(), 2u);
        EXPECT_TRUE(std::filesystem::is_symlink(HostPathOf(t.dst + L"ordner")));
        EXPECT_TRUE(std::filesystem::is_symlink(HostPathOf(t.dst + L"datei")));
    }
}

}  // namespace
