#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/sid.h"
#include "core/state.h"

namespace {

struct Recorded {
    std::wstring text;
    int kind;
};
std::vector<Recorded> g_logs;
std::vector<std::pair<std::wstring, std::wstring>> g_messages;

void RecordLog(const std::wstring& text, int kind) { g_logs.push_back({text, kind}); }
void RecordMessage(const std::wstring& title, const std::wstring& text) { g_messages.emplace_back(title, text); }

// Scripted source: `g_script` is returned in order, then `g_fallback` forever.
std::vector<int32_t> g_script;
int32_t g_fallback = 0;
int g_draws = 0;
int32_t ScriptedDraw() {
    int index = g_draws++;
    return index < static_cast<int>(g_script.size()) ? g_script[index] : g_fallback;
}

class CoreNewSid : public testing::Test {
protected:
    void SetUp() override {
        g_logs.clear();
        g_messages.clear();
        g_script.clear();
        g_fallback = 0;
        g_draws = 0;
        core::Sinks sinks;
        sinks.log = RecordLog;
        sinks.message = RecordMessage;
        core::SetSinks(sinks);
    }
    void TearDown() override {
        core::SetSidSourceForTest(nullptr);
        core::SetSinks(core::Sinks{});
    }
    static void AddJobs(std::initializer_list<int32_t> sids) {
        for (int32_t sid : sids) {
            core::Job job;
            job.Sid = sid;
            core::S().Jobs.Append(job);
        }
    }
};

TEST_F(CoreNewSid, GivesUpAfter10001TakenDrawsWithLogAndMessage) {
    AddJobs({5, 6, 7});
    g_fallback = 5;
    core::SetSidSourceForTest(ScriptedDraw);
    EXPECT_EQ(core::NewSid(), 0);
    EXPECT_EQ(g_draws, 10001);
    ASSERT_EQ(g_logs.size(), 1u);
    EXPECT_EQ(g_logs[0].text,
              L"PrgErr: Konnte keine Sid erstellen! Nach 10000 Versuchen gestoppt! "
              L"Jobs()-Listengrösse:3");
    EXPECT_EQ(g_logs[0].kind, core::kLogError);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].first, L"Meldung");
    EXPECT_EQ(g_messages[0].second, L"Fehler! Konnte keine Sid erstellen! Nach 10000 Versuchen gestoppt!");
}

TEST_F(CoreNewSid, AFreshValueOnTheLastPermittedDrawStillCounts) {
    AddJobs({5});
    g_script.assign(9999, 5);
    g_script.push_back(77);  // draw 10000
    core::SetSidSourceForTest(ScriptedDraw);
    EXPECT_EQ(core::NewSid(), 77);
    EXPECT_TRUE(g_logs.empty());
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(CoreNewSid, TheDrawAfterTheLimitIsIgnoredEvenWhenFresh) {
    AddJobs({5});
    g_script.assign(10000, 5);
    g_fallback = 77;  // draw 10001
    core::SetSidSourceForTest(ScriptedDraw);
    EXPECT_EQ(core::NewSid(), 0);
    EXPECT_EQ(g_draws, 10001);
    EXPECT_EQ(g_logs.size(), 1u);
}

TEST_F(CoreNewSid, DrawsAgainAfterADuplicate) {
    AddJobs({11, 12});
    g_script = {12, 11, 99};
    core::SetSidSourceForTest(ScriptedDraw);
    EXPECT_EQ(core::NewSid(), 99);
    EXPECT_EQ(g_draws, 3);
    EXPECT_TRUE(g_logs.empty());
}

TEST_F(CoreNewSid, NeverReturnsZeroOrANegativeDraw) {
    g_script = {0, -4, 8};
    core::SetSidSourceForTest(ScriptedDraw);
    EXPECT_EQ(core::NewSid(), 8);
}

TEST_F(CoreNewSid, RealDrawsArePositiveAndFreeOfTakenSids) {
    AddJobs({1, 2, 3});
    std::set<int32_t> seen;
    for (int i = 0; i < 20000; ++i) {
        int32_t sid = core::NewSid();
        ASSERT_GE(sid, 1);
        ASSERT_LE(sid, 2147483647);
        ASSERT_GT(sid, 3);  // 1 to 3 are taken; the chance of drawing them is negligible anyway
        seen.insert(sid);
    }
    // A source stuck on few values would make every later job collide.
    EXPECT_GT(seen.size(), 19900u);
    EXPECT_TRUE(g_logs.empty());
}

struct OrphanFixture {
    OrphanFixture() {
        for (int32_t sid : {1, 2}) {
            core::Job job;
            job.Sid = sid;
            core::S().Jobs.Append(job);
        }
        const int32_t excludeSids[] = {1, 9, 2, 9, 1};
        for (int i = 0; i < 5; ++i) {
            core::Exclude exclude;
            exclude.Sid = excludeSids[i];
            exclude.Path = L"P" + std::to_wstring(i);
            core::S().Excludes.Append(exclude);
        }
        const int32_t arcSids[] = {7, 2, 8};
        for (int i = 0; i < 3; ++i) {
            core::ArcIndivEntry entry;
            entry.Sid = arcSids[i];
            entry.Path = L"A" + std::to_wstring(i);
            core::S().ArcIndiv.Append(entry);
        }
    }
    static std::vector<std::wstring> ExcludePaths() {
        std::vector<std::wstring> out;
        for (const core::Exclude& e : core::S().Excludes.items) out.push_back(e.Path);
        return out;
    }
};

TEST(CoreRemoveOrphans, DropsEntriesOfDeletedJobsInOrder) {
    OrphanFixture fixture;
    core::RemoveOrphans();
    EXPECT_EQ(OrphanFixture::ExcludePaths(), (std::vector<std::wstring>{L"P0", L"P2", L"P4"}));
    ASSERT_EQ(core::S().ArcIndiv.Size(), 1u);
    EXPECT_EQ(core::S().ArcIndiv.items[0].Path, L"A1");
    EXPECT_EQ(core::S().Jobs.Size(), 2u);
}

TEST(CoreRemoveOrphans, EmptiesTheListsWhenNoJobIsLeft) {
    OrphanFixture fixture;
    core::S().Jobs.Clear();
    core::RemoveOrphans();
    EXPECT_TRUE(core::S().Excludes.Empty());
    EXPECT_TRUE(core::S().ArcIndiv.Empty());
}

}  // namespace
