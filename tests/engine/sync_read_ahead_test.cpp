// Reading listings ahead must not show: every walk here runs twice on the
// same tree, once with the listings read ahead on the reader threads and
// once read at each directory's turn, and everything observable must be the
// same (log lines of every kind, status lines, counters, mirror and archive).
// The cases are what concurrency can break: cancel, a listing that fails, an
// exclusion, a source folder that vanishes after it was read ahead, type
// changes, and randomized trees.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "core/state.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

// Every listing of a walk goes through here: recorded, and failed for the
// directories named in g_failing (a folder the user may not read).
std::mutex g_listLock;
std::vector<std::wstring> g_listed;
std::vector<std::wstring> g_failing;

bool RecordingList(const std::wstring& dir, engine::Listing& out) {
    {
        std::lock_guard<std::mutex> hold(g_listLock);
        g_listed.push_back(dir);
    }
    for (const std::wstring& failing : g_failing) {
        if (plat::EqualNoCase(dir, failing)) {
            out = engine::Listing();
            plat::SetLastError(plat::kErrAccessDenied);
            return false;
        }
    }
    return plat::ListDirCompact(dir, out);
}

size_t TimesListed(const std::wstring& dir) {
    std::lock_guard<std::mutex> hold(g_listLock);
    size_t count = 0;
    for (const std::wstring& listed : g_listed) count += plat::EqualNoCase(listed, dir) ? 1 : 0;
    return count;
}

// Called from a drain in the read-ahead walk: waits until a reader has
// listed `dir`, so that a case really has it ahead (the readers are free
// running; 20 s is only the bound for a machine that is very busy).
void AwaitListedAhead(const std::wstring& dir) {
    for (int waited = 0; waited < 2000 && TimesListed(dir) == 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// What a walk showed, with the tree's own folder replaced by "<T>\".
struct Outcome {
    std::vector<std::wstring> normal, errors, hints, status;
    std::map<std::wstring, std::string> mirror, source;
    int32_t entries = 0, files = 0, errorCount = 0;
    int64_t bytes = 0;
};

std::wstring Relative(std::wstring line, const std::wstring& root) {
    for (size_t at = line.find(root); at != std::wstring::npos; at = line.find(root, at))
        line.replace(at, root.size(), L"<T>\\");
    return line;
}

std::vector<std::wstring> RelativeAll(const std::vector<std::wstring>& lines, const std::wstring& root) {
    std::vector<std::wstring> out;
    for (const std::wstring& line : lines) out.push_back(Relative(line, root));
    return out;
}

struct Walk {
    bool ahead = true;
    JobTree* tree = nullptr;
    bool acted = false;  // a drain hook's one-time action is done
};
std::wstring g_lastSource;  // the source folder of the last walk
Walk g_walk;                // the walk in progress, for the drain hooks

// One walk of a fresh tree: `build` makes it, `prepare` sets the case up
// (exclusions, drain hooks) after the reset.
template <typename Build, typename Prepare>
Outcome WalkOnce(bool ahead, int32_t versions, Build build, Prepare prepare) {
    ResetForNextCase();
    {
        std::lock_guard<std::mutex> hold(g_listLock);
        g_listed.clear();
    }
    JobTree t(versions);
    build(t);
    g_walk = Walk{ahead, &t, false};
    g_lastSource = t.src;
    prepare(t);
    TestRun().ListAhead = ahead;
    engine::SetListHookForTest(&RecordingList);
    t.Sync();
    engine::SetListHookForTest(nullptr);
    g_walk = Walk{};

    Outcome out;
    const std::wstring& root = t.tree.root;
    out.normal = RelativeAll(LogLines(core::kLogNormal), root);
    out.errors = RelativeAll(LogLines(core::kLogError), root);
    out.hints = RelativeAll(LogLines(core::kLogHint), root);
    out.status = RelativeAll(Recorded().statusLines, root);
    out.mirror = Snapshot(t.dst);
    out.source = Snapshot(t.src);
    const engine::Run& run = TestRun();
    out.entries = run.EntriesDone;
    out.files = run.FilesCopied;
    out.bytes = run.BytesCopied;
    out.errorCount = run.RunErrorCount;
    return out;
}

void ExpectSame(const Outcome& ahead, const Outcome& sequential) {
    EXPECT_EQ(ahead.normal, sequential.normal);
    EXPECT_EQ(ahead.errors, sequential.errors);
    EXPECT_EQ(ahead.hints, sequential.hints);
    EXPECT_EQ(ahead.status, sequential.status);
    EXPECT_EQ(ahead.mirror, sequential.mirror);
    EXPECT_EQ(ahead.source, sequential.source);
    EXPECT_EQ(ahead.entries, sequential.entries);
    EXPECT_EQ(ahead.files, sequential.files);
    EXPECT_EQ(ahead.bytes, sequential.bytes);
    EXPECT_EQ(ahead.errorCount, sequential.errorCount);
}

template <typename Build, typename Prepare>
Outcome ExpectAheadAsSequential(int32_t versions, Build build, Prepare prepare) {
    const Outcome sequential = WalkOnce(false, versions, build, prepare);
    const Outcome ahead = WalkOnce(true, versions, build, prepare);
    ExpectSame(ahead, sequential);
    return ahead;
}

// Twelve folders d00..d11 with two files each, and a file at the top.
void TwelveFolders(JobTree& t) {
    for (int i = 0; i < 12; ++i) {
        const std::wstring dir = t.src + L"d" + (i < 10 ? L"0" : L"") + std::to_wstring(i) + L"\\";
        WriteDated(dir + L"a.txt", "a" + std::to_string(i), kNew);
        WriteDated(dir + L"sub\\b.txt", "b" + std::to_string(i), kNew);
    }
    WriteDated(t.src + L"z.txt", "z", kNew);
}

struct EngineReadAhead : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
        g_failing.clear();
    }
    void TearDown() override {
        engine::SetListHookForTest(nullptr);
        g_failing.clear();
        ResetForNextCase();
    }
};

