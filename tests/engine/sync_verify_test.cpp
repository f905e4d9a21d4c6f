// "Prüfen": damage that the size-and-date rule cannot see, found by the
// content comparison of a verify run, archived and repaired; the same
// outcome with the comparisons made ahead and at each turn; a read error on
// either side; cancel within a large comparison and while comparers work
// ahead; files online only; a
// differing copy where the interval or the lack of an archive would have
// let it be overwritten.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/report.h"
#include "engine/run_state.h"
#include "engine/verify.h"
#include "log/channels.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "tests/support/ahead_walk.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kDate = kTestNow - 30 * kDay;
// Tens of MB: many blocks, and a piece of one more.
const size_t kLarge = (size_t{24} << 20) + 4321;

struct Damage {
    const wchar_t* name;
    std::string source, mirror;  // both carry kDate
};

std::string Changed(std::string bytes, size_t at) {
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5a);
    return bytes;
}

// One tree with every kind of damage, and pairs that are equal; `large`
// is the size of the two files that differ in one byte only.
std::vector<Damage> DamageKinds(size_t large) {
    const std::string small = Pattern(3000), big = Pattern(large), blocks = Pattern(2 * engine::kVerifyBlock + 99);
    return {
        {L"Mirror bytes.txt", small, Changed(small, 1500)},
        {L"Dokumente\\Container.hc", Changed(small, 7), small},  // a source changed, its date kept
        {L"Dokumente\\Gross Mitte.bin", big, Changed(big, large / 2)},
        {L"Gross Ende.bin", big, Changed(big, large - 1)},
        {L"Zerrissen leer.txt", small, ""},
        {L"Zerrissen halb.bin", blocks, blocks.substr(0, engine::kVerifyBlock + 10)},
        {L"Leer.txt", "", ""},
        {L"Dokumente\\Gleich gross.bin", blocks, blocks},
        {L"Gleich.txt", small, small},
    };
}

bool Differs(const Damage& d) { return d.source != d.mirror; }

void Build(JobTree& t, const std::vector<Damage>& kinds) {
    for (const Damage& d : kinds) {
        WriteDated(t.src + d.name, d.source, kDate);
        WriteDated(t.dst + d.name, d.mirror, kDate);
    }
}

// A run of its own over the same job: tally, options and log afresh.
void FreshRun() {
    ResetTestRun();
    logs::ResetLogState();
}

void Verify(JobTree& t, bool ahead = true) {
    TestRun().options.Verify = true;
    TestRun().options.CompareAhead = ahead;
    t.Sync();
}

struct EngineVerify : AheadWalkTest {};

TEST_F(EngineVerify, DamageThatTheDateRuleMissesIsFoundArchivedAndRepaired) {
    const std::vector<Damage> kinds = DamageKinds(kLarge);
    JobTree t(3);
    Build(t, kinds);
    const auto mirrorBefore = Snapshot(t.dst);

    // (Large contents are compared with ==: a failure's diff of them would
    // not fit in memory.)
    t.Sync();
    EXPECT_TRUE(Snapshot(t.dst, true) == mirrorBefore) << "a normal run sees no difference";

    FreshRun();
    Verify(t);
    const engine::RunTally& run = TestRun().tally;
    std::vector<std::wstring> hints;
    int64_t bytes = 0;
    for (const Damage& d : kinds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.name)));
        bytes += static_cast<int64_t>(d.source.size());
        EXPECT_TRUE(ReadAll(t.dst + d.name) == d.source);
        EXPECT_EQ(Exists(t.dst + L"@\\" + d.name), Differs(d));
        if (!Differs(d)) continue;
        EXPECT_TRUE(ReadAll(t.dst + L"@\\" + d.name) == d.mirror) << "the old copy is kept as a version";
        EXPECT_EQ(DateOf(t.dst + d.name), kDate);
        hints.push_back(L"Inhalt abweichend: " + t.src + d.name);
    }
    std::vector<std::wstring> logged = LogLines(core::kLogHint);
    std::sort(logged.begin(), logged.end());
    std::sort(hints.begin(), hints.end());
    EXPECT_EQ(logged, hints);
    EXPECT_EQ(run.FilesVerified, static_cast<int32_t>(kinds.size()));
    EXPECT_EQ(run.FilesDiffering, static_cast<int32_t>(hints.size()));
    EXPECT_EQ(run.BytesVerified, bytes);
    EXPECT_EQ(run.RunErrorCount, 0);
    EXPECT_EQ(engine::VerifiedLine(run), L"Geprüft: 9 Dateien (49 MB), abweichend: 6");

    const auto repaired = Snapshot(t.dst);
    FreshRun();
    Verify(t);
    EXPECT_TRUE(Snapshot(t.dst) == repaired) << "a second verify finds nothing and archives nothing";
    EXPECT_EQ(TestRun().tally.FilesVerified, static_cast<int32_t>(kinds.size()));
    EXPECT_EQ(TestRun().tally.FilesDiffering, 0);
    EXPECT_TRUE(LogLines(core::kLogHint).empty());
}

