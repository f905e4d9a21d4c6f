// The exclusion search: which paths its patterns turn into exclusions, the
// clean-up that keeps one exclusion per covered place, and the walk over a
// real tree (matched directories and links not entered, cancel, status).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/exclude_search.h"
#include "engine/run_state.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"
#include "ui/view_state.h"

namespace {

using dialogs::MatchExcludePatterns;
using dialogs::RemoveNestedExcludes;

void Patterns(const std::vector<std::wstring>& patterns) {
    core::S().ExcludePaths.Clear();
    for (const std::wstring& p : patterns) core::S().ExcludePaths.Append(p);
}

// The exclusion paths of one job, in list order.
std::vector<std::wstring> ExcludesOf(int32_t sid) {
    std::vector<std::wstring> out;
    for (const core::Exclude& e : core::S().Excludes.items)
        if (e.Sid == sid) out.push_back(e.Path);
    return out;
}

void AddExclude(int32_t sid, const std::wstring& path) { core::S().Excludes.Append(core::Exclude{sid, path}); }

TEST(ExcludeMatch, MultiPartPatternCutsAfterTheLastPart) {
    Patterns({L"MOZILLA|CACHE"});
    EXPECT_EQ(MatchExcludePatterns(
                  L"C:\\Users\\Nutzer\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\cache2\\", 7),
              1);
    EXPECT_EQ(ExcludesOf(7), std::vector<std::wstring>{
                                 L"C:\\USERS\\NUTZER\\APPDATA\\ROAMING\\MOZILLA\\FIREFOX\\PROFILES\\X.DEFAULT\\CACHE"});
}

TEST(ExcludeMatch, FilePatternCoversCompanionFiles) {
    Patterns({L"\\NTUSER."});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\Users\\Nutzer\\NTUSER.DAT", 7), 1);
    EXPECT_EQ(ExcludesOf(7), std::vector<std::wstring>{L"C:\\USERS\\NUTZER\\NTUSER."});
}

TEST(ExcludeMatch, APatternFoundTwiceIsCutAfterItsLastOccurrence) {
    Patterns({L"\\TEMP\\"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\Temp\\Projekt\\temp\\alt\\", 3), 1);
    EXPECT_EQ(ExcludesOf(3), std::vector<std::wstring>{L"C:\\TEMP\\PROJEKT\\TEMP\\"});
}

TEST(ExcludeMatch, PartsMayStandInAnyOrderButTheLastOneIsTheAnchor) {
    Patterns({L"CACHE|MOZILLA"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\AppData\\Mozilla\\Profiles\\cache2\\", 3), 1);
    EXPECT_EQ(ExcludesOf(3), std::vector<std::wstring>{L"C:\\APPDATA\\MOZILLA"});
}

TEST(ExcludeMatch, EveryPartMustOccur) {
    Patterns({L"MOZILLA|CACHE", L"GOOGLE|CHROME|CACHE"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\AppData\\Google\\Cache\\", 3), 0);
    EXPECT_TRUE(core::S().Excludes.Empty());
}

TEST(ExcludeMatch, EmptyPartsAndEmptyPatternsNeverMatch) {
    Patterns({L"", L"MOZILLA||CACHE", L"MOZILLA|", L"|CACHE", L"|"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\Mozilla\\Cache\\", 3), 0);
    EXPECT_TRUE(core::S().Excludes.Empty());
}

TEST(ExcludeMatch, EveryMatchingPatternAddsItsOwnExclusion) {
    Patterns({L"\\APPDATA\\LOCAL\\TEMP", L"\\TEMP", L"\\NOWHERE"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\Users\\N\\AppData\\Local\\Temp\\", 5), 1);
    EXPECT_EQ(ExcludesOf(5), (std::vector<std::wstring>{L"C:\\USERS\\N\\APPDATA\\LOCAL\\TEMP",
                                                        L"C:\\USERS\\N\\APPDATA\\LOCAL\\TEMP"}));
}

TEST(ExcludeMatch, PatternsAreMatchedCaseSensitivelyAgainstTheUpperCasedPath) {
    // Patterns arrive upper case; a lower-case one can never be found.
    Patterns({L"\\temp"});
    EXPECT_EQ(MatchExcludePatterns(L"C:\\temp\\", 5), 0);
}

TEST(ExcludeClean, LongerExclusionsContainingAShorterOneGo) {
    AddExclude(1, L"C:\\U\\APPDATA\\LOCAL\\TEMP");
    AddExclude(1, L"C:\\U\\APPDATA\\LOCAL\\TEMP\\X");
    AddExclude(1, L"C:\\U\\APPDATA\\LOCAL");
    AddExclude(1, L"C:\\U\\NTUSER.");
    AddExclude(1, L"C:\\U\\NTUSER.");
    RemoveNestedExcludes(1);
    EXPECT_EQ(ExcludesOf(1), (std::vector<std::wstring>{L"C:\\U\\APPDATA\\LOCAL", L"C:\\U\\NTUSER."}));
}

TEST(ExcludeClean, OtherJobsAreNeitherCleanedNorConsulted) {
    AddExclude(2, L"C:\\U\\A\\B");
    AddExclude(1, L"C:\\U\\A\\B\\C");
    AddExclude(2, L"C:\\U\\A");
    AddExclude(1, L"C:\\U\\A\\B");
    RemoveNestedExcludes(1);
    EXPECT_EQ(ExcludesOf(1), std::vector<std::wstring>{L"C:\\U\\A\\B"});
    EXPECT_EQ(ExcludesOf(2), (std::vector<std::wstring>{L"C:\\U\\A", L"C:\\U\\A\\B"}));
}

TEST(ExcludeClean, NothingCoveredIsLost) {
    // Sorted, "C:\A\CACHE" comes before "C:\A\CACHE2\X", which contains it:
    // dropping the longer one is safe because exclusions match as
    // substrings.
    AddExclude(1, L"C:\\A\\CACHE2\\X");
    AddExclude(1, L"C:\\A\\CACHE");
    AddExclude(1, L"C:\\B\\CACHE");
    RemoveNestedExcludes(1);
    EXPECT_EQ(ExcludesOf(1), (std::vector<std::wstring>{L"C:\\A\\CACHE", L"C:\\B\\CACHE"}));
}

// ------------------------------------------------------------ the walk

struct ExcludeWalk : testing::Test {
    testing_support::TempTree tree;
    std::wstring src;
    int32_t sid = 0;
    void SetUp() override {
        dialogs::ResetExcludeSearch();
        ui::ResetViewState();
        testing_support::InstallRecorder();
        tree.Mkdir(L"src");
        src = tree.Path(L"src\\");
        sid = testing_support::AddJob(src, tree.Path(L"dst")).Sid;
    }
    std::wstring Up(const std::wstring& relative) const { return plat::ToUpper(src + relative); }
};

TEST_F(ExcludeWalk, FindsFilesAndDirectoriesAndDoesNotEnterMatchedOnes) {
    tree.Write(L"src\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\cache2\\entries\\E1", "e");
    tree.Write(L"src\\NTUSER.DAT", "n");
    tree.Write(L"src\\ntuser.dat.LOG1", "l");
    tree.Write(L"src\\Dokumente\\Brief.txt", "b");
    // Would only be found inside the cache, which the walk leaves alone.
    Patterns({L"MOZILLA|CACHE", L"\\NTUSER.", L"\\ENTRIES\\"});
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid),
              (std::vector<std::wstring>{Up(L"AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\cache"),
                                         Up(L"NTUSER.")}));
}

TEST_F(ExcludeWalk, RepeatedSearchesLeaveEachExclusionOnce) {
    tree.Write(L"src\\AppData\\Local\\Temp\\t.tmp", "t");
    tree.Write(L"src\\NTUSER.DAT", "n");
    Patterns({L"\\APPDATA\\LOCAL\\TEMP", L"\\NTUSER."});
    dialogs::SearchExcludesFor(sid);
    const std::vector<std::wstring> first = ExcludesOf(sid);
    ASSERT_EQ(first.size(), 2u);
    dialogs::SearchExcludesFor(sid);
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), first);
}

TEST_F(ExcludeWalk, UserExclusionsInsideAFoundOneAreDropped) {
    tree.Write(L"src\\AppData\\Local\\Temp\\t.tmp", "t");
    Patterns({L"\\APPDATA\\LOCAL\\TEMP"});
    AddExclude(sid, Up(L"APPDATA\\LOCAL\\TEMP\\ALT"));
    AddExclude(sid, Up(L"MUSIK"));
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), (std::vector<std::wstring>{Up(L"AppData\\Local\\Temp"), Up(L"MUSIK")}));
}

TEST_F(ExcludeWalk, TwoPatternsOnOnePathKeepTheShorterResult) {
    tree.Write(L"src\\AppData\\Local\\Temp\\t.tmp", "t");
    Patterns({L"\\APPDATA\\LOCAL\\TEMP", L"\\LOCAL"});
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), std::vector<std::wstring>{Up(L"AppData\\Local")});
}

TEST_F(ExcludeWalk, AMissingSourceEndsAtOnceWithAClearedStatus) {
    tree.Write(L"other\\NTUSER.DAT", "n");
    Patterns({L"\\NTUSER."});
    core::S().Jobs.items[0].Src = tree.Path(L"gone\\");
    dialogs::SearchExcludesFor(sid);
    EXPECT_TRUE(core::S().Excludes.Empty());
    const auto& rec = testing_support::Recorded();
    ASSERT_FALSE(rec.statusLines.empty());
    EXPECT_EQ(rec.statusLines.back(), L"");
    EXPECT_EQ(rec.progressCounts, (std::vector<std::wstring>{L"Ausnahmen suchen...", L""}));
    EXPECT_EQ(rec.controlsLocked, (std::vector<bool>{true, false}));
}

TEST_F(ExcludeWalk, OnlyTheNamedJobGetsExclusions) {
    tree.Write(L"src\\NTUSER.DAT", "n");
    Patterns({L"\\NTUSER."});
    const int32_t other = testing_support::AddJob(tree.Path(L"x"), tree.Path(L"y")).Sid;
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid).size(), 1u);
    EXPECT_TRUE(ExcludesOf(other).empty());
}

TEST_F(ExcludeWalk, TheCommandSearchesTheCurrentJobOnly) {
    tree.Write(L"src\\NTUSER.DAT", "n");
    Patterns({L"\\NTUSER."});
    dialogs::SearchExcludes();  // no current job
    EXPECT_TRUE(core::S().Excludes.Empty());
    EXPECT_TRUE(testing_support::Recorded().controlsLocked.empty());
    const int32_t other = testing_support::AddJob(tree.Path(L"x"), tree.Path(L"y")).Sid;
    ui::V().CurrentSid = other;
    dialogs::SearchExcludes();
    EXPECT_TRUE(core::S().Excludes.Empty());
    ui::V().CurrentSid = sid;
    dialogs::SearchExcludes();
    EXPECT_EQ(ExcludesOf(sid), std::vector<std::wstring>{Up(L"NTUSER.")});
}

// Once cancelled, each level stops after the entry it is working on: with
// one entry per level below the top the walk reaches one cache and stops.
TEST_F(ExcludeWalk, ACancelStopsEveryLevelAndKeepsWhatWasFound) {
    tree.Write(L"src\\a\\b\\Cache\\c.bin", "c");
    tree.Write(L"src\\z\\Cache\\d.bin", "d");
    Patterns({L"\\CACHE\\"});
    engine::R().CancelRequested = 1;
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid).size(), 1u);
    EXPECT_EQ(engine::R().CancelRequested, 0);
    EXPECT_EQ(testing_support::Recorded().cancelReleases, 1);
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), (std::vector<std::wstring>{Up(L"a\\b\\Cache\\"), Up(L"z\\Cache\\")}));
}

