// Reading the configuration in the current format: settings, jobs, lists,
// and the choice of the file in use.
#include <gtest/gtest.h>

#include <string>

#include "core/config.h"
#include "core/state.h"
#include "platform/testing.h"

namespace {

core::ConfigOutcome Read(const std::string& ini) {
    core::S().paths.ProgramDir = L"P:\\Prg\\";
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    return core::ReadConfigFromBytes(nullptr, &ini);
}

const char* const kCurrent = "[GENERAL]\nINIVersion=110708\n";

TEST(CoreConfigRead, MissingFileGivesDefaults) {
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    core::S().settings.GLogExt = 5;  // left over from an earlier read
    core::ConfigOutcome outcome = core::ReadConfigFromBytes(nullptr, nullptr);
    EXPECT_EQ(outcome.result, core::ConfigLoad::Ok);
    const core::Settings& g = core::S().settings;
    EXPECT_EQ(g.INIinPrgPath, 0);
    EXPECT_EQ(g.GStdAuto, 1);
    EXPECT_EQ(g.GLogExt, 0);
    EXPECT_EQ(g.GCreateDest, 1);
    EXPECT_EQ(g.GSearchDest, 1);
    EXPECT_EQ(g.GBupBeiStartVerz, 20);
    EXPECT_EQ(g.GDMScale, -1.0f);
    EXPECT_EQ(g.GMainWinX, core::kKeep);
    EXPECT_EQ(g.GMainWinXD, 800);
    EXPECT_EQ(g.GMainWinYD, 600);
    EXPECT_EQ(g.GMainPan1Splitt, 110);
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_EQ(core::S().paths.IniDir, L"C:\\Cfg\\");
    EXPECT_EQ(core::S().paths.IniFile, L"C:\\Cfg\\Tresoro.ini");
}

TEST(CoreConfigRead, EmptyValueIsZeroMissingKeyIsDefault) {
    Read(std::string(kCurrent) +
         "GStdAuto=\nGCreateDest=\nGBupBeiStartVerz= x\n[Window]\nGMainWinX=\nGMainWinXD=abc\n");
    const core::Settings& g = core::S().settings;
    EXPECT_EQ(g.GStdAuto, 0);
    EXPECT_EQ(g.GCreateDest, 0);
    EXPECT_EQ(g.GSearchDest, 1);
    EXPECT_EQ(g.GBupBeiStartVerz, 0);
    EXPECT_EQ(g.GMainWinX, 0);
    EXPECT_EQ(g.GMainWinY, core::kKeep);
    EXPECT_EQ(g.GMainWinXD, 0);
    EXPECT_EQ(g.GMainWinYD, 600);
}

TEST(CoreConfigRead, KeyInOtherCaseWithoutBlanks) {
    Read("[general]\ngstdauto=0\ngstdbuppath=F:\\\n");
    EXPECT_EQ(core::S().settings.GStdAuto, 0);
    EXPECT_EQ(core::S().settings.GStdBupPath, L"F:\\");
}

TEST(CoreConfigRead, Latin1FileIsWrittenBackAsUtf8) {
    Read(std::string(kCurrent) +
         "GStdBupPath=E:\\\xC4"
         "pfel\\\n");
    EXPECT_EQ(core::S().settings.GStdBupPath, L"E:\\\u00C4pfel\\");
    std::string bytes = core::ConfigFileBytes();
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_NE(bytes.find("GStdBupPath = E:\\\xC3\x84pfel\\\r\n"), std::string::npos);
}

TEST(CoreConfigRead, ByteSettingsKeepTheLowByte) {
    Read(std::string(kCurrent) + "GLogExt=257\nGCreateDest=-129\nGSearchDest=128\n");
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    EXPECT_EQ(core::S().settings.GCreateDest, 127);
    EXPECT_EQ(core::S().settings.GSearchDest, -128);
}

TEST(CoreConfigRead, FirstNextOutsideTheDayBecomesZero) {
    for (const char* value : {"24", "-1", "280", "x"}) {
        Read(std::string(kCurrent) + "GFirstNext=" + value + "\n");
        EXPECT_EQ(core::S().settings.GFirstNext, 0) << value;
    }
    Read(std::string(kCurrent) + "GFirstNext=23\n");
    EXPECT_EQ(core::S().settings.GFirstNext, 23);
}

TEST(CoreConfigRead, ScaleZeroMeansScreenDpi) {
    for (const char* value : {"0", "0.0", "-0", "abc", ""}) {
        Read(std::string(kCurrent) + "[Window]\nGDMScale=" + value + "\n");
        EXPECT_EQ(core::S().settings.GDMScale, -1.0f) << value;
        EXPECT_NE(core::ConfigFileBytes().find("GDMScale = -1.000000\r\n"), std::string::npos);
    }
}

TEST(CoreConfigRead, ConfiguredScaleIsTheDialogScale) {
    Read(std::string(kCurrent) + "[Window]\nGDMScale=1.25\n");
    EXPECT_EQ(core::S().settings.GDMScale, 1.25f);
    EXPECT_DOUBLE_EQ(core::S().DialogScale, 1.25);
    EXPECT_NE(core::ConfigFileBytes().find("GDMScale = 1.250000\r\n"), std::string::npos);
}

TEST(CoreConfigRead, NegativeScaleFollowsTheScreen) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    ASSERT_TRUE(plat::SetScreenDpiForTest(120));
    Read(std::string(kCurrent) + "[Window]\nGDMScale=-1\n");
    EXPECT_DOUBLE_EQ(core::S().DialogScale, 1.25);
}

