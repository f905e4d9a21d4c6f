// The guards of a job's run: a source that looks empty is not mirrored, a
// change of more than half of the backup at once is held back (asked about
// in an interactive run), and what is held back stays in the mirror and in
// "@" as it was. The jobs run through RunJob, so LastBup and EntryCount are
// those the job list keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/state.h"
#include "engine/guard.h"
#include "engine/run.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace ts = testing_support;

namespace {

constexpr int64_t kOld = ts::kTestNow - 10 * ts::kDay;
constexpr int64_t kNewer = ts::kTestNow - 2 * ts::kDay;

// The backup the cases start from: three folders of 10 files and one of
// four subfolders of 20, 118 entries; file i of each folder is "dNN.txt".
struct BaseFile {
    std::wstring path;
    int index;
};
std::vector<BaseFile> BaseFiles() {
    std::vector<BaseFile> files;
    auto folder = [&files](const std::wstring& dir, int count) {
        for (int i = 0; i < count; ++i)
            files.push_back({dir + L"\\d" + (i < 10 ? L"0" : L"") + std::to_wstring(i) + L".txt", i});
    };
    for (const wchar_t* dir : {L"f0", L"f1", L"f2"}) folder(dir, 10);
    for (const wchar_t* dir : {L"f3\\s0", L"f3\\s1", L"f3\\s2", L"f3\\s3"}) folder(dir, 20);
    return files;
}
constexpr int32_t kBaseEntries = 118;

struct GuardRun : testing::Test {
    std::unique_ptr<ts::TempTree> tree;
    std::wstring src, dst;
    int32_t lastBup = 0;
    engine::Run run;

    // The first backup is made by a run, which counts it; the cases after
    // it are given the same mirror directly (hundreds of copies would wait
    // on the disk for seconds).
    void SetUp() override { Fresh(true); }

    // A fresh backup of the base tree, as a run at kTestNow left it; the
    // clock a day later.
    void Fresh(bool byRun = false) {
        ts::ResetForNextCase();
        tree = std::make_unique<ts::TempTree>();
        plat::SetFakeClock(ts::kTestNow, 1000);
        src = tree->Path(L"src\\");
        dst = tree->Path(L"dst\\");
        for (const BaseFile& f : BaseFiles()) {
            Put(src + f.path, "v1", kOld);
            if (!byRun) Put(dst + f.path, "v1", kOld);
            // Each file has an older version in "@" already; at one version
            // a replacement would push it out.
            Put(dst + L"@\\" + f.path, "v0", kOld - ts::kDay);
        }
        core::Job& job = ts::AddJob(src, dst, 1);
        if (byRun) {
            ASSERT_TRUE(RunOnce({}).ran);
            ASSERT_EQ(Job().EntryCount, kBaseEntries);
        } else {
            job.EntryCount = kBaseEntries;
            job.LastBup = static_cast<int32_t>(ts::kTestNow);
        }
        lastBup = Job().LastBup;
        const core::Job counted = Job();
        ts::ResetForNextCase();
        core::S().Jobs.Append(counted);
        plat::SetFakeClock(ts::kTestNow + ts::kDay, 1000);
    }

    // A file with its date, without the flush of WriteFileReplacing.
    static void Put(const std::wstring& path, const std::string& bytes, int64_t date) {
        const std::filesystem::path native =
            ts::HostBuild() ? std::filesystem::path(ts::HostPathOf(path)) : std::filesystem::path(path);
        std::filesystem::create_directories(native.parent_path());
        std::ofstream(native, std::ios::binary) << bytes;
        ASSERT_TRUE(plat::SetModified(path, date));
    }

    core::Job& Job() { return core::S().Jobs.items[0]; }

    engine::JobResult RunOnce(const engine::RunOptions& options) {
        run = engine::MakeRun(options);
        return engine::RunJob(run.options, run.inputs, run.tally, 0);
    }
};

std::wstring Starting(const std::wstring& prefix) {
    for (const std::wstring& line : ts::LogLines(core::kLogError))
        if (line.rfind(prefix, 0) == 0) return line;
    return L"";
}

}  // namespace

