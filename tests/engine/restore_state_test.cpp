// The state at a moment against what the source really held: a scripted
// history is backed up step by step while an oracle remembers each state
// of the source; then for a moment after every step the state read from
// the backup must be that state, as far as the backup still holds its
// versions (the oldest of a full set is dropped for good), and a restore of
// it into an empty folder must make exactly that tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/restore.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kStart = kTestNow;

enum class Act { Write, Remove };
struct Action {
    Act act;
    const wchar_t* path;
};

// Three versions: a full set drops its oldest. "a.txt" and "a1.txt" change
// together, so that their slots interleave ("@\a1.txt" is slot 1 of the
// one and slot 0 of the other).
const std::vector<std::vector<Action>> kHistory = {
    {{Act::Write, L"a.txt"},
     {Act::Write, L"a1.txt"},
     {Act::Write, L"d.txt"},
     {Act::Write, L"b"},
     {Act::Write, L"bleibt.txt"},
     {Act::Write, L"tief\\x.txt"}},
    {{Act::Write, L"a.txt"}, {Act::Write, L"a1.txt"}, {Act::Write, L"d.txt"}},
    {{Act::Write, L"a.txt"}, {Act::Write, L"a1.txt"}, {Act::Write, L"d.txt"}},
    {{Act::Write, L"a.txt"}, {Act::Write, L"a1.txt"}, {Act::Write, L"d.txt"}, {Act::Remove, L"tief"}},
    {{Act::Write, L"a.txt"},
     {Act::Write, L"a1.txt"},
     {Act::Remove, L"d.txt"},
     {Act::Remove, L"b"},
     {Act::Write, L"b\\innen.txt"}},
    {{Act::Write, L"d.txt"}, {Act::Write, L"b\\innen.txt"}},
    {{Act::Remove, L"b"}, {Act::Write, L"b"}, {Act::Write, L"a.txt"}},
    {{Act::Remove, L"a1.txt"}, {Act::Write, L"tief\\x.txt"}},
};

int64_t RunAt(size_t step) { return kStart + static_cast<int64_t>(step) * kDay; }
// After the run of the step, before the next step's changes.
int64_t MomentAfter(size_t step) { return RunAt(step) + 3600; }

using Files = std::map<std::wstring, std::string>;

struct State {
    Files files;
    std::set<std::wstring> folders;
};