TEST_F(EngineReadAhead, CancelWhileFoldersAreReadAheadActsOnNothingBeyond) {
    // "Abbrechen" at the entry of d03 (the 13th: each folder before it is
    // four entries), once d07 has been read ahead.
    auto prepare = [](JobTree&) {
        Recorded().onDrain = [](int) {
            if (TestRun().EntriesDone != 13 || engine::R().CancelRequested) return;
            if (g_walk.ahead) AwaitListedAhead(g_walk.tree->src + L"d07\\");
            engine::R().CancelRequested = 1;
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, TwelveFolders, prepare);
    EXPECT_EQ(TimesListed(g_lastSource + L"d07\\"), 1u) << "read ahead, never acted on";
    EXPECT_EQ(ahead.entries, 13);
    EXPECT_TRUE(ahead.mirror.count(L"d02\\sub\\b.txt"));
    for (const wchar_t* never : {L"d03\\", L"d07\\", L"z.txt"}) EXPECT_FALSE(ahead.mirror.count(never)) << never;
}

TEST_F(EngineReadAhead, AFolderThatFailsToListAheadFailsAtItsTurn) {
    // d05 cannot be read, nor d02's destination (an existing folder).
    auto build = [](JobTree& t) {
        TwelveFolders(t);
        WriteDated(t.dst + L"d02\\old.txt", "old", kOld);
    };
    auto prepare = [](JobTree& t) {
        g_failing = {t.src + L"d05\\", t.dst + L"d02\\"};
        Recorded().onDrain = [](int) {
            if (g_walk.ahead && TestRun().EntriesDone == 1) AwaitListedAhead(g_walk.tree->src + L"d05\\");
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, build, prepare);
    EXPECT_EQ(TimesListed(g_lastSource + L"d05\\"), 2u) << "read ahead, failed, read again at its turn";
    EXPECT_EQ(ahead.errorCount, 2);
    ASSERT_EQ(ahead.errors.size(), 2u);
    EXPECT_EQ(ahead.errors[0], L"Konnte Verzeichnis nicht erstellen: <<T>\\dst\\d02\\>");
    EXPECT_EQ(ahead.errors[1], L"Konnte Verzeichnis<<T>\\src\\d05\\> nicht untersuchen!");
    EXPECT_TRUE(ahead.mirror.count(L"d06\\a.txt"));
}

TEST_F(EngineReadAhead, AnExcludedFolderIsNeverListed) {
    std::wstring excludedSrc, excludedDst;
    // Both folders have their mirror, so that their destinations would be
    // read ahead as well.
    auto build = [](JobTree& t) {
        TwelveFolders(t);
        WriteDated(t.dst + L"d01\\x.txt", "x", kOld);
        WriteDated(t.dst + L"d04\\y.txt", "y", kOld);
    };
    auto prepare = [&](JobTree& t) {
        AddExclude(t.sid, t.src + L"d01");
        excludedSrc = t.src + L"d01\\";
        excludedDst = t.dst + L"d01\\";
        // d04 is excluded only at the entry of d02, when it may already
        // be read ahead: it must be passed over all the same.
        Recorded().onDrain = [](int) {
            if (TestRun().EntriesDone != 3 || engine::R().CancelRequested) return;
            if (g_walk.acted) return;
            if (g_walk.ahead) AwaitListedAhead(g_walk.tree->src + L"d04\\");
            g_walk.acted = true;
            // The run took the exclusions when it began; a change reaches the
            // walk through the run's own list.
            TestRun().Excludes.push_back(core::Exclude{g_walk.tree->sid, plat::ToUpper(g_walk.tree->src + L"d04")});
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, build, prepare);
    EXPECT_EQ(TimesListed(excludedSrc), 0u);
    EXPECT_EQ(TimesListed(excludedDst), 0u);
    EXPECT_FALSE(ahead.mirror.count(L"d01\\")) << "no source: archived";
    // d04 was in the listing already: passed over, its mirror left alone.
    EXPECT_EQ(ahead.mirror.at(L"d04\\y.txt"), "y");
    EXPECT_FALSE(ahead.mirror.count(L"d04\\a.txt"));
    EXPECT_TRUE(ahead.mirror.count(L"d05\\a.txt"));
}

TEST_F(EngineReadAhead, ASourceFolderGoneBeforeItsTurnIsReportedAtItsTurn) {
    // At the entry of d01, d06 (read ahead by then) is deleted.
    auto prepare = [](JobTree&) {
        Recorded().onDrain = [](int) {
            if (TestRun().EntriesDone != 2 || !Exists(g_walk.tree->src + L"d06")) return;
            if (g_walk.ahead) AwaitListedAhead(g_walk.tree->src + L"d06\\");
            plat::RemoveTree(g_walk.tree->src + L"d06");
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, TwelveFolders, prepare);
    EXPECT_EQ(ahead.errors, std::vector<std::wstring>{L"Konnte Verzeichnis<<T>\\src\\d06\\> nicht untersuchen!"});
    EXPECT_FALSE(ahead.mirror.count(L"d06\\a.txt"));
    EXPECT_TRUE(ahead.mirror.count(L"d07\\sub\\b.txt"));
}

TEST_F(EngineReadAhead, TypeChangesBothWaysWithFoldersAhead) {
    // Folder where the mirror has a file, file where it has a folder (with
    // content and subfolders), with folders to read ahead on both sides.
    auto build = [](JobTree& t) {
        TwelveFolders(t);
        WriteDated(t.dst + L"d03", "was a file", kOld);
        plat::RemoveTree(t.src + L"d05");
        WriteDated(t.src + L"d05", "now a file", kNew);
        WriteDated(t.dst + L"d05\\a.txt", "a5", kOld);
        WriteDated(t.dst + L"d05\\deep\\c.txt", "c5", kOld);
        WriteDated(t.dst + L"D08\\a.txt", "old", kOld);  // paired across case
    };
    for (int32_t versions : {0, 2}) {
        SCOPED_TRACE("versions " + std::to_string(versions));
        const Outcome ahead = ExpectAheadAsSequential(versions, build, [](JobTree&) {});
        if (versions == 0) {
            EXPECT_EQ(ahead.errorCount, 2);
            EXPECT_EQ(ahead.mirror.at(L"d03"), "was a file");
        } else {
            EXPECT_EQ(ahead.errorCount, 0);
            EXPECT_EQ(ahead.mirror.at(L"d03\\sub\\b.txt"), "b3");
            EXPECT_EQ(ahead.mirror.at(L"d05"), "now a file");
            EXPECT_EQ(ahead.mirror.at(L"D08\\a.txt"), "a8");
        }
    }
}

// A random tree: files new, older, newer or gone, folders on one side only,
// type changes both ways, names paired across case, "@" and temporary-copy
// names below the top, an excluded folder.
void Grow(std::mt19937& rng, int& serial, const std::wstring& src, const std::wstring& dst, int depth) {
    static const wchar_t* const kNames[] = {L"Akte", L"bild", L"Ärger", L"x y", L"@", L"Zeta"};
    const int count = static_cast<int>(rng() % 7);
    bool atUsed = false;
    for (int i = 0; i < count; ++i) {
        // "@" as it stands only below the top, where it is an ordinary name.
        std::wstring name = kNames[rng() % 6];
        if (depth == 0 || name != L"@" || atUsed)
            name += std::to_wstring(++serial);
        else
            atUsed = true;
        std::wstring dstName = rng() % 5 == 0 ? plat::ToUpper(name) : name;
        const std::string bytes = "c" + std::to_string(rng() % 1000);
        const bool deeper = depth < 3;
        switch (rng() % 11) {
            case 0:
            case 1:
                WriteDated(src + name, bytes, kNew);
                if (!dst.empty() && rng() % 2) WriteDated(dst + dstName, "old", rng() % 3 ? kOld : kNew + kDay);
                break;
            case 2:
            case 3:
            case 4:
                if (deeper) Grow(rng, serial, src + name + L"\\", dst.empty() ? dst : dst + dstName + L"\\", depth + 1);
                break;
            case 5:
                if (deeper) Grow(rng, serial, src + name + L"\\", L"", depth + 1);
                break;
            case 6:
                if (!dst.empty()) WriteDated(dst + dstName + L"\\gone.txt", bytes, kOld);
                break;
            case 7:
                WriteDated(src + name + L"\\inner.txt", bytes, kNew);
                if (!dst.empty()) WriteDated(dst + dstName, "file in the way", kOld);
                break;
            case 8:
                WriteDated(src + name, bytes, kNew);
                if (!dst.empty()) WriteDated(dst + dstName + L"\\sub\\old.txt", "folder in the way", kOld);
                break;
            case 9:
                WriteDated(src + L"excl" + std::to_wstring(++serial) + L"\\skip.txt", bytes, kNew);
                break;
            default:
                if (!dst.empty()) WriteDated(dst + dstName + plat::kTempSuffix, "left over", kOld);
                WriteDated(src + name, bytes, kNew);
                break;
        }
    }
}

TEST_F(EngineReadAhead, RandomTreesComeOutAsInTheSequentialWalk) {
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        auto build = [seed](JobTree& t) {
            std::mt19937 rng(seed);
            int serial = 0;
            for (int round = 0; round < 3; ++round) Grow(rng, serial, t.src, t.dst, 0);
        };
        auto prepare = [seed](JobTree& t) {
            AddExclude(t.sid, L"\\EXCL");
            // Some walks are cancelled part way.
            if (seed % 4 == 0) Recorded().cancelAtDrain = static_cast<int>(seed % 13) + 2;
        };
        ExpectAheadAsSequential(seed % 3 == 0 ? 0 : 2, build, prepare);
        std::lock_guard<std::mutex> hold(g_listLock);
        for (const std::wstring& listed : g_listed)
            EXPECT_EQ(plat::ToUpper(listed).find(L"\\EXCL"), std::wstring::npos) << testing::PrintToString(listed);
        if (testing::Test::HasFailure()) break;
    }
}

}  // namespace