// A value no float holds must neither crash the reader nor size windows
// beyond any int; it is written back as it was read.
TEST(CoreConfigRead, AbsurdScaleIsLimited) {
    Read(std::string(kCurrent) + "[Window]\nGDMScale=" + std::string(60, '9') + "\n");
    EXPECT_GT(core::S().settings.GDMScale, 1e38f);
    EXPECT_LE(core::S().DialogScale, 10.0);
    Read(std::string(kCurrent) + "[Window]\nGDMScale=0.0000001\n");
    EXPECT_GE(core::S().DialogScale, 0.25);
}

TEST(CoreConfigRead, JobFieldsInFileOrder) {
    Read(std::string(kCurrent) +
         "[PATHS]\n1 = 1382441047|C:\\Users\\Benutzer\\|E:\\Sicherung\\|1|7|15230|3|0|1373291122\n");
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    const core::Job& j = core::S().Jobs.items[0];
    EXPECT_EQ(j.Sid, 1382441047);
    EXPECT_EQ(j.Src, L"C:\\Users\\Benutzer\\");
    EXPECT_EQ(j.Dest, L"E:\\Sicherung\\");
    EXPECT_EQ(j.Flags, core::kFlagSelected);
    EXPECT_EQ(j.ArcInterval, 7);
    EXPECT_EQ(j.EntryCount, 15230);
    EXPECT_EQ(j.ArcVersions, 3);
    EXPECT_EQ(j.BupInterval, 0);
    EXPECT_EQ(j.LastBup, 1373291122);
}

// A backup made after January 2038 no longer fits 32 bits; its date goes
// out as the same decimal number and comes back unchanged, and a date
// written by older versions reads as it always did.
TEST(CoreConfigRead, DatesPast2038SurviveTheRoundTrip) {
    const int64_t dates[] = {1373291122, 2147483647, 2147483648, 4102444800};  // 2013, the limit, past it, 2100
    for (int64_t date : dates) {
        core::S().Jobs.Clear();
        core::S().Jobs.Append({9, L"C:\\", L"E:\\", 1, 0, 0, 0, 1, date});
        const std::string bytes = core::ConfigFileBytes();
        EXPECT_NE(bytes.find("|" + std::to_string(date) + "\r\n"), std::string::npos) << date;
        Read(bytes);
        ASSERT_EQ(core::S().Jobs.Size(), 1u);
        EXPECT_EQ(core::S().Jobs.items[0].LastBup, date);
    }
    Read(std::string(kCurrent) + "[PATHS]\n1=5|C:\\|E:\\|1|0|0|0|1|99999999999999999999\n");
    EXPECT_EQ(core::S().Jobs.items[0].LastBup, 1000000000000000) << "held where due dates cannot overflow";
}

TEST(CoreConfigRead, MissingFieldsAreZeroAndFlagsZeroIsSelected) {
    Read(std::string(kCurrent) +
         "[PATHS]\n1=5|C:\\|E:\\\n2=6|C:\\A\\|E:\\A\\|0|1|2|3\n3=7|C:\\|E:\\|2\n4=8|C:\\|E:\\|256\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 4u);
    EXPECT_EQ(jobs[0].Flags, core::kFlagSelected);
    EXPECT_EQ(jobs[0].ArcVersions, 0);
    EXPECT_EQ(jobs[0].LastBup, 0);
    EXPECT_EQ(jobs[1].Flags, core::kFlagSelected);
    EXPECT_EQ(jobs[1].ArcInterval, 1);
    EXPECT_EQ(jobs[1].EntryCount, 2);
    EXPECT_EQ(jobs[1].ArcVersions, 3);
    EXPECT_EQ(jobs[1].BupInterval, 0);
    EXPECT_EQ(jobs[2].Flags, core::kFlagOptional);  // optional but not selected stays so
    EXPECT_EQ(jobs[3].Flags, core::kFlagSelected);  // 256 keeps the low byte 0
}

TEST(CoreConfigRead, FlagsZeroWrittenComesBackSelected) {
    core::S().Jobs.Append({9, L"C:\\", L"E:\\", 0, 0, 0, 0, 0, 0});
    std::string bytes = core::ConfigFileBytes();
    ASSERT_NE(bytes.find("1 = 9|C:\\|E:\\|0|"), std::string::npos);
    Read(bytes);
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Flags, core::kFlagSelected);
}