// The comparers must not show: files between folders, new, changed and
// damaged ones, compared ahead and at each turn, give the same log lines,
// status lines, counts and trees.
TEST_F(EngineVerify, ComparedAheadAsAtEachTurn) {
    const std::vector<Damage> kinds = DamageKinds(engine::kVerifyBlock + 1);
    const auto build = [&kinds](JobTree& t) {
        Build(t, kinds);
        for (int i = 0; i < 40; ++i) {
            const std::wstring name = L"f" + std::to_wstring(i) + (i % 10 == 5 ? L".dir\\inner.txt" : L".txt");
            const std::string content = "content " + std::to_string(i);
            WriteDated(t.src + name, content, kDate);
            if (i % 7 != 3) WriteDated(t.dst + name, i % 3 == 0 ? Changed(content, 2) : content, kDate - (i == 8));
        }
    };
    const Outcome ahead = ExpectAheadAsSequential(3, build, [](JobTree&) { TestRun().options.Verify = true; });
    EXPECT_EQ(ahead.hints.size(), 6u + 12u);
}

// Unreadable on either side, at the open or within the file: a counted
// error with the system's text, the copy left as it is; the rest goes on.
TEST_F(EngineVerify, AFileThatCannotBeReadIsACountedErrorAndTheRestGoesOn) {
    const std::string large = Pattern(kLarge);
    // ReadBlock calls of the first file: open source, open mirror, then a
    // block of each in turn.
    const struct {
        int nth;
        bool source;
    } cases[] = {{1, true}, {2, false}, {5, true}, {8, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nth);
        ResetForNextCase();
        JobTree t(3);
        WriteDated(t.src + L"a.bin", large, kDate);
        WriteDated(t.dst + L"a.bin", Changed(large, kLarge - 1), kDate);
        WriteDated(t.src + L"b.txt", "neu", kDate);
        WriteDated(t.dst + L"b.txt", "alt", kDate);
        plat::InjectFault(plat::FaultOp::ReadBlock, c.nth, plat::kErrReadFault);
        Verify(t);
        plat::ClearFaults();
        const std::wstring line = c.source ? L"Prüfen - Quelldatei nicht lesbar: " + t.src + L"a.bin"
                                           : L"Prüfen - Zieldatei nicht lesbar: " + t.dst + L"a.bin";
        EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{Because(line, plat::kErrReadFault)});
        EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
        EXPECT_TRUE(ReadAll(t.dst + L"a.bin") == Changed(large, kLarge - 1));
        EXPECT_FALSE(Exists(t.dst + L"@\\a.bin"));
        EXPECT_EQ(ReadAll(t.dst + L"b.txt"), "neu");
        EXPECT_EQ(ReadAll(t.dst + L"@\\b.txt"), "alt");
        EXPECT_EQ(TestRun().tally.FilesVerified, 1);
    }
}

// "Abbrechen" during a large comparison stops it at the next block: a fault
// armed on the read after the cancel never fires, and the copy that differs
// only in its last byte is neither archived nor replaced.
TEST_F(EngineVerify, CancelStopsWithinALargeComparison) {
    JobTree t(3);
    const std::string large = Pattern(kLarge);
    WriteDated(t.src + L"gross.bin", large, kDate);
    WriteDated(t.dst + L"gross.bin", Changed(large, kLarge - 1), kDate);
    // Drain 1 is the walk's at the entry, drain 2 the comparison's after
    // its first block (source and mirror: ReadBlock calls 3 and 4).
    Recorded().cancelAtDrain = 2;
    plat::InjectFault(plat::FaultOp::ReadBlock, 5, plat::kErrReadFault);
    Verify(t, false);
    EXPECT_FALSE(FaultFired(plat::FaultOp::ReadBlock, 5));
    EXPECT_TRUE(engine::CancelPending());
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(TestRun().tally.FilesVerified, 0);
    EXPECT_TRUE(ReadAll(t.dst + L"gross.bin") == Changed(large, kLarge - 1));
    EXPECT_FALSE(Exists(t.dst + L"@\\gross.bin"));
}

