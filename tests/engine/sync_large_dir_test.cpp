// One directory of many entries, with umlauts and names whose case differs
// between the sides: the compact listings must pair, copy, archive and log
// exactly as names compared one by one would.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/state.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

struct EngineLargeDir : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

std::wstring SourceName(int i) {
    static const wchar_t* const kWords[] = {L"Übersicht", L"straße", L"Ärger", L"zähler", L"Öl", L"Bericht"};
    return std::wstring(kWords[i % 6]) + L" " + std::to_wstring(i * 7919 % 1000) + (i % 4 ? L".txt" : L".Übung");
}

}  // namespace

TEST_F(EngineLargeDir, PairsCopiesAndArchivesAsNamesComparedOneByOne) {
    JobTree t(3);
    core::S().settings.GLogExt = 1;
    // A third of the mirror is up to date under upper-case names, a third is
    // older under lower-case names, a third is missing; and the mirror holds
    // files of its own that the source no longer has.
    std::vector<std::wstring> copied;
    for (int i = 0; i < 360; ++i) {
        const std::wstring name = SourceName(i);
        WriteDated(t.src + name, "neu", kNew);
        if (i % 3 == 0) WriteDated(t.dst + plat::ToUpper(name), "neu", kNew);
        if (i % 3 == 1) WriteDated(t.dst + plat::ToLower(name), "alt", kOld);
        if (i % 3 != 0) copied.push_back(name);
    }
    for (int i = 0; i < 60; ++i) WriteDated(t.dst + L"Zusatz " + std::to_wstring(i) + L" ä.txt", "weg", kOld);
    t.Sync();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);

    // Every paired mirror entry takes the source's spelling.
    const auto mirror = Snapshot(t.dst, true);
    EXPECT_EQ(mirror.size(), 360u);
    for (int i = 0; i < 360; ++i) {
        const std::wstring name = SourceName(i);
        ASSERT_EQ(mirror.count(name), 1u) << plat::WideToUtf8(name);
        EXPECT_EQ(mirror.at(name), "neu");
    }
    // The 120 replaced versions and the 60 files without source are in "@".
    size_t archived = 0;
    for (const auto& [path, content] : Snapshot(t.dst)) {
        if (path.rfind(L"@\\", 0) != 0 || path.back() == L'\\') continue;
        ++archived;
        EXPECT_TRUE(content == "alt" || content == "weg") << plat::WideToUtf8(path);
    }
    EXPECT_EQ(archived, 180u);

    // The copies are logged in the order of the names compared as wide
    // strings: by name ignoring case, then exactly.
    std::sort(copied.begin(), copied.end(), [](const std::wstring& a, const std::wstring& b) {
        const int order = plat::CompareNoCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    std::vector<std::wstring> logged;
    for (const std::wstring& line : LogLines(core::kLogNormal))
        if (line.rfind(L"Kopiere: ", 0) == 0) logged.push_back(line.substr(line.find_last_of(L'\\') + 1));
    EXPECT_EQ(logged, copied);
}
