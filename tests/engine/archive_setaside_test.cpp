// Versions that wait while their slot is reused: they wait below "@\@\",
// where no archived user entry can be, so no user file is ever taken for
// one; what a killed run left there goes back into its slot or is deleted
// when its directory is next visited.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "core/state.h"
#include "engine/archive.h"
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

struct EngineSetAside : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

std::multiset<std::string> ContentsBelow(const std::wstring& dir) {
    std::vector<std::string> all = AllContents(dir);
    return {all.begin(), all.end()};
}

// The source has "report.txt" and "report.txt.arc2del"; "report.txt"
// changes, "report.txt.arc2del" is deleted from the source; one version.
void BuildFirstLossCase(JobTree& t) {
    WriteDated(t.src + L"report.txt", "report-neu", kNew);
    WriteDated(t.dst + L"report.txt", "report-alt", kOld);
    WriteDated(t.dst + L"report.txt.arc2del", "nutzerdatei", kOld);
    WriteDated(t.dst + L"@\\report.txt", "report-aelter", kOld - 10 * kDay);
}

TEST_F(EngineSetAside, UserFileNamedLikeASetAsideVersionIsKept) {
    JobTree t(1);
    BuildFirstLossCase(t);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(ReadAll(t.dst + L"report.txt"), "report-neu");
    EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt"), "report-alt");
    EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt.arc2del"), "nutzerdatei");
    EXPECT_FALSE(SetAsideLeft(t.dst)) << "nothing waits in the set-aside folder once the directory is done";
}

TEST_F(EngineSetAside, UserFileNamedLikeASetAsideVersionIsKeptWhenTheCopyFails) {
    JobTree t(1);
    BuildFirstLossCase(t);
    plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_EQ(ReadAll(t.dst + L"report.txt"), "report-alt");
    EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt"), "report-aelter") << "put back after the failed copy";
    EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt.arc2del"), "nutzerdatei");
    EXPECT_FALSE(SetAsideLeft(t.dst));
}

// An archived "report.txt.arc2del", the user's only copy, and a full slot
// of "report.txt".
TEST_F(EngineSetAside, ArchivedUserFileIsNeverTakenForALeftover) {
    for (bool copyFails : {false, true}) {
        SCOPED_TRACE(copyFails);
        logs::ResetLogState();
        ClearRunErrors();
        JobTree t(1);
        WriteDated(t.src + L"report.txt", "report-neu", kNew);
        WriteDated(t.dst + L"report.txt", "report-alt", kOld);
        WriteDated(t.dst + L"@\\report.txt", "report-aelter", kOld - 10 * kDay);
        WriteDated(t.dst + L"@\\report.txt.arc2del", "einzige-kopie", kOld - 50 * kDay);
        if (copyFails) plat::InjectFault(plat::FaultOp::Copy, 1, plat::kErrDiskFull);
        t.Sync();
        EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt.arc2del"), "einzige-kopie");
        EXPECT_EQ(ReadAll(t.dst + L"@\\report.txt"), copyFails ? "report-aelter" : "report-alt");
        EXPECT_EQ(ContentsBelow(t.dst + L"@").size(), 2u);
    }
}

// Both names change in every round; each keeps its own newest versions.
TEST_F(EngineSetAside, UserFileEndingInArc2delAtEveryVersionLimit) {
    for (int32_t versions = 1; versions <= 3; ++versions) {
        SCOPED_TRACE(versions);
        JobTree t(versions);
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(round);
            const int64_t date = kTestNow - 100 * kDay + round * kDay;
            const std::string r = std::to_string(round);
            WriteDated(t.src + L"a.txt", "a" + r, date);
            WriteDated(t.src + L"a.txt.arc2del", "b" + r, date);
            logs::ResetLogState();
            ClearRunErrors();
            t.Sync();
            EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
            EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
            std::multiset<std::string> expected;
            for (int kept = std::max(0, round - versions); kept < round; ++kept) {
                expected.insert("a" + std::to_string(kept));
                expected.insert("b" + std::to_string(kept));
            }
            EXPECT_EQ(ContentsBelow(t.dst + L"@"), expected);
            EXPECT_FALSE(SetAsideLeft(t.dst));
        }
    }
}

