// Trees the plain Win32 path spelling cannot reach: directories nested past
// 800 characters, a 240-character file name, and names ending in a dot or a
// blank. They are mirrored and archived under their exact names, the
// exclusion search walks into them, and nothing shows the literal spelling.
// Both builds; under Wine these go through the real Win32 file calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

// Nine directories of 96 characters each: 864 characters below the source.
std::wstring DeepDir() {
    std::wstring dir;
    for (int level = 1; level <= 9; ++level)
        dir += std::wstring(94, static_cast<wchar_t>(L'a' + level)) + std::to_wstring(level) + L"\\";
    return dir;
}

const std::wstring kLongName = std::wstring(236, L'L') + L".txt";

// Relative path -> content, as Snapshot() gives it, of the odd tree with
// each file's content tagged.
std::map<std::wstring, std::string> OddTree(const std::string& tag) {
    std::map<std::wstring, std::string> tree;
    const std::wstring deep = DeepDir();
    for (size_t slash = deep.find(L'\\'); slash != std::wstring::npos; slash = deep.find(L'\\', slash + 1))
        tree[deep.substr(0, slash + 1)] = "";
    tree[deep + L"tief.txt"] = "tief " + tag;
    tree[kLongName] = "lang " + tag;
    tree[L"Bericht."] = "Bericht " + tag;
    tree[L"Notiz "] = "Notiz " + tag;
    tree[L"Alt.\\"] = "";
    tree[L"Alt.\\innen.txt"] = "innen " + tag;
    return tree;
}

void WriteOddTree(const std::wstring& root, const std::map<std::wstring, std::string>& tree, int64_t date) {
    for (const auto& [path, content] : tree)
        if (path.back() != L'\\') WriteDated(root + path, content, date);
}

bool AnyLogLineHasLiteralPrefix() {
    for (int kind : {core::kLogNormal, core::kLogError, core::kLogHint})
        for (const std::wstring& line : LogLines(kind))
            if (line.find(L"\\\\?\\") != std::wstring::npos) return true;
    return false;
}

struct OddNames : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
};

TEST_F(OddNames, AreMirroredAndArchivedUnderTheirExactNames) {
    JobTree t(3);
    const auto first = OddTree("alt");
    WriteOddTree(t.src, first, kOld);
    ASSERT_EQ(Snapshot(t.src), first) << "the source tree is not as written";

    t.Sync();
    EXPECT_EQ(Snapshot(t.dst, true), first);
    EXPECT_EQ(DateOf(t.dst + L"Bericht."), kOld);
    EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{});
    EXPECT_EQ(TestRun().tally.FilesCopied, 5);

    // Every file changes: each old version goes to "@" under its own name,
    // and neither side keeps a temporary copy or a set-aside version.
    const auto second = OddTree("neu");
    WriteOddTree(t.src, second, kNew);
    t.Sync();
    EXPECT_EQ(Snapshot(t.dst, true), second);
    EXPECT_EQ(Snapshot(t.dst + L"@"), first);
    EXPECT_EQ(DateOf(t.dst + L"@\\Notiz "), kOld);
    EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{});
    EXPECT_FALSE(AnyLogLineHasLiteralPrefix());
}

TEST_F(OddNames, AFailedCopyOfALongPathIsReportedInTheProgramsSpelling) {
    JobTree t(3);
    const std::wstring deepFile = t.src + DeepDir() + L"tief.txt";
    WriteDated(deepFile, "tief", kNew);
    plat::InjectFault(plat::FaultOp::Copy, 1, 19);
    t.Sync();
    const std::wstring target = t.dst + DeepDir() + L"tief.txt";
    // The copy's error, then the two long-path lines, as they always read.
    const std::vector<std::wstring> errors = LogLines(core::kLogError);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].rfind(L"Kopierfehler: " + deepFile + L"\t\t(", 0), 0u) << errors[0].substr(0, 60);
    EXPECT_EQ(errors[1],
              L"Verzeichnis-Pfade dürfen in Windows max. 247, Dateipfade höchstens 259 Zeichen lang sein...");
    EXPECT_EQ(errors[2], L"Pfad sehr lang! (" + std::to_wstring(deepFile.size()) + L") Zeichen\t" + deepFile);
    EXPECT_EQ(TestRun().tally.RunErrorCount, 1);
    EXPECT_FALSE(AnyLogLineHasLiteralPrefix());
    EXPECT_FALSE(Exists(target));

    // The next run, without the fault, gets it.
    logs::ResetLogState();
    ClearRunErrors();
    t.Sync();
    EXPECT_EQ(ReadAll(target), "tief");
    EXPECT_EQ(LogLines(core::kLogError), std::vector<std::wstring>{});
}

TEST_F(OddNames, TheExclusionSearchWalksIntoThem) {
    JobTree t;
    WriteOddTree(t.src, OddTree("x"), kOld);
    core::S().ExcludePaths.Clear();
    for (const wchar_t* pattern : {L"\\TIEF.TXT", L"ALT.\\INNEN", L"\\BERICHT.", L"\\NOTIZ ", L"LLL.TXT"})
        core::S().ExcludePaths.Append(pattern);
    dialogs::SearchExcludesFor(t.sid);

    std::vector<std::wstring> found;
    for (const core::Exclude& e : core::S().Excludes.items) found.push_back(e.Path);
    const std::vector<std::wstring> expected = {
        plat::ToUpper(t.src + DeepDir() + L"tief.txt"),
        plat::ToUpper(t.src + L"Alt.\\innen"),
        plat::ToUpper(t.src + L"Bericht."),
        plat::ToUpper(t.src + kLongName),
        plat::ToUpper(t.src + L"Notiz "),
    };
    std::vector<std::wstring> sortedFound = found, sortedExpected = expected;
    std::sort(sortedFound.begin(), sortedFound.end());
    std::sort(sortedExpected.begin(), sortedExpected.end());
    EXPECT_EQ(sortedFound, sortedExpected);
}

}  // namespace