TEST_F(ExcludeWalk, TheStatusLineChangesAtMostEveryHalfSecond) {
    plat::SetFakeClock(1700000000, 100000);
    tree.Mkdir(L"src\\a");
    tree.Mkdir(L"src\\b");
    const auto& lines = testing_support::Recorded().statusLines;
    dialogs::ScanExcludeTree(tree.Path(L"src\\a"), sid);
    EXPECT_EQ(lines, std::vector<std::wstring>{tree.Path(L"src\\a\\")});
    plat::AdvanceFakeClock(500);
    dialogs::ScanExcludeTree(tree.Path(L"src\\b"), sid);
    EXPECT_EQ(lines.size(), 1u);
    plat::AdvanceFakeClock(1);
    dialogs::ScanExcludeTree(tree.Path(L"src\\b"), sid);
    EXPECT_EQ(lines.back(), tree.Path(L"src\\b\\"));
}

TEST_F(ExcludeWalk, LinksToDirectoriesAreNeitherMatchedNorEntered) {
    if (!plat::PortableLayer()) GTEST_SKIP() << "links are made with host calls";
    tree.Write(L"outside\\Temp\\NTUSER.DAT", "n");
    tree.Write(L"src\\echt\\Temp\\t.tmp", "t");
    std::error_code error;
    std::filesystem::create_directory_symlink(testing_support::HostPathOf(tree.Path(L"outside\\Temp")),
                                              testing_support::HostPathOf(src + L"Temp"), error);
    ASSERT_FALSE(error) << error.message();
    std::filesystem::create_directory_symlink(testing_support::HostPathOf(tree.Path(L"outside")),
                                              testing_support::HostPathOf(src + L"weiter"), error);
    ASSERT_FALSE(error) << error.message();
    Patterns({L"\\TEMP\\", L"\\NTUSER."});
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), std::vector<std::wstring>{Up(L"echt\\Temp\\")});
}

// A cloud client's folder is a reparse point too, but no link: it is
// searched like any folder, as the backup walks it.
TEST_F(ExcludeWalk, CloudFoldersAreSearchedAsFolders) {
    tree.Write(L"src\\OneDrive\\AppData\\Local\\Temp\\t.tmp", "t");
    if (!plat::MarkEntryForTest(src + L"OneDrive", 0, plat::kReparseTagCloud))
        GTEST_SKIP() << "the real system marks its own entries";
    Patterns({L"\\APPDATA\\LOCAL\\TEMP"});
    dialogs::SearchExcludesFor(sid);
    EXPECT_EQ(ExcludesOf(sid), std::vector<std::wstring>{Up(L"OneDrive\\AppData\\Local\\Temp")});
}

}  // namespace
