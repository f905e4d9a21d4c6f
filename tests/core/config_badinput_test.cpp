// Damaged, binary and oversized files: a clear result, never a crash or a
// reader that slows to a halt.
#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "core/config.h"
#include "core/state.h"

namespace {

core::ConfigOutcome Read(const std::string& ini) {
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    return core::ReadConfigFromBytes(nullptr, &ini);
}

const std::string kCurrent = "[GENERAL]\r\nINIVersion=110708\r\n";

TEST(CoreConfigBadInput, FiveMegabyteLines) {
    const std::string huge(5 * 1024 * 1024, 'x');
    Read(kCurrent + "GLogExt=1\r\n" + huge + "\r\n" + huge + "=" + huge + "\r\n[PATHS]\r\n1=5|C:\\" + huge +
         "\\|E:\\\r\n2=6|C:\\B\\|E:\\B\\\r\n");
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    ASSERT_EQ(core::S().Jobs.Size(), 2u);
    EXPECT_EQ(core::S().Jobs.items[0].Src.size(), huge.size() + 4);
    EXPECT_EQ(core::S().Jobs.items[1].Sid, 6);
    EXPECT_GT(core::ConfigFileBytes().size(), huge.size());
}

TEST(CoreConfigBadInput, ThousandBarsInAValue) {
    std::string bars;
    for (int i = 0; i < 1000; ++i) {
        bars += '|';
        bars += std::to_string(i);
    }
    Read(kCurrent + "[PATHS]\n1=5|C:\\|E:\\|2|3|4|5|6|7" + bars + "\n[EXCLUDES]\n1=5" + bars +
         "\n[ARCINDIV]\n1=5|E:\\|1|2|1" + bars + "\n");
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    const core::Job& j = core::S().Jobs.items[0];
    EXPECT_EQ(j.Flags, 2);
    EXPECT_EQ(j.LastBup, 7);
    ASSERT_EQ(core::S().Excludes.Size(), 1u);
    EXPECT_EQ(core::S().Excludes.items[0].Path, std::wstring(bars.begin() + 1, bars.end()));
    EXPECT_EQ(core::S().ArcIndiv.items[0].Recursive, 1);
}

TEST(CoreConfigBadInput, NulBytesAreOrdinaryCharacters) {
    std::string ini = kCurrent + "GLogExt=1";
    ini += '\0';
    ini += "\n[PATHS]\n1=5|C:\\";
    ini += '\0';
    ini += "\\|E:\\\n";
    ini += std::string(100, '\0');
    Read(ini);
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Src, std::wstring(L"C:\\") + L'\0' + L"\\");
}

TEST(CoreConfigBadInput, InvalidUtf8AfterByteOrderMark) {
    Read("\xEF\xBB\xBF" + kCurrent + "GStdBupPath=E:\\\xC3\xFF\x80\xED\xA0\x80\\\r\n");
    std::wstring path = core::S().settings.GStdBupPath;
    EXPECT_EQ(path.substr(0, 3), L"E:\\");
    EXPECT_NE(path.find(L'\xFFFD'), std::wstring::npos);
    // Whatever came in, what goes out is valid UTF-8 of the same text.
    std::string bytes = core::ConfigFileBytes();
    core::ResetState();
    Read(bytes);
    EXPECT_EQ(core::S().settings.GStdBupPath, path);
}

TEST(CoreConfigBadInput, ThousandsOfSections) {
    std::string ini;
    for (int i = 0; i < 50000; ++i) ini += "[S" + std::to_string(i % 5000) + "]\nK=V\n";
    ini += kCurrent + "GLogExt=1\n[PATHS]\n1=5|C:\\|E:\\\n";
    Read(ini);
    EXPECT_EQ(core::S().settings.GLogExt, 1);
    EXPECT_EQ(core::S().Jobs.Size(), 1u);
}

// An old file whose "EXCLUDE" section runs through 200000 numbered keys:
// each key is found in constant time, not by a scan from the section start.
TEST(CoreConfigBadInput, ManyNumberedKeysInAnOldFile) {
    std::string ini = "[GENERAL]\nINIVersion=080101\n[EXCLUDE]\n";
    for (int i = 1; i <= 200000; ++i) ini += std::to_string(i) + "=P" + std::to_string(i) + "\n";
    Read(ini);
    EXPECT_EQ(core::S().Excludes.Size(), 200000u);
}

TEST(CoreConfigBadInput, BinaryGarbage) {
    std::string garbage;
    uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage += static_cast<char>(x >> 24);
    }
    for (const std::string& prefix :
         {std::string(), std::string("\xEF\xBB\xBF"), std::string("[PATHS]\n"), kCurrent + "[PATHS]\n"}) {
        core::ResetState();
        EXPECT_EQ(Read(prefix + garbage).result, core::ConfigLoad::Ok);
        core::ConfigFileBytes();
    }
}

TEST(CoreConfigBadInput, TruncatedFile) {
    const std::string full =
        kCurrent + "GLogExt=1\r\n[Window]\r\nGDMScale=1.25\r\n[PATHS]\r\n1=5|C:\\A\\|E:\\A\\|1|7\r\n";
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        core::ResetState();
        Read(full.substr(0, cut));
        ASSERT_LE(core::S().Jobs.Size(), 1u);
    }
    // Cut inside the job line: the fields read so far stand, the rest are 0.
    Read(full.substr(0, full.size() - 4));
    ASSERT_EQ(core::S().Jobs.Size(), 1u);
    EXPECT_EQ(core::S().Jobs.items[0].Dest, L"E:\\A\\");
    EXPECT_EQ(core::S().Jobs.items[0].ArcInterval, 0);
}

}  // namespace

namespace {

// A hand-copied job line repeated many times, in a file old enough to be
// renumbered: every job ends with its own Sid, and the draws stay cheap
// (each one checks a set, not the whole job list).
TEST(CoreConfigBadInput, ManyJobsWithOneSidAllGetTheirOwn) {
    std::string ini = "[GENERAL]\r\nINIVersion=090331\r\n[PATHS]\r\n";
    const int kJobs = 50000;
    for (int i = 0; i < kJobs; ++i) ini += "1=7|C:\\A\\|E:\\A\\|1\r\n";
    core::S().paths.ConfigDir = L"C:\\Cfg\\";
    core::ReadConfigFromBytes(nullptr, &ini);
    ASSERT_EQ(core::S().Jobs.Size(), static_cast<size_t>(kJobs));
    std::unordered_set<int32_t> sids;
    for (const core::Job& job : core::S().Jobs.items) {
        EXPECT_GT(job.Sid, 0);
        sids.insert(job.Sid);
    }
    EXPECT_EQ(sids.size(), static_cast<size_t>(kJobs));
}

}  // namespace