// The waiting version's path shows in the extended log, below "@\@\" with
// the directory's own folder.
TEST_F(EngineSetAside, SetAsidePathOfADeeperDirectory) {
    core::S().settings.GLogExt = 1;
    JobTree t(1);
    WriteDated(t.src + L"sub\\a.txt", "neu", kNew);
    WriteDated(t.dst + L"sub\\a.txt", "alt", kOld);
    WriteDated(t.dst + L"@\\sub\\a.txt", "aelter", kOld - 10 * kDay);
    t.Sync();
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Temp. Archivältester gelöscht: " + t.dst + L"@\\@\\sub.d\\a.txt.arc2del"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\a.txt"), "alt");
    EXPECT_FALSE(SetAsideLeft(t.dst));
}

// Archiving on only deep down: the levels of the set-aside folder above it
// go as well.
TEST_F(EngineSetAside, FolderLevelsMadeForADeeperDirectoryAreRemoved) {
    JobTree t(0);
    AddArcIndiv(t.sid, t.dst + L"sub\\tief\\", 1, 0, false);
    WriteDated(t.src + L"sub\\tief\\a.txt", "neu", kNew);
    WriteDated(t.dst + L"sub\\tief\\a.txt", "alt", kOld);
    WriteDated(t.dst + L"@\\sub\\tief\\a.txt", "aelter", kOld - 10 * kDay);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\tief\\a.txt"), "alt");
    EXPECT_FALSE(SetAsideLeft(t.dst));
    EXPECT_TRUE(TestAside().dirs.empty());
}

// A run killed with versions waiting: the next visit puts back what has a
// free slot, deletes what has not, and touches nothing else.
TEST_F(EngineSetAside, NextVisitSweepsWhatAKilledRunLeft) {
    core::S().settings.GLogExt = 1;
    JobTree t(2);
    WriteDated(t.src + L"frei.txt", "f", kOld);
    WriteDated(t.dst + L"frei.txt", "f", kOld);
    WriteDated(t.dst + L"@\\@\\frei.txt.arc2del", "frei-version", kOld - 40 * kDay);
    WriteDated(t.dst + L"@\\belegt.txt", "belegt-neu", kOld - 5 * kDay);
    WriteDated(t.dst + L"@\\@\\belegt.txt.arc2del", "belegt-alt", kOld - 40 * kDay);
    WriteDated(t.dst + L"@\\x.arc2del", "nutzer", kOld - 40 * kDay);
    t.tree.Mkdir(L"src\\sub");
    WriteDated(t.dst + L"@\\@\\sub.d\\tief.txt.arc2del", "tief-version", kOld - 40 * kDay);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(ReadAll(t.dst + L"@\\frei.txt"), "frei-version");
    EXPECT_EQ(ReadAll(t.dst + L"@\\belegt.txt"), "belegt-neu");
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Temp. Archivältester gelöscht: " + t.dst + L"@\\@\\belegt.txt.arc2del"));
    EXPECT_EQ(ReadAll(t.dst + L"@\\sub\\tief.txt"), "tief-version");
    EXPECT_EQ(ReadAll(t.dst + L"@\\x.arc2del"), "nutzer");
    EXPECT_FALSE(SetAsideLeft(t.dst));
    EXPECT_EQ(ContentsBelow(t.dst + L"@"),
              (std::multiset<std::string>{"frei-version", "belegt-neu", "nutzer", "tief-version"}));
}

// An archive folder that can be changed in no way: the oldest version can
// neither step aside nor be deleted, so it stays, the archiving fails and
// nothing is overwritten.
TEST_F(EngineSetAside, UnchangeableArchiveFolderKeepsTheOldestAndSaysSo) {
    JobTree t(1);
    WriteDated(t.src + L"a.txt", "neu", kNew);
    WriteDated(t.dst + L"a.txt", "alt", kOld);
    WriteDated(t.dst + L"@\\a.txt", "aelter", kOld - 10 * kDay);
    plat::InjectFault(plat::FaultOp::Move, 1, plat::kErrAccessDenied, true);
    plat::InjectFault(plat::FaultOp::Delete, 1, plat::kErrAccessDenied, true);
    t.Sync();
    const std::wstring slot = t.dst + L"@\\a.txt";
    EXPECT_TRUE(LogHas(core::kLogHint, L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte " + slot +
                                           L" nicht gelöscht, bleibt erhalten"));
    EXPECT_EQ(CountLogPrefix(core::kLogHint, L"Archivieren - temporäres Umbenennen fehlgeschlagen - alte "), 1u);
    EXPECT_TRUE(LogHas(core::kLogError,
                       Because(L"Archivieren fehlgeschlagen: " + t.dst + L"a.txt -> " + slot, plat::kErrAccessDenied)));
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_EQ(ReadAll(slot), "aelter");
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "alt");
}

// ---- Kills at every step of the archive sequence ----

