// A destination disk that came back under another drive letter is found by
// the configuration copy in its "@" folder. The drives are folders of the
// portable layer's drive table, so these tests run on the host build only.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/state.h"
#include "engine/run.h"
#include "engine/run_state.h"
#include "log/channels.h"
#include "log/sinks.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr int32_t kSid = 31337;

std::vector<std::wstring> Lines(int kind) { return logs::ChannelLines(kind); }

bool HasLine(int kind, const std::wstring& line) {
    const auto lines = Lines(kind);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string PathsIni(int32_t sid, const std::string& dest) {
    return "\xEF\xBB\xBF[GENERAL]\r\nINIVersion=110708\r\n[PATHS]\r\n1=" + std::to_string(sid) + "|C:\\Daten\\|" +
           dest + "|1|0|12|3|0|0\r\n";
}

struct EngineAltDest : testing::Test {
    testing_support::TempTree tree;
    core::Job job;
    int64_t now = 0;

    void SetUp() override {
        if (!plat::PortableLayer()) GTEST_SKIP();
        logs::InstallCoreSinks(nullptr);
        tree.Mkdir(L"cfg");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
        core::S().paths.IniFile = tree.Path(L"cfg\\Tresoro.ini");
        core::S().settings.GSearchDest = 1;
        core::S().settings.GCreateDest = 0;
        tree.Mkdir(L"e");
        tree.Mkdir(L"f");
        tree.Mkdir(L"g");
        ASSERT_TRUE(plat::MapDrive(L"E:", HostDir(tree.Path(L"e"))));
        ASSERT_TRUE(plat::MapDrive(L"F:", HostDir(tree.Path(L"f"))));
        ASSERT_TRUE(plat::MapDrive(L"G:", HostDir(tree.Path(L"g"))));
        now = plat::Now();
        plat::SetFakeClock(now, 5000);
        job.Sid = kSid;
        job.Src = tree.Path(L"src\\");
        job.Dest = L"E:\\Backup\\";
        job.Flags = core::kFlagSelected;
        job.ArcVersions = 3;
        job.EntryCount = 2;
    }

    // The default drive table maps Z: to the host's "/".
    static std::string HostDir(const std::wstring& winPath) {
        std::string out;
        for (wchar_t c : winPath.substr(2)) out += c == L'\\' ? '/' : static_cast<char>(c);
        return out;
    }
};

TEST_F(EngineAltDest, RunGoesToTheMovedDiskAndRestoresTheDestination) {
    tree.Write(L"src\\a.txt", "new");
    tree.Write(L"src\\b.txt", "added");
    tree.Write(L"f\\Backup\\a.txt", "old");
    tree.Write(L"f\\Backup\\@\\Tresoro.ini", PathsIni(kSid, "E:\\Backup\\"));
    int64_t srcDate = 0;
    ASSERT_TRUE(plat::GetModified(tree.Path(L"src\\a.txt"), srcDate));
    ASSERT_TRUE(plat::SetModified(L"F:\\Backup\\a.txt", srcDate - 100));
    core::S().Jobs.Append(job);

    const engine::Run run = engine::RunBackup({});

    const core::Job& after = core::S().Jobs.items[0];
    EXPECT_EQ(after.Dest, L"E:\\Backup\\");
    EXPECT_EQ(tree.Read(L"f\\Backup\\a.txt"), "new");
    EXPECT_EQ(tree.Read(L"f\\Backup\\b.txt"), "added");
    // The archive follows the destination that was used.
    EXPECT_EQ(tree.Read(L"f\\Backup\\@\\a.txt"), "old");
    EXPECT_FALSE(plat::DirExists(L"E:\\Backup\\"));
    EXPECT_TRUE(HasLine(core::kLogHint, L"Möglicher Alternativpfad: F:\\Backup\\"));
    EXPECT_TRUE(HasLine(core::kLogHint,
                        L"Korrekte Sid und Zielpfad gefunden in F:\\Backup\\@\\Tresoro.ini"
                        L" - Pfad wird verwendet!"));
    EXPECT_TRUE(HasLine(core::kLogNormal, L"Alternativpfad suchen dauerte 0ms"));
    EXPECT_EQ(logs::LS().RunErrorCount, 0);
    EXPECT_EQ(after.LastBup, static_cast<int32_t>(now));
    EXPECT_EQ(after.EntryCount, 2);
    // The total could not be known before the search found the disk.
    EXPECT_EQ(run.tally.EntriesExpected, 2);
    // The copy in "@" is now this configuration, naming E:\Backup\ still.
    std::string config;
    ASSERT_TRUE(plat::ReadWholeFile(core::S().paths.IniFile, config));
    EXPECT_EQ(tree.Read(L"f\\Backup\\@\\Tresoro.ini"), config);
    EXPECT_NE(config.find("31337|"), std::string::npos);
    EXPECT_NE(config.find("|E:\\Backup\\|"), std::string::npos);
}

TEST_F(EngineAltDest, SameSidWithAnotherDestinationIsNoMatch) {
    tree.Write(L"src\\a.txt", "new");
    tree.Write(L"f\\Backup\\@\\Tresoro.ini", PathsIni(kSid, "G:\\Backup\\"));
    tree.Write(L"g\\Backup\\@\\Tresoro.ini", PathsIni(kSid, "e:\\backup\\"));
    core::S().Jobs.Append(job);

    engine::EndRun(engine::RunBackup({}));

    EXPECT_TRUE(HasLine(core::kLogHint, L"Konnte in F:\\Backup\\@\\Tresoro.ini keine passende Sid finden!"));
    EXPECT_TRUE(HasLine(core::kLogHint, L"Konnte in G:\\Backup\\@\\Tresoro.ini keine passende Sid finden!"));
    EXPECT_TRUE(HasLine(core::kLogError, L"UNGÜLTIGES ZIEL: E:\\Backup\\"));
    EXPECT_FALSE(tree.Exists(L"f\\Backup\\a.txt"));
    EXPECT_EQ(core::S().Jobs.items[0].Dest, L"E:\\Backup\\");
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, 0);
}