// Each case changes the source, runs the job again and checks, file by
// file, that every change was either made or left whole (mirror and "@"),
// and that a job held back stopped early.
TEST_F(GuardRun, MassChangesAreHeldBackBeyondHalfTheBackup) {
    enum class Change { Replace, Vanish, VanishFolder };
    struct Case {
        const char* name;
        Change change;
        std::function<bool(const BaseFile&)> changed;
        engine::RunOptions options;
        bool answer;         // "Ja" to the question
        int32_t entryCount;  // the job's count before the run
        bool held;
        int questions;
        int32_t heldBack;  // -1: whatever the level order left
    };
    engine::RunOptions unattended;
    unattended.Unattended = true;
    engine::RunOptions itJob = unattended;
    itJob.itJobMode = engine::ItJobMode::Manual;
    auto tenth = [](const BaseFile& f) { return f.index % 10 == 0; };
    auto fourFifths = [](const BaseFile& f) { return f.index % 5 != 0; };
    auto threeQuarters = [](const BaseFile& f) { return f.index % 4 != 0; };
    auto bigFolder = [](const BaseFile& f) { return f.path.rfind(L"f3\\", 0) == 0; };
    const Case cases[] = {
        {"a tenth replaced runs as always", Change::Replace, tenth, {}, false, kBaseEntries, false, 0, 0},
        {"four fifths replaced, /S", Change::Replace, fourFifths, unattended, false, kBaseEntries, true, 0, -1},
        {"four fifths replaced, Ja", Change::Replace, fourFifths, {}, true, kBaseEntries, false, 1, 0},
        {"four fifths replaced, Nein", Change::Replace, fourFifths, {}, false, kBaseEntries, true, 1, -1},
        {"three quarters vanished, /S", Change::Vanish, threeQuarters, unattended, false, kBaseEntries, true, 0, -1},
        // f3 with its 4 folders and 80 files: 85 entries leave at once,
        // noticed before anything moved.
        {"a big folder vanished", Change::VanishFolder, bigFolder, unattended, false, kBaseEntries, true, 0, 85},
        {"never counted: no bound", Change::Replace, fourFifths, unattended, false, 0, false, 0, 0},
        {"IT job replaces no more", Change::Replace, fourFifths, itJob, false, kBaseEntries, true, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        Job().EntryCount = c.entryCount;
        const std::vector<BaseFile> files = BaseFiles();
        int changes = 0;
        for (const BaseFile& f : files) {
            if (!c.changed(f)) continue;
            ++changes;
            if (c.change == Change::Replace) {
                Put(src + f.path, "v2", kNewer);
            } else if (c.change == Change::Vanish) {
                ASSERT_TRUE(plat::DeleteFileAt(src + f.path));
            }
        }
        if (c.change == Change::VanishFolder) {
            ASSERT_TRUE(plat::RemoveTree(src + L"f3\\"));
        }
        Put(src + L"f0\\neu.txt", "neu", kNewer);  // new files are copied whatever happens
        ts::Recorded().answer = c.answer;

        const engine::JobResult result = RunOnce(c.options);
        EXPECT_TRUE(result.ran);
        EXPECT_EQ(int(ts::Recorded().questions.size()), c.questions);
        EXPECT_EQ(ts::ReadAll(dst + L"f0\\neu.txt"), "neu");

        // Made or left whole, file by file; a replaced file's old copy is
        // the version in "@" at one version, and the older one is gone.
        const bool archives = c.options.itJobMode == engine::ItJobMode::Normal;
        int made = 0;
        for (const BaseFile& f : files) {
            if (!c.changed(f)) {
                EXPECT_EQ(ts::ReadAll(dst + f.path), "v1");
                continue;
            }
            const std::string mirror = ts::Exists(dst + f.path) ? ts::ReadAll(dst + f.path) : "";
            const std::string version = ts::ReadAll(dst + L"@\\" + f.path);
            const bool done = c.change == Change::Replace ? mirror == "v2" : mirror.empty();
            made += done;
            if (!done) {
                EXPECT_EQ(mirror, "v1") << std::string(f.path.begin(), f.path.end());
                EXPECT_EQ(version, "v0");
            } else if (archives) {
                EXPECT_EQ(version, "v1");
            }
        }
        int32_t entriesMade = made;
        if (c.change == Change::VanishFolder && made > 0) entriesMade += 5;
        const int32_t allowance = engine::MassChangeAllowance(c.entryCount);
        if (!c.held) {
            EXPECT_EQ(made, changes);
            EXPECT_EQ(run.tally.RunErrorCount, 0);
            EXPECT_EQ(Job().LastBup, static_cast<int32_t>(plat::Now()));
            continue;
        }
        // Past an eighth of the backup the rest is counted ahead: none of
        // these changes went further.
        EXPECT_LE(entriesMade, allowance / 4);
        EXPECT_LT(made, changes);
        EXPECT_EQ(run.tally.RunErrorCount, 1);
        EXPECT_EQ(run.tally.JobsHeldBack, 1);
        EXPECT_EQ(Job().LastBup, lastBup);
        EXPECT_GE(Job().EntryCount, c.entryCount);  // grows with the new file, as after an error
        const int32_t heldBack = c.heldBack >= 0 ? c.heldBack : changes - made;
        const std::wstring line = L"MASSENÄNDERUNG: " + src + L" - " + std::to_wstring(heldBack) +
                                  L" Einträge zurückgehalten, mehr als die Hälfte der " +
                                  std::to_wstring(c.entryCount) + L" Einträge würde archiviert oder ersetzt";
        EXPECT_TRUE(ts::LogHas(core::kLogError, line)) << Starting(L"MASSEN");
        EXPECT_TRUE(ts::LogHas(core::kLogNormal, line));
    }
}

TEST_F(GuardRun, TheQuestionNamesTheJobAndTheCount) {
    // 10 files of f0 and 20 of f3\s0..s3 each: 90 replaced. At f3\s0 an
    // eighth has changed (30), and the count ahead finds the rest.
    for (const BaseFile& f : BaseFiles())
        if (f.path.rfind(L"f1", 0) != 0 && f.path.rfind(L"f2", 0) != 0) Put(src + f.path, "v2", kNewer);
    ts::Recorded().answer = true;
    (void)RunOnce({});
    ASSERT_EQ(ts::Recorded().questions.size(), 1u);
    EXPECT_EQ(ts::Recorded().questions[0],
              L"Backup von " + src +
                  L":\n90 Einträge würden archiviert oder ersetzt - das ist mehr als die Hälfte des Backups. "
                  L"Trotzdem fortfahren?");
    EXPECT_TRUE(ts::LogHas(core::kLogNormal, L"Massenänderung bestätigt: " + src));
    EXPECT_EQ(run.tally.RunErrorCount, 0);
}

// A source that holds nothing is never mirrored over a mirror that holds
// something; a source that cannot be listed is an error of its own, not
// an empty one.
TEST_F(GuardRun, AnEmptySourceLeavesTheMirrorAsItWas) {
    struct Case {
        const char* name;
        bool optional;
        bool unreadable;
    };
    const Case cases[] = {{"a job", false, false}, {"an optional job", true, false}, {"unreadable", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        for (const wchar_t* dir : {L"f0", L"f1", L"f2", L"f3"}) ASSERT_TRUE(plat::RemoveTree(src + dir));
        if (c.optional) Job().Flags |= core::kFlagOptional;
        const std::map<std::wstring, std::string> before = ts::Snapshot(dst);
        if (c.unreadable) plat::InjectFault(plat::FaultOp::List, 1, 5);

        (void)RunOnce({});
        EXPECT_EQ(ts::Snapshot(dst), before);
        EXPECT_EQ(Job().LastBup, lastBup);
        EXPECT_EQ(Job().EntryCount, kBaseEntries);
        const std::wstring line = L"QUELLE IST LEER: " + src + L" - Ziel enthält " + std::to_wstring(kBaseEntries) +
                                  L" Einträge, Job übersprungen";
        if (c.unreadable) {
            EXPECT_EQ(ts::CountLogPrefix(core::kLogError, L"QUELLE IST LEER"), 0u);
            EXPECT_TRUE(
                ts::LogHas(core::kLogError, ts::Because(L"Konnte Verzeichnis<" + src + L"> nicht untersuchen!", 5)));
            continue;
        }
        EXPECT_TRUE(ts::LogHas(core::kLogNormal, line));
        EXPECT_EQ(ts::LogHas(core::kLogError, line), !c.optional);
        EXPECT_EQ(ts::LogHas(core::kLogHint, line), c.optional);
        EXPECT_EQ(run.tally.RunErrorCount, c.optional ? 0 : 1);
        EXPECT_EQ(run.tally.JobsHeldBack, c.optional ? 0 : 1);
    }
}

// Pure rule: more than half and at least 50.
TEST(EngineGuard, TheBoundIsMoreThanHalfAndAtLeastFifty) {
    const std::pair<int32_t, int32_t> cases[] = {
        {0, engine::kNoBound}, {1, 49}, {99, 49}, {100, 50}, {101, 50}, {118, 59}, {2000000001, 1000000000}};
    for (const auto& [count, allowed] : cases) EXPECT_EQ(engine::MassChangeAllowance(count), allowed) << count;
}
