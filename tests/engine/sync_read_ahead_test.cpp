// Reading listings ahead must not show: every walk here runs twice on the
// same tree (tests/support/ahead_walk.h), once with the listings read ahead
// on the reader threads and once read at each directory's turn, and
// everything observable must be the same. The cases are what concurrency can break: cancel, a listing that fails, an
// exclusion, a source folder that vanishes after it was read ahead, type
// changes, and randomized trees.
#include <gtest/gtest.h>

#include <random>

#include "core/state.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "engine/sync.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/support/ahead_walk.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

// Twelve folders d00..d11 with two files each, and a file at the top.
void TwelveFolders(JobTree& t) {
    for (int i = 0; i < 12; ++i) {
        const std::wstring dir = t.src + L"d" + (i < 10 ? L"0" : L"") + std::to_wstring(i) + L"\\";
        WriteDated(dir + L"a.txt", "a" + std::to_string(i), kNew);
        WriteDated(dir + L"sub\\b.txt", "b" + std::to_string(i), kNew);
    }
    WriteDated(t.src + L"z.txt", "z", kNew);
}

struct EngineReadAhead : AheadWalkTest {};

TEST_F(EngineReadAhead, CancelWhileFoldersAreReadAheadActsOnNothingBeyond) {
    // "Abbrechen" at the entry of d03 (the 13th: each folder before it is
    // four entries), once d07 has been read ahead.
    auto prepare = [](JobTree&) {
        Recorded().onDrain = [](int) {
            if (TestRun().tally.EntriesDone != 13 || engine::R().CancelRequested) return;
            if (CurrentWalk().ahead) AwaitListedAhead(CurrentWalk().tree->src + L"d07\\");
            engine::R().CancelRequested = 1;
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, TwelveFolders, prepare);
    EXPECT_EQ(TimesListed(LastSource() + L"d07\\"), 1u) << "read ahead, never acted on";
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
        FailingListings() = {t.src + L"d05\\", t.dst + L"d02\\"};
        Recorded().onDrain = [](int) {
            if (CurrentWalk().ahead && TestRun().tally.EntriesDone == 1)
                AwaitListedAhead(CurrentWalk().tree->src + L"d05\\");
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, build, prepare);
    EXPECT_EQ(TimesListed(LastSource() + L"d05\\"), 2u) << "read ahead, failed, read again at its turn";
    EXPECT_EQ(ahead.errorCount, 2);
    ASSERT_EQ(ahead.errors.size(), 2u);
    EXPECT_EQ(ahead.errors[0],
              Because(L"Konnte Verzeichnis nicht erstellen: <<T>\\dst\\d02\\>", plat::kErrAlreadyExists));
    EXPECT_EQ(ahead.errors[1],
              Because(L"Konnte Verzeichnis<<T>\\src\\d05\\> nicht untersuchen!", plat::kErrAccessDenied));
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
            if (TestRun().tally.EntriesDone != 3 || engine::R().CancelRequested) return;
            if (CurrentWalk().acted) return;
            if (CurrentWalk().ahead) AwaitListedAhead(CurrentWalk().tree->src + L"d04\\");
            CurrentWalk().acted = true;
            // The run took the exclusions when it began; a change reaches the
            // walk through the run's own list.
            TestRun().inputs.Excludes.push_back(
                core::Exclude{CurrentWalk().tree->sid, plat::ToUpper(CurrentWalk().tree->src + L"d04")});
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
            if (TestRun().tally.EntriesDone != 2 || !Exists(CurrentWalk().tree->src + L"d06")) return;
            if (CurrentWalk().ahead) AwaitListedAhead(CurrentWalk().tree->src + L"d06\\");
            EXPECT_TRUE(plat::RemoveTree(CurrentWalk().tree->src + L"d06"));
        };
    };
    const Outcome ahead = ExpectAheadAsSequential(2, TwelveFolders, prepare);
    EXPECT_EQ(ahead.errors, std::vector<std::wstring>{Because(L"Konnte Verzeichnis<<T>\\src\\d06\\> nicht untersuchen!",
                                                              plat::kErrPathNotFound)});
    EXPECT_FALSE(ahead.mirror.count(L"d06\\a.txt"));
    EXPECT_TRUE(ahead.mirror.count(L"d07\\sub\\b.txt"));
}

TEST_F(EngineReadAhead, TypeChangesBothWaysWithFoldersAhead) {
    // Folder where the mirror has a file, file where it has a folder (with
    // content and subfolders), with folders to read ahead on both sides.
    auto build = [](JobTree& t) {
        TwelveFolders(t);
        WriteDated(t.dst + L"d03", "was a file", kOld);
        EXPECT_TRUE(plat::RemoveTree(t.src + L"d05"));
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
            EXPECT_EQ(ahead.mirror.at(L"d08\\a.txt"), "a8");  // renamed to the source's spelling
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
            // Some walks are cancelled part way, at an entry: counted in
            // drains the place would differ, as a copy drains as often as
            // the platform's copy reports progress (Wine's reports none;
            // placing a copy made ahead drains twice).
            static int cancelAt = 0;
            cancelAt = seed % 4 == 0 ? static_cast<int>(seed % 13) + 2 : 0;
            Recorded().onDrain = [](int) {
                if (cancelAt != 0 && TestRun().tally.EntriesDone == cancelAt) engine::R().CancelRequested = 1;
            };
        };
        ExpectAheadAsSequential(seed % 3 == 0 ? 0 : 2, build, prepare);
        for (const std::wstring& listed : ListedDirs())
            EXPECT_EQ(plat::ToUpper(listed).find(L"\\EXCL"), std::wstring::npos) << testing::PrintToString(listed);
        if (testing::Test::HasFailure()) break;
    }
}

}  // namespace