TEST_F(EngineAltDest, UnreadableCopyIsAHintAndTheSearchGoesOn) {
    tree.Mkdir(L"f\\Backup");  // a folder of that name, but no "@\Tresoro.ini"
    tree.Write(L"g\\Backup\\@\\Tresoro.ini", PathsIni(kSid, "E:\\Backup\\"));
    engine::RunTally run;
    run.EntriesExpected = 10;
    EXPECT_EQ(engine::FindAlternativeDest(run, job), L"G:\\Backup\\");
    EXPECT_EQ(job.Dest, L"E:\\Backup\\");  // the run uses the path found; the job keeps its own
    EXPECT_EQ(run.EntriesExpected, 12);
    const std::vector<std::wstring> hints = {
        L"Möglicher Alternativpfad: F:\\Backup\\", L"Konnte F:\\Backup\\@\\Tresoro.ini nicht öffnen!",
        L"Möglicher Alternativpfad: G:\\Backup\\",
        L"Korrekte Sid und Zielpfad gefunden in G:\\Backup\\@\\Tresoro.ini - Pfad wird verwendet!"};
    EXPECT_EQ(Lines(core::kLogHint), hints);
}

TEST_F(EngineAltDest, NothingFoundLeavesEverythingAsItWas) {
    engine::RunTally run;
    run.EntriesExpected = 10;
    EXPECT_EQ(engine::FindAlternativeDest(run, job), L"");
    EXPECT_EQ(job.Dest, L"E:\\Backup\\");
    EXPECT_EQ(run.EntriesExpected, 10);
    EXPECT_TRUE(Lines(core::kLogHint).empty());
    EXPECT_TRUE(HasLine(core::kLogNormal, L"Alternativpfad suchen dauerte 0ms"));
}

TEST_F(EngineAltDest, DeeperDestinationKeepsItsPathOnTheOtherDrive) {
    job.Dest = L"E:\\Sicherung\\Laptop\\";
    tree.Write(L"f\\Sicherung\\Laptop\\@\\Tresoro.ini", PathsIni(kSid, "E:\\Sicherung\\Laptop\\"));
    engine::RunTally run;
    EXPECT_EQ(engine::FindAlternativeDest(run, job), L"F:\\Sicherung\\Laptop\\");
}

}  // namespace
