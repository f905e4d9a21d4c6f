// Work ahead of the walk must not show: a walk runs twice on the same tree,
// once with the listings read and the small new files copied ahead on other
// threads, once with everything at its turn on the run's thread, and the
// two outcomes are compared (log lines of every kind, status lines,
// counters, mirror with "@" and its attributes and dates, source).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/engine_fixture.h"

namespace testing_support {

// What a walk showed, with the tree's own folder replaced by "<T>\".
struct Outcome {
    std::vector<std::wstring> normal, errors, hints, status;
    std::map<std::wstring, std::string> mirror, source;
    // Attributes and last write time of every mirror entry ("@" included).
    std::map<std::wstring, std::pair<uint32_t, int64_t>> mirrorMeta;
    int32_t entries = 0, files = 0, errorCount = 0;
    int64_t bytes = 0;
};

// The walk in progress, for the drain hooks.
struct Walk {
    bool ahead = true;
    JobTree* tree = nullptr;
    bool acted = false;  // a drain hook's one-time action is done
};
Walk& CurrentWalk();
// The source and destination folders of the last walk.
const std::wstring& LastSource();
const std::wstring& LastDest();

// Listings (with a trailing "\") and copies made ahead (by target) fail for
// these paths: a folder the user may not read, a disk that is full.
std::vector<std::wstring>& FailingListings();
std::vector<std::wstring>& FailingCopies();

// How often `dir` was listed, and `target` copied ahead, in this walk.
size_t TimesListed(const std::wstring& dir);
size_t TimesCopiedAhead(const std::wstring& target);
// Every folder the last walk listed.
std::vector<std::wstring> ListedDirs();

// Called from a drain in the walk ahead: waits until a reader has listed
// `dir`, or a writer has made the copy of `target` (the threads are free
// running; 20 s is only the bound for a machine that is very busy).
void AwaitListedAhead(const std::wstring& dir);
void AwaitCopiedAhead(const std::wstring& target);

using TreeStep = std::function<void(JobTree&)>;

// One walk of a fresh tree: `build` makes it, `prepare` sets the case up
// (exclusions, drain hooks) after the reset.
Outcome WalkOnce(bool ahead, int32_t versions, const TreeStep& build, const TreeStep& prepare);

void ExpectSame(const Outcome& ahead, const Outcome& sequential);

// Both walks, compared; the outcome of the walk ahead.
Outcome ExpectAheadAsSequential(int32_t versions, const TreeStep& build, const TreeStep& prepare);

// Routes the walks' listings and copies made ahead through the recording
// (and failing) hooks; WalkOnce does it itself.
void InstallAheadHooks();

// Resets the hooks and failure lists.
void ResetAheadWalks();

// A fixture for these walks: fake clock, recorder, hooks reset before and
// after.
struct AheadWalkTest : testing::Test {
    void SetUp() override;
    void TearDown() override;
};

}  // namespace testing_support