TEST(CoreConfigRead, EveryPathsLineIsAJobWhateverItsKey) {
    Read(std::string(kCurrent) + "[PATHS]\n1=5|C:\\A\\|E:\\A\\\n1=6|C:\\B\\|E:\\B\\\n2=\nx=7|C:\\C\\|E:\\C\\\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].Src, L"C:\\A\\");
    EXPECT_EQ(jobs[1].Src, L"C:\\B\\");
    EXPECT_EQ(jobs[2].Sid, 7);
}

// Two jobs of one Sid would be one job to every other part of the program.
TEST(CoreConfigRead, RepeatedOrMissingSidIsReplaced) {
    Read(std::string(kCurrent) +
         "[PATHS]\n1=5|C:\\A\\|E:\\A\\\n2=5|C:\\B\\|E:\\B\\\n3=x|C:\\C\\|E:\\C\\\n"
         "[EXCLUDES]\n1=5|C:\\A\\X\\\n");
    const auto& jobs = core::S().Jobs.items;
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].Sid, 5);
    EXPECT_GT(jobs[1].Sid, 0);
    EXPECT_NE(jobs[1].Sid, 5);
    EXPECT_GT(jobs[2].Sid, 0);
    EXPECT_NE(jobs[2].Sid, jobs[1].Sid);
    EXPECT_EQ(core::S().Excludes.items[0].Sid, 5);
}

TEST(CoreConfigRead, ExcludesUnchangedAndSortedIgnoringCase) {
    Read(std::string(kCurrent) +
         "[EXCLUDES]\n1=5|c:\\b\\\n2=6|C:\\A\\\n3=7|C:\\B\\\n4=8|c:\\a\\\n5=9|\n6=nobar\n"
         "7=10|C:\\A|B\\\n");
    const auto& ex = core::S().Excludes.items;
    ASSERT_EQ(ex.size(), 5u);
    // Equal paths keep their file order.
    EXPECT_EQ(ex[0].Path, L"C:\\A\\");
    EXPECT_EQ(ex[0].Sid, 6);
    EXPECT_EQ(ex[1].Path, L"c:\\a\\");
    EXPECT_EQ(ex[2].Path, L"C:\\A|B\\");
    EXPECT_EQ(ex[3].Path, L"c:\\b\\");
    EXPECT_EQ(ex[3].Sid, 5);
    EXPECT_EQ(ex[4].Sid, 7);
}

TEST(CoreConfigRead, ArcIndivFields) {
    Read(std::string(kCurrent) + "[ARCINDIV]\n1=5|E:\\S\\Fotos\\|30|-1|1\n2=6|E:\\S\\\n");
    const auto& a = core::S().ArcIndiv.items;
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].Sid, 5);
    EXPECT_EQ(a[0].Path, L"E:\\S\\Fotos\\");
    EXPECT_EQ(a[0].Interval, 30);
    EXPECT_EQ(a[0].Versions, -1);
    EXPECT_EQ(a[0].Recursive, 1);
    EXPECT_EQ(a[1].Interval, 0);
    EXPECT_EQ(a[1].Recursive, 0);
}

TEST(CoreConfigRead, NewerVersionStopsWithTheMessage) {
    core::ConfigOutcome outcome = Read("[GENERAL]\nINIVersion=120101\nGLogExt=1\n[PATHS]\n1=5|C:\\|E:\\\n");
    EXPECT_EQ(outcome.result, core::ConfigLoad::NewerVersion);
    EXPECT_EQ(outcome.message,
              L"Problem! Neuere INIVersion - kenn ich nicht: 120101 statt 110708\r\n"
              L"in C:\\Cfg\\Tresoro.ini");
    EXPECT_TRUE(core::S().Jobs.Empty());
    EXPECT_EQ(core::S().settings.GLogExt, 0);
}

// Versions compare as texts by character code.
TEST(CoreConfigRead, VersionComparedAsText) {
    EXPECT_EQ(Read("[GENERAL]\nINIVersion=2\n").result, core::ConfigLoad::NewerVersion);
    EXPECT_EQ(Read("[GENERAL]\nINIVersion=110708a\n").result, core::ConfigLoad::NewerVersion);
    EXPECT_EQ(Read("[GENERAL]\nINIVersion=110708\n").result, core::ConfigLoad::Ok);
    // "11" sorts between "090331" and "110708": current format, Sids kept.
    Read("[GENERAL]\nINIVersion=11\n[PATHS]\n1=5|C:\\|E:\\\n");
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Sid, 5);
}

}  // namespace