const std::map<std::wstring, std::string> kSource = {
    {L"a.txt", "a-neu"}, {L"sub\\b.txt", "b-neu"}, {L"wurde_datei", "wd-neu"}};
const std::map<std::wstring, std::string> kDest = {{L"a.txt", "a-alt"},
                                                   {L"weg.txt", "weg-alt"},
                                                   {L"sub\\b.txt", "b-alt"},
                                                   {L"weg\\w.txt", "w-alt"},
                                                   {L"wurde_datei\\i.txt", "wd-alt"}};
// Full slots (two versions): the older of each pair gives way.
const std::map<std::wstring, std::pair<std::string, int64_t>> kVersions = {
    {L"a.txt", {"a-v0", kOld - 20 * kDay}},      {L"a1.txt", {"a-v1", kOld - 10 * kDay}},
    {L"weg.txt", {"weg-v0", kOld - 20 * kDay}},  {L"weg1.txt", {"weg-v1", kOld - 10 * kDay}},
    {L"sub\\b.txt", {"b-v0", kOld - 20 * kDay}}, {L"sub\\b1.txt", {"b-v1", kOld - 10 * kDay}},
};
// What must be somewhere in mirror plus "@" at every instant.
const std::vector<std::string> kMustSurvive = {"a-alt",  "weg-alt", "b-alt",  "w-alt",
                                               "wd-alt", "a-v1",    "weg-v1", "b-v1"};

void BuildKillJob(JobTree& t) {
    for (const auto& [path, content] : kSource) WriteDated(t.src + path, content, kNew);
    for (const auto& [path, content] : kDest) WriteDated(t.dst + path, content, kOld);
    for (const auto& [path, version] : kVersions) WriteDated(t.dst + L"@\\" + path, version.first, version.second);
}

void CheckAfterKill(const JobTree& t) {
    const std::vector<std::string> all = AllContents(t.dst);
    for (const std::string& must : kMustSurvive)
        EXPECT_NE(std::find(all.begin(), all.end(), must), all.end()) << "lost: " << must;
    for (const auto& [path, content] : Snapshot(t.dst, true)) {
        if (path.back() == L'\\' || engine::IsTempCopyName(path)) continue;
        std::set<std::string> allowed;
        if (kDest.count(path)) allowed.insert(kDest.at(path));
        if (kSource.count(path)) allowed.insert(kSource.at(path));
        EXPECT_TRUE(allowed.count(content)) << testing::PrintToString(path) << " holds " << content;
    }
}

void WalkKills(plat::FaultOp op) {
    int reached = 0;
    for (int n = 1; n <= 40; ++n) {
        SCOPED_TRACE("killed at call " + std::to_string(n));
        ResetForNextCase();
        JobTree t(2);
        BuildKillJob(t);
        plat::InjectHalt(op, n);
        t.Sync();
        const bool halted = plat::HaltReached();
        plat::ClearFaults();
        CheckAfterKill(t);

        // A new process: nothing of the killed run's state survives.
        engine::ResetRunState();
        ResetTestRun();
        logs::ResetLogState();
        ClearRunErrors();
        t.Sync();
        EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
        EXPECT_EQ(Snapshot(t.dst, true), Snapshot(t.src));
        EXPECT_FALSE(SetAsideLeft(t.dst)) << "nothing set aside outlives the visit";
        EXPECT_EQ(ContentsBelow(t.dst + L"@"), (std::multiset<std::string>{"a-v1", "a-alt", "weg-v1", "weg-alt", "b-v1",
                                                                           "b-alt", "w-alt", "wd-alt"}));
        if (!halted) break;
        ++reached;
    }
    EXPECT_GT(reached, 0) << "the job never reached the operation";
    testing::Test::RecordProperty("kill_points", reached);
}

TEST_F(EngineSetAside, KilledAtAMove) { WalkKills(plat::FaultOp::Move); }
TEST_F(EngineSetAside, KilledAtACopy) { WalkKills(plat::FaultOp::Copy); }
TEST_F(EngineSetAside, KilledAtARename) { WalkKills(plat::FaultOp::Rename); }
TEST_F(EngineSetAside, KilledAtAFlush) { WalkKills(plat::FaultOp::Flush); }
TEST_F(EngineSetAside, KilledAtADeletion) { WalkKills(plat::FaultOp::Delete); }
TEST_F(EngineSetAside, KilledAtADirectoryRemoval) { WalkKills(plat::FaultOp::RemoveDir); }
TEST_F(EngineSetAside, KilledAtADirectoryCreation) { WalkKills(plat::FaultOp::CreateDir); }

}  // namespace
