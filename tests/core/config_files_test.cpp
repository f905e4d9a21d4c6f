// Reading and writing the real files: which file is used, the control file,
// and a failed write that must leave the old configuration whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/config.h"
#include "core/exclude_strings.h"
#include "core/report.h"
#include "core/state.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "tests/support/temp_tree.h"

namespace {

using testing_support::TempTree;

std::vector<std::pair<std::wstring, int>> g_log;
void RecordLog(const std::wstring& text, int kind) { g_log.emplace_back(text, kind); }

struct LogRecorder {
    LogRecorder() {
        g_log.clear();
        core::Sinks sinks;
        sinks.log = &RecordLog;
        core::SetSinks(sinks);
    }
    ~LogRecorder() { core::SetSinks(core::Sinks{}); }
};

struct Dirs {
    TempTree tree;
    Dirs() {
        tree.Mkdir(L"prg");
        tree.Mkdir(L"cfg");
        core::S().paths.ProgramDir = tree.Path(L"prg\\");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
    }
};

std::vector<std::wstring> Names(const std::wstring& dir) {
    std::vector<plat::DirEntry> entries;
    EXPECT_TRUE(plat::ListDir(dir, L"*", entries));
    std::vector<std::wstring> names;
    for (const plat::DirEntry& e : entries) names.push_back(e.name);
    return names;
}

const char* const kJobFile = "[GENERAL]\nINIVersion=110708\nGLogExt=1\n[PATHS]\n1=5|C:\\A\\|E:\\A\\|1|7|0|3|0|0\n";

TEST(CoreConfigFiles, ReadsTheConfigDirectoryFileAndWritesControlFile) {
    Dirs d;
    d.tree.Write(L"cfg\\Tresoro.ini", kJobFile);
    EXPECT_EQ(core::ReadConfig().result, core::ConfigLoad::Ok);
    EXPECT_EQ(core::S().paths.IniFile, d.tree.Path(L"cfg\\Tresoro.ini"));
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    std::string control = d.tree.Read(L"cfg\\ExcludePaths.txt");
    EXPECT_EQ(control, core::ExcludePathsFileBytes());
    EXPECT_EQ(control.rfind("Kontrolldatei f\xC3\xBCr ExcludeStrings", 0), 0u);
    EXPECT_NE(control.find("\r\n\r\n:\\RECYCLED\r\n"), std::string::npos);
}

TEST(CoreConfigFiles, ProgramDirectoryFileInUseWhenItSaysSo) {
    Dirs d;
    d.tree.Write(L"prg\\Tresoro.ini", "[GENERAL]\nINIinPrgPath=1\n[PATHS]\n1=7|C:\\P\\|E:\\P\\\n");
    d.tree.Write(L"cfg\\Tresoro.ini", kJobFile);
    core::ReadConfig();
    EXPECT_EQ(core::S().paths.IniFile, d.tree.Path(L"prg\\Tresoro.ini"));
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Src, L"C:\\P\\");
    std::string configBefore = d.tree.Read(L"cfg\\Tresoro.ini");
    ASSERT_TRUE(core::WriteConfig());
    EXPECT_EQ(d.tree.Read(L"prg\\Tresoro.ini"), core::ConfigFileBytes());
    EXPECT_EQ(d.tree.Read(L"cfg\\Tresoro.ini"), configBefore);
    // The control file stays in the configuration directory.
    EXPECT_TRUE(d.tree.Exists(L"cfg\\ExcludePaths.txt"));
    EXPECT_FALSE(d.tree.Exists(L"prg\\ExcludePaths.txt"));
}

TEST(CoreConfigFiles, NewerVersionLeavesTheFileAlone) {
    Dirs d;
    std::string newer = "[GENERAL]\nINIVersion=120101\n[PATHS]\n1=5|C:\\|E:\\\n";
    d.tree.Write(L"cfg\\Tresoro.ini", newer);
    core::ConfigOutcome outcome = core::ReadConfig();
    EXPECT_EQ(outcome.result, core::ConfigLoad::NewerVersion);
    EXPECT_EQ(outcome.message,
              L"Problem! Neuere INIVersion - kenn ich nicht: 120101 statt 110708"
              L"\r\nin " +
                  d.tree.Path(L"cfg\\Tresoro.ini"));
    EXPECT_EQ(d.tree.Read(L"cfg\\Tresoro.ini"), newer);
}

TEST(CoreConfigFiles, MissingFileIsCreatedAtTheFirstWrite) {
    Dirs d;
    core::ReadConfig();
    EXPECT_FALSE(d.tree.Exists(L"cfg\\Tresoro.ini"));
    ASSERT_TRUE(core::WriteConfig());
    EXPECT_EQ(d.tree.Read(L"cfg\\Tresoro.ini"), core::ConfigFileBytes());
}

TEST(CoreConfigFiles, WrittenFileReadsBackTheSame) {
    Dirs d;
    d.tree.Write(L"prg\\Tresoro.ini", "[EXCLUDESTRINGS]\n1=%MyTemp\n");
    core::ReadConfig();
    core::State& s = core::S();
    s.settings.GStdAuto = 0;
    s.settings.GDMScale = 1.5f;
    s.settings.GFirstNext = 7;
    s.settings.GMainWinY = -3;
    s.Jobs.Append({11, L"C:\\\u00C4\\", L"\\\\srv\\s\\", 3, 7, -1, 1234, 2, 1373291122});
    s.Excludes.Append({11, L"C:\\\u00C4\\TMP"});
    s.ArcIndiv.Append({11, L"\\\\srv\\s\\F\\", 30, 5, 1});
    ASSERT_TRUE(core::WriteConfig());
    std::string written = core::ConfigFileBytes();

    core::ResetState();
    Dirs again;
    again.tree.Write(L"prg\\Tresoro.ini", "[EXCLUDESTRINGS]\n1=%MyTemp\n");
    again.tree.Write(L"cfg\\Tresoro.ini", d.tree.Read(L"cfg\\Tresoro.ini"));
    ASSERT_EQ(core::ReadConfig().result, core::ConfigLoad::Ok);
    EXPECT_EQ(core::ConfigFileBytes(), written);
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Src, L"C:\\\u00C4\\");
    EXPECT_EQ(core::S().Jobs.items[0].ArcVersions, -1);
    EXPECT_EQ(core::S().settings.GDMScale, 1.5f);
}

TEST(CoreConfigFiles, FailedWriteKeepsTheOldFileAndSaysSo) {
    Dirs d;
    LogRecorder recorder;
    d.tree.Write(L"cfg\\Tresoro.ini", kJobFile);
    core::ReadConfig();
    core::S().Jobs.Clear();
    plat::InjectFault(plat::FaultOp::Rename, 1, 19);  // write-protected
    EXPECT_FALSE(core::WriteConfig());
    EXPECT_EQ(d.tree.Read(L"cfg\\Tresoro.ini"), kJobFile);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].first, L"Kann Konfiguration nicht erzeugen: " + d.tree.Path(L"cfg\\Tresoro.ini"));
    EXPECT_EQ(g_log[0].second, core::kLogHint);
    std::vector<std::wstring> names = Names(d.tree.Path(L"cfg"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"ExcludePaths.txt", L"Tresoro.ini"}));
}

TEST(CoreConfigFiles, UnwritableControlFileIsSilent) {
    Dirs d;
    LogRecorder recorder;
    plat::InjectFault(plat::FaultOp::Write, 1, 5, true);
    EXPECT_EQ(core::ReadConfig().result, core::ConfigLoad::Ok);
    EXPECT_FALSE(d.tree.Exists(L"cfg\\ExcludePaths.txt"));
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
