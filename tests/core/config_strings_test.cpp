// The program directory's file: INIinPrgPath and the exclusion search
// strings, with their folder variables.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/config.h"
#include "core/exclude_strings.h"
#include "core/state.h"

namespace {

void SetDirs() {
    core::S().paths.ProgramDir = L"P:\\Prg\\";
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
}

std::vector<std::wstring> Strings() { return core::S().ExcludeStrings.items; }

TEST(CoreConfigStrings, BuiltInListSortedUpperCaseWithoutMarker) {
    SetDirs();
    core::ReadConfigFromBytes(nullptr, nullptr);
    std::vector<std::wstring> s = Strings();
    EXPECT_EQ(s.size(), 32u);
    EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
    EXPECT_EQ(s.front(), L"%MYTEMP");
    EXPECT_EQ(s[1], L"%MYTEMPINET");
    EXPECT_EQ(s.back(), L"\\PARENT.LOCK");
    EXPECT_NE(std::find(s.begin(), s.end(), L"MICROSOFT\\WINDOWS\\USRCLASS."), s.end());
    EXPECT_NE(std::find(s.begin(), s.end(), L"AVIRA|TEMP"), s.end());
    EXPECT_EQ(std::find(s.begin(), s.end(), L"EXCLUDESTRINGS_END"), s.end());
    EXPECT_EQ(core::S().ExcludePaths.Size(), s.size());
}

TEST(CoreConfigStrings, OnlyTheProgramDirectoryFileProvidesStrings) {
    SetDirs();
    std::string configFile = "[EXCLUDESTRINGS]\n1=FROM CONFIG DIR\n";
    std::string programFile = "[EXCLUDESTRINGS]\n1=opera|cache\n2=%MyTemp\n3=OPERA|CACHE\n4=\n5=Zzz\n";
    core::ReadConfigFromBytes(&programFile, &configFile);
    EXPECT_EQ(Strings(), (std::vector<std::wstring>{L"%MYTEMP", L"OPERA|CACHE", L"ZZZ"}));
    // The config directory's file alone brings none: the built-in list is used.
    core::ReadConfigFromBytes(nullptr, &configFile);
    EXPECT_EQ(Strings().size(), 32u);
    // A program directory file without strings counts as none too.
    std::string noStrings = "[GENERAL]\nINIinPrgPath=0\n";
    core::ReadConfigFromBytes(&noStrings, &configFile);
    EXPECT_EQ(Strings().size(), 32u);
}

TEST(CoreConfigStrings, IniInProgramPathSelectsTheProgramDirectory) {
    SetDirs();
    std::string programFile = "[GENERAL]\nINIinPrgPath=1\n";
    core::ReadConfigFromBytes(&programFile, &programFile);
    EXPECT_EQ(core::S().paths.IniDir, L"P:\\Prg\\");
    EXPECT_EQ(core::S().paths.IniFile, L"P:\\Prg\\Tresoro.ini");
    EXPECT_EQ(core::S().settings.INIinPrgPath, 1);
    EXPECT_EQ(core::IniDirFor(&programFile), L"P:\\Prg\\");

    std::string zero = "[GENERAL]\nINIinPrgPath=0\n";
    core::ReadConfigFromBytes(&zero, nullptr);
    EXPECT_EQ(core::S().paths.IniDir, L"C:\\Cfg\\");
    EXPECT_EQ(core::IniDirFor(&zero), L"C:\\Cfg\\");
    EXPECT_EQ(core::IniDirFor(nullptr), L"C:\\Cfg\\");

    // Only the program directory's file can say so.
    std::string configFile = "[GENERAL]\nINIinPrgPath=1\n";
    core::ReadConfigFromBytes(nullptr, &configFile);
    EXPECT_EQ(core::S().paths.IniDir, L"C:\\Cfg\\");
    EXPECT_EQ(core::S().settings.INIinPrgPath, 0);
}

TEST(CoreConfigStrings, FolderVariablesResolveUpperCase) {
    SetDirs();
    core::S().WinFolders.Append({L"MyDocs", L"C:\\Users\\Bob\\Documents\\"});
    core::S().WinFolders.Append({L"MyTemp", L"C:\\Users\\Bob\\AppData\\Local\\Temp\\"});
    std::string programFile = "[EXCLUDESTRINGS]\n1=%MyTemp\n2=%mydocs%Alt\\x\n3=%Nowhere%rest\\\n4=plain|Text\n5=%\n";
    core::ReadConfigFromBytes(&programFile, nullptr);
    // Sorted: "%", "%MYDOCS%ALT\X", "%MYTEMP", "%NOWHERE%REST\", "PLAIN|TEXT".
    ASSERT_EQ(core::S().ExcludePaths.Size(), 5u);
    const auto& p = core::S().ExcludePaths.items;
    EXPECT_EQ(p[0], L"");
    EXPECT_EQ(p[1], L"C:\\USERS\\BOB\\DOCUMENTS\\ALT\\X");
    EXPECT_EQ(p[2], L"C:\\USERS\\BOB\\APPDATA\\LOCAL\\TEMP\\");
    EXPECT_EQ(p[3], L"REST\\");
    EXPECT_EQ(p[4], L"PLAIN|TEXT");
}

TEST(CoreConfigStrings, ControlFileContent) {
    core::S().ExcludePaths.Append(L"C:\\TEMP\\");
    core::S().ExcludePaths.Append(L"\u00C4|B");
    EXPECT_EQ(core::ExcludePathsFileBytes(),
              "Kontrolldatei f\xC3\xBCr ExcludeStrings - hier k\xC3\xB6nnen die "
              "resultierenden Pfade kontrolliert werden\r\n\r\nC:\\TEMP\\\r\n\xC3\x84|B\r\n");
}

TEST(CoreConfigStrings, StringsAreWrittenIntoTheFileInUse) {
    SetDirs();
    std::string programFile = "[EXCLUDESTRINGS]\n1=b\n2=a\n";
    core::ReadConfigFromBytes(&programFile, nullptr);
    std::string bytes = core::ConfigFileBytes();
    EXPECT_NE(bytes.find("Programmverzeichnis...\r\n1 = A\r\n2 = B\r\n"), std::string::npos);
}

}  // namespace
