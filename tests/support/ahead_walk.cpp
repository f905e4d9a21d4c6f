#include "tests/support/ahead_walk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "engine/archive_index.h"
#include "engine/copy_ahead.h"
#include "engine/read_ahead.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace testing_support {

namespace {

std::mutex g_lock;  // the readers and writers record from their threads
std::vector<std::wstring> g_listed, g_copied;
std::vector<std::wstring> g_failingListings, g_failingCopies;
std::wstring g_lastSource, g_lastDest;
Walk g_walk;

bool Named(const std::vector<std::wstring>& paths, const std::wstring& path) {
    for (const std::wstring& named : paths)
        if (plat::EqualNoCase(named, path)) return true;
    return false;
}

size_t Count(const std::vector<std::wstring>& paths, const std::wstring& path) {
    std::lock_guard<std::mutex> hold(g_lock);
    size_t count = 0;
    for (const std::wstring& named : paths) count += plat::EqualNoCase(named, path) ? 1 : 0;
    return count;
}

bool RecordingList(const std::wstring& dir, engine::Listing& out) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_listed.push_back(dir);
        if (Named(g_failingListings, dir)) {
            out = engine::Listing();
            plat::SetLastError(plat::kErrAccessDenied);
            return false;
        }
    }
    return plat::ListDirCompact(dir, out);
}

bool RecordingPrepare(const std::wstring& from, const std::wstring& to, bool archiveOnly, uint64_t maxBytes,
                      plat::PreparedCopy& copy) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_copied.push_back(to);
        if (Named(g_failingCopies, to)) {
            plat::SetLastError(plat::kErrDiskFull);
            return false;
        }
    }
    return plat::PrepareCopy(from, to, archiveOnly, maxBytes, copy);
}

void Await(const std::vector<std::wstring>& paths, const std::wstring& path) {
    for (int waited = 0; waited < 2000 && Count(paths, path) == 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

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

void AddMeta(const std::wstring& dir, const std::wstring& relative,
             std::map<std::wstring, std::pair<uint32_t, int64_t>>& meta) {
    std::vector<plat::DirEntry> entries;
    EXPECT_TRUE(plat::ListDir(dir + relative, L"*", entries));
    for (const plat::DirEntry& e : entries) {
        const bool isDir = (e.attributes & plat::kAttrDirectory) != 0;
        // A folder's date changes with whatever lands in it; its attributes
        // count. The archive's index is written at the real time of the run.
        const bool index = relative + e.name == engine::kIndexFile;
        meta[relative + e.name] = {e.attributes, isDir || index ? 0 : e.modified};
        if (isDir) AddMeta(dir, relative + e.name + L"\\", meta);
    }
}

}  // namespace

Walk& CurrentWalk() { return g_walk; }
const std::wstring& LastSource() { return g_lastSource; }
const std::wstring& LastDest() { return g_lastDest; }
std::vector<std::wstring>& FailingListings() { return g_failingListings; }
std::vector<std::wstring>& FailingCopies() { return g_failingCopies; }
size_t TimesListed(const std::wstring& dir) { return Count(g_listed, dir); }
size_t TimesCopiedAhead(const std::wstring& target) { return Count(g_copied, target); }

std::vector<std::wstring> ListedDirs() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_listed;
}

void AwaitListedAhead(const std::wstring& dir) { Await(g_listed, dir); }
void AwaitCopiedAhead(const std::wstring& target) { Await(g_copied, target); }

Outcome WalkOnce(bool ahead, int32_t versions, const TreeStep& build, const TreeStep& prepare) {
    ResetForNextCase();
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_listed.clear();
        g_copied.clear();
    }
    JobTree t(versions);
    build(t);
    g_walk = Walk{ahead, &t, false};
    g_lastSource = t.src;
    g_lastDest = t.dst;
    prepare(t);
    TestRun().options.ListAhead = ahead;
    TestRun().options.CopyAhead = ahead;
    TestRun().options.CompareAhead = ahead;
    InstallAheadHooks();
    t.Sync();
    engine::SetListHookForTest(nullptr);
    engine::SetPrepareHookForTest(nullptr);
    g_walk = Walk{};

    Outcome out;
    const std::wstring& root = t.tree.root;
    out.normal = RelativeAll(LogLines(core::kLogNormal), root);
    out.errors = RelativeAll(LogLines(core::kLogError), root);
    out.hints = RelativeAll(LogLines(core::kLogHint), root);
    out.status = RelativeAll(Recorded().statusLines, root);
    out.mirror = Snapshot(t.dst);
    AddMeta(t.dst, L"", out.mirrorMeta);
    out.source = Snapshot(t.src);
    const engine::RunTally& run = TestRun().tally;
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
    EXPECT_EQ(ahead.mirrorMeta, sequential.mirrorMeta);
    EXPECT_EQ(ahead.source, sequential.source);
    EXPECT_EQ(ahead.entries, sequential.entries);
    EXPECT_EQ(ahead.files, sequential.files);
    EXPECT_EQ(ahead.bytes, sequential.bytes);
    EXPECT_EQ(ahead.errorCount, sequential.errorCount);
}

Outcome ExpectAheadAsSequential(int32_t versions, const TreeStep& build, const TreeStep& prepare) {
    const Outcome sequential = WalkOnce(false, versions, build, prepare);
    const Outcome ahead = WalkOnce(true, versions, build, prepare);
    ExpectSame(ahead, sequential);
    return ahead;
}

void InstallAheadHooks() {
    engine::SetListHookForTest(&RecordingList);
    engine::SetPrepareHookForTest(&RecordingPrepare);
}

void ResetAheadWalks() {
    engine::SetListHookForTest(nullptr);
    engine::SetPrepareHookForTest(nullptr);
    g_failingListings.clear();
    g_failingCopies.clear();
}

void AheadWalkTest::SetUp() {
    plat::SetFakeClock(kTestNow, 1000);
    InstallRecorder();
    ResetAheadWalks();
}

void AheadWalkTest::TearDown() {
    ResetAheadWalks();
    ResetForNextCase();
}

}  // namespace testing_support