// "Abbrechen" while the comparers work ahead, given at the first drain after
// the second verdict: the first file is repaired, the second is repaired
// whole or left whole (the builds drain at different steps of a repair),
// the verdicts the comparers reached for the rest are dropped, and the run
// ends with its comparers.
TEST_F(EngineVerify, CancelWithComparersAheadActsOnNoVerdictAfterIt) {
    JobTree t(3);
    const std::string blocks = Pattern(2 * engine::kVerifyBlock + 7);
    const std::vector<std::wstring> names = {L"a.bin", L"b.bin", L"c.bin", L"d.bin", L"e.bin", L"f.bin"};
    for (const std::wstring& name : names) {
        WriteDated(t.src + name, blocks, kDate);
        WriteDated(t.dst + name, Changed(blocks, blocks.size() - 1), kDate);
    }
    Recorded().onDrain = [](int) {
        if (LogLines(core::kLogHint).size() >= 2) engine::R().CancelRequested = 1;
    };
    Verify(t);
    EXPECT_TRUE(engine::CancelPending());
    EXPECT_EQ(TestRun().tally.FilesVerified, 2);
    EXPECT_EQ(TestRun().tally.FilesDiffering, 2);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(testing::PrintToString(names[i]));
        const bool repaired = i == 0 || (i == 1 && Exists(t.dst + L"@\\" + names[i]));
        EXPECT_TRUE(ReadAll(t.dst + names[i]) == (repaired ? blocks : Changed(blocks, blocks.size() - 1)));
        EXPECT_EQ(Exists(t.dst + L"@\\" + names[i]), repaired);
    }
}

// A file a cloud client keeps online only is never opened, on either side:
// reading it would download it. Only the file beside them is compared.
TEST_F(EngineVerify, FilesOnlineOnlyAreNeverOpened) {
    JobTree t(3);
    for (const wchar_t* name : {L"Quelle online.txt", L"Ziel online.txt", L"vor Ort.txt"}) {
        WriteDated(t.src + name, "neu", kDate);
        WriteDated(t.dst + name, "alt", kDate);
    }
    ASSERT_TRUE(plat::SetAttributes(t.src + L"Quelle online.txt", plat::kAttrArchive | plat::kAttrOffline));
    ASSERT_TRUE(plat::SetAttributes(t.dst + L"Ziel online.txt", plat::kAttrArchive | plat::kAttrOffline));
    if ((plat::GetAttributes(t.dst + L"Ziel online.txt") & plat::kAttrOffline) == 0)
        GTEST_SKIP() << "this file system does not keep the offline attribute";
    Verify(t);
    EXPECT_EQ(LogLines(core::kLogHint),
              (std::vector<std::wstring>{L"Inhalt abweichend: " + t.src + L"vor Ort.txt",
                                         L"1 Dateien nur online vorhanden - nicht kopiert: " + t.src}));
    EXPECT_EQ(TestRun().tally.FilesVerified, 1);
    EXPECT_EQ(ReadAll(t.dst + L"Quelle online.txt"), "alt");
    EXPECT_EQ(ReadAll(t.dst + L"Ziel online.txt"), "alt");
    EXPECT_EQ(ReadAll(t.dst + L"vor Ort.txt"), "neu");
}

// A differing copy goes into "@" even where the interval would let a normal
// replacement overwrite it; where the folder keeps no versions it stays,
// as an error, so that the only copy of its content is never lost.
TEST_F(EngineVerify, ADifferingCopyIsArchivedWhateverTheIntervalOrKeptWithoutAnArchive) {
    JobTree t(3, 30);
    WriteDated(t.src + L"a.txt", "neu", kDate);
    WriteDated(t.dst + L"a.txt", "alt", kDate);
    WriteDated(t.dst + L"@\\a.txt", "vorige Woche", kDate - 7 * kDay);
    WriteDated(t.src + L"ohne\\b.txt", "neu", kDate);
    WriteDated(t.dst + L"ohne\\b.txt", "alt", kDate);
    AddArcIndiv(t.sid, t.dst + L"ohne\\", 0, 0, true);
    Verify(t);
    EXPECT_EQ(ReadAll(t.dst + L"a.txt"), "neu");
    EXPECT_EQ(ReadAll(t.dst + L"@\\a1.txt"), "alt");
    EXPECT_EQ(ReadAll(t.dst + L"@\\a.txt"), "vorige Woche");
    EXPECT_EQ(ReadAll(t.dst + L"ohne\\b.txt"), "alt");
    EXPECT_EQ(
        LogLines(core::kLogError),
        std::vector<std::wstring>{L"Inhalt abweichend, nicht ersetzt - kein Archiv für: " + t.dst + L"ohne\\b.txt"});
    EXPECT_EQ(TestRun().tally.FilesDiffering, 2);
}

}  // namespace