// Files of a snapshot, and the folders that hold them.
State StateOf(const Files& snapshot) {
    State out;
    for (const auto& [path, content] : snapshot) {
        if (!path.empty() && path.back() == L'\\') continue;
        out.files[path] = content;
        for (size_t slash = path.find(L'\\'); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
            out.folders.insert(path.substr(0, slash));
    }
    return out;
}

// What the backup can still give of a source state: the files whose
// content it holds somewhere.
State Holdable(const Files& source, const std::vector<std::string>& held) {
    Files kept;
    for (const auto& [path, content] : source)
        if (std::find(held.begin(), held.end(), content) != held.end()) kept[path] = content;
    return StateOf(kept);
}

State StateRead(const std::vector<engine::StateItem>& items) {
    State out;
    for (const engine::StateItem& item : items) {
        if (item.version)
            out.files[item.path] = ReadAll(item.version->location);
        else
            out.folders.insert(item.path);
    }
    return out;
}

struct History {
    JobTree t{3};
    std::vector<Files> oracle;  // the source after each step

    History() {
        for (size_t step = 0; step < kHistory.size(); ++step) {
            plat::SetFakeClock(RunAt(step), 1000);
            for (const Action& a : kHistory[step]) {
                const std::wstring path = t.src + a.path;
                if (a.act == Act::Remove) {
                    EXPECT_TRUE(plat::RemoveForGood(path)) << step;
                    continue;
                }
                std::string content;
                for (const wchar_t* c = a.path; *c; ++c) content += static_cast<char>(*c);
                WriteDated(path, content + " in step " + std::to_string(step), RunAt(step) - 3600);
            }
            oracle.push_back(Snapshot(t.src));
            t.Sync();
            EXPECT_EQ(TestRun().tally.RunErrorCount, 0) << step;
        }
    }
};

struct EngineRestoreState : testing::Test {
    void SetUp() override { InstallRecorder(); }
};

TEST_F(EngineRestoreState, EveryMomentGivesWhatTheSourceHeldThen) {
    History h;
    const std::vector<std::string> held = AllContents(h.t.dst);
    const struct {
        const char* what;
        bool withIndex;
    } variants[] = {{"with the index", true}, {"by the slot names alone", false}};
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.what);
        if (!variant.withIndex) {
            ASSERT_TRUE(plat::DeleteFileAt(h.t.dst + engine::kIndexFile));
        }
        const engine::Catalog cat = engine::BuildCatalog(h.t.dst);
        EXPECT_EQ(cat.indexFound, variant.withIndex);
        EXPECT_EQ(cat.byNameVersions > 0, !variant.withIndex);
        EXPECT_TRUE(cat.unreadable.empty());
        // Before the first run the source held none of it yet.
        EXPECT_TRUE(engine::StateAt(cat, RunAt(0) - 7200, L"").empty());
        // The newest state is the mirror, whatever the index says.
        EXPECT_EQ(StateRead(engine::StateAt(cat, engine::kNewestState, L"")).files, StateOf(h.oracle.back()).files);
        for (size_t step = 0; step < kHistory.size(); ++step) {
            SCOPED_TRACE(step);
            const State want = Holdable(h.oracle[step], held);
            const State got = StateRead(engine::StateAt(cat, MomentAfter(step), L""));
            if (variant.withIndex) {
                EXPECT_EQ(got.files, want.files);
                EXPECT_EQ(got.folders, want.folders);
                continue;
            }
            // By name, a version's leaving is unknown: what vanished stays
            // in later states, and the interleaved slots of "a.txt" and
            // "a1.txt" cannot be told apart. Nothing else the source held
            // may be missing or wrong.
            for (const auto& [path, content] : want.files) {
                if (path == L"a.txt" || path == L"a1.txt") continue;
                auto it = got.files.find(path);
                EXPECT_TRUE(it != got.files.end() && it->second == content) << plat::WideToUtf8(path);
            }
        }
    }
}

TEST_F(EngineRestoreState, ARestoreOfAMomentMakesItsTreeAndOfOneFolderOnlyThat) {
    History h;
    const std::vector<std::string> held = AllContents(h.t.dst);
    const engine::Catalog cat = engine::BuildCatalog(h.t.dst);
    for (size_t step : {size_t{0}, size_t{4}, kHistory.size() - 1}) {
        SCOPED_TRACE(step);
        const std::wstring into = h.t.tree.Path(L"zurück" + std::to_wstring(step));
        const auto items = engine::StateAt(cat, MomentAfter(step), L"");
        const engine::RestoreOutcome out = engine::RestoreState(items, L"", into, MomentAfter(step), {});
        const State want = Holdable(h.oracle[step], held);
        EXPECT_EQ(out.restored, static_cast<int32_t>(want.files.size()));
        EXPECT_EQ(out.failed, 0);
        EXPECT_EQ(StateOf(Snapshot(into)).files, want.files);
        // Each file has the date of its version.
        for (const engine::StateItem& item : items) {
            if (item.version) {
                EXPECT_EQ(DateOf(into + L"\\" + item.path), item.version->modified);
            }
        }
    }
    // The folder that was a file, as it stood while it was a folder.
    const auto items = engine::StateAt(cat, MomentAfter(5), L"b");
    const std::wstring into = h.t.tree.Path(L"nur b");
    const engine::RestoreOutcome out = engine::RestoreState(items, L"b", into, MomentAfter(5), {});
    EXPECT_EQ(out.restored, 1);
    EXPECT_EQ(Snapshot(into), (Files{{L"innen.txt", "b\\innen.txt in step 5"}}));
}

}  // namespace
