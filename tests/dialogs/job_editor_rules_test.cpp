// What the job editor writes into a job on "OK", how it reads the numbers
// of the exception list, and the warnings of "Neu" and "Ändern".
#include <gtest/gtest.h>

#include <limits>

#include "core/state.h"
#include "dialogs/job_editor.h"
#include "tests/support/temp_tree.h"

using dialogs::CommitEditorValues;
using dialogs::EditorValues;
using dialogs::EditorValuesOf;
using dialogs::ExceptionMessages;
using dialogs::ExceptionRow;
using dialogs::ParseNumber;

namespace {

constexpr int32_t kSid = 4711;
constexpr int32_t kOtherSid = 815;

core::Job SampleJob() {
    core::Job job;
    job.Sid = kSid;
    job.Src = L"C:\\Daten\\";
    job.Dest = L"E:\\Backup\\";
    job.Flags = core::kFlagSelected;
    job.ArcInterval = 7;
    job.ArcVersions = 3;
    job.EntryCount = 1234;
    job.BupInterval = 2;
    job.LastBup = 1600000000;
    return job;
}

core::ArcIndivEntry Entry(int32_t sid, const std::wstring& path, int32_t interval, int32_t versions, int8_t recursive) {
    core::ArcIndivEntry e;
    e.Sid = sid;
    e.Path = path;
    e.Interval = interval;
    e.Versions = versions;
    e.Recursive = recursive;
    return e;
}

}  // namespace

TEST(EditorNumbers, SignThenDecimalHexadecimalAfterDollarOrBinaryAfterPercent) {
    EXPECT_EQ(ParseNumber(L"12"), 12);
    EXPECT_EQ(ParseNumber(L"  -7"), -7);
    EXPECT_EQ(ParseNumber(L"\t+30 Tage"), 30);
    EXPECT_EQ(ParseNumber(L"$1F"), 31);
    EXPECT_EQ(ParseNumber(L"$ff"), 255);
    EXPECT_EQ(ParseNumber(L"-$10"), -16);
    EXPECT_EQ(ParseNumber(L"%101"), 5);
    EXPECT_EQ(ParseNumber(L"%1021"), 2);  // "2" is no binary digit
    EXPECT_EQ(ParseNumber(L"12$3"), 12);
}

TEST(EditorNumbers, NoDigitGivesZeroAndBeyond32BitsTheLimit) {
    for (const wchar_t* text : {L"", L"abc", L"-", L"$", L"$g", L"%2", L" x12"})
        EXPECT_EQ(ParseNumber(text), 0) << text;
    EXPECT_EQ(ParseNumber(L"99999999999999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseNumber(L"-99999999999999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ParseNumber(L"$FFFFFFFFFF"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ParseNumber(L"-2147483648"), std::numeric_limits<int32_t>::min());
}

TEST(EditorOpen, ShowsTheJobAndOnlyItsExceptionsInListOrder) {
    auto& arc = core::S().ArcIndiv;
    arc.Append(Entry(kSid, L"E:\\Backup\\B\\", 3, -1, 1));
    arc.Append(Entry(kOtherSid, L"F:\\Other\\", 1, 1, 0));
    arc.Append(Entry(kSid, L"E:\\Backup\\A\\", 0, 5, 0));
    core::Job job = SampleJob();
    job.Flags = core::kFlagSelected | core::kFlagOptional;
    const EditorValues v = EditorValuesOf(job);
    EXPECT_EQ(v.source, L"C:\\Daten\\");
    EXPECT_EQ(v.dest, L"E:\\Backup\\");
    EXPECT_EQ(v.arcInterval, 7);
    EXPECT_EQ(v.arcVersions, 3);
    EXPECT_EQ(v.bupInterval, 2);
    EXPECT_TRUE(v.optional);
    ASSERT_EQ(v.exceptions.size(), 2u);
    EXPECT_EQ(v.exceptions[0], (ExceptionRow{L"E:\\Backup\\B\\", L"3", L"-1", L"1"}));
    EXPECT_EQ(v.exceptions[1], (ExceptionRow{L"E:\\Backup\\A\\", L"0", L"5", L"0"}));
    EXPECT_FALSE(EditorValuesOf(SampleJob()).optional);
}

TEST(EditorCommit, DirectoriesGetTheirBackslashAndEmptyFieldsAreStoredAsRoot) {
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.source = L"D:\\Quelle";
    v.dest = L"E:\\Backup";
    EXPECT_FALSE(CommitEditorValues(job, v));
    EXPECT_EQ(job.Src, L"D:\\Quelle\\");
    EXPECT_EQ(job.Dest, L"E:\\Backup\\");
    v.source.clear();
    v.dest.clear();
    CommitEditorValues(job, v);
    EXPECT_EQ(job.Src, L"\\");
    EXPECT_EQ(job.Dest, L"\\");
}

TEST(EditorCommit, NumbersAndOnlyTheOptionalBitChange) {
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.arcInterval = 0;
    v.arcVersions = -1;
    v.bupInterval = 999;
    v.optional = true;
    CommitEditorValues(job, v);
    EXPECT_EQ(job.ArcInterval, 0);
    EXPECT_EQ(job.ArcVersions, -1);
    EXPECT_EQ(job.BupInterval, 999);
    EXPECT_EQ(job.Flags, core::kFlagSelected | core::kFlagOptional);
    EXPECT_EQ(job.Sid, kSid);
    EXPECT_EQ(job.EntryCount, 1234);
    EXPECT_EQ(job.LastBup, 1600000000);

    v.optional = false;
    CommitEditorValues(job, v);
    EXPECT_EQ(job.Flags, core::kFlagSelected);
    job.Flags = core::kFlagOptional;  // not ticked in the job list
    v.optional = true;
    CommitEditorValues(job, v);
    EXPECT_EQ(job.Flags, core::kFlagOptional);
}

TEST(EditorCommit, ReplacesTheJobsExceptionsKeepsOthersAndSortsWithoutRegardToCase) {
    auto& arc = core::S().ArcIndiv;
    arc.Append(Entry(kSid, L"E:\\Backup\\Old\\", 1, 1, 1));
    arc.Append(Entry(kOtherSid, L"E:\\Backup\\m\\", 9, 9, 0));
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.exceptions = {ExceptionRow{L"E:\\Backup\\Z", L"$A", L"abc", L"1"},
                    ExceptionRow{L"E:\\Backup\\a\\", L" 14", L"-1", L"0"},
                    ExceptionRow{L"E:\\Backup\\M\\x\\", L"1", L"1", L"0"}};
    EXPECT_FALSE(CommitEditorValues(job, v));
    ASSERT_EQ(arc.Size(), 4u);
    EXPECT_EQ(arc.items[0].Path, L"E:\\Backup\\a\\");
    EXPECT_EQ(arc.items[0].Sid, kSid);
    EXPECT_EQ(arc.items[0].Interval, 14);
    EXPECT_EQ(arc.items[0].Versions, -1);
    EXPECT_EQ(arc.items[0].Recursive, 0);
    EXPECT_EQ(arc.items[1].Path, L"E:\\Backup\\m\\");
    EXPECT_EQ(arc.items[1].Sid, kOtherSid);
    EXPECT_EQ(arc.items[2].Path, L"E:\\Backup\\M\\x\\");  // a deeper directory follows its parent
    EXPECT_EQ(arc.items[3].Path, L"E:\\Backup\\Z\\");     // stored with its backslash
    EXPECT_EQ(arc.items[3].Interval, 10);
    EXPECT_EQ(arc.items[3].Versions, 0);  // not a number
    EXPECT_EQ(arc.items[3].Recursive, 1);
}

TEST(EditorCommit, ExceptionsOutsideTheDestinationAreKeptButCallForTheHint) {
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.exceptions = {ExceptionRow{L"E:\\Backup\\In\\", L"1", L"1", L"0"}, ExceptionRow{L"E:\\Other\\", L"1", L"1", L"0"},
                    ExceptionRow{L"F:\\Else\\", L"1", L"1", L"0"}};
    EXPECT_TRUE(CommitEditorValues(job, v));
    EXPECT_EQ(core::S().ArcIndiv.Size(), 3u);
}

TEST(EditorCommit, TheDestinationTestIsCaseSensitiveAndUsesTheStoredDestination) {
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.exceptions = {ExceptionRow{L"e:\\backup\\x\\", L"1", L"1", L"0"}};
    EXPECT_TRUE(CommitEditorValues(job, v));
    // The destination typed without backslash is compared with it.
    v.dest = L"E:\\Backup";
    v.exceptions = {ExceptionRow{L"E:\\Backup2\\x", L"1", L"1", L"0"}};
    EXPECT_TRUE(CommitEditorValues(job, v));
    v.exceptions = {ExceptionRow{L"E:\\Backup\\x", L"1", L"1", L"0"}};
    EXPECT_FALSE(CommitEditorValues(job, v));
}

TEST(EditorCommit, NoRowsRemovesTheJobsExceptions) {
    core::S().ArcIndiv.Append(Entry(kSid, L"E:\\Backup\\A\\", 1, 1, 1));
    core::Job job = SampleJob();
    EditorValues v = EditorValuesOf(job);
    v.exceptions.clear();
    EXPECT_FALSE(CommitEditorValues(job, v));
    EXPECT_TRUE(core::S().ArcIndiv.Empty());
}

TEST(EditorExceptionChecks, AnExistingDirectoryInsideTheDestinationPassesQuietly) {
    testing_support::TempTree tree;
    tree.Mkdir(L"Backup\\A");
    EXPECT_TRUE(ExceptionMessages(tree.Path(L"Backup\\A"), tree.Path(L"Backup")).empty());
    EXPECT_TRUE(ExceptionMessages(tree.Path(L"Backup\\A\\"), tree.Path(L"Backup\\")).empty());
}

TEST(EditorExceptionChecks, AMissingPathAndAPathOutsideTheDestinationAreReported) {
    testing_support::TempTree tree;
    tree.Mkdir(L"Backup");
    tree.Mkdir(L"Other");
    const std::wstring missing = tree.Path(L"Backup\\Nope");
    EXPECT_EQ(ExceptionMessages(missing, tree.Path(L"Backup")),
              (std::vector<std::wstring>{L"Pfad existiert nicht! " + missing}));
    EXPECT_EQ(ExceptionMessages(tree.Path(L"Other"), tree.Path(L"Backup")),
              (std::vector<std::wstring>{L"Die Ausnahme muss sich im Ziel befinden..."}));
    EXPECT_EQ(ExceptionMessages(L"", tree.Path(L"Backup")),
              (std::vector<std::wstring>{L"Pfad existiert nicht! ", L"Die Ausnahme muss sich im Ziel befinden..."}));
}

TEST(EditorExceptionChecks, TheSubstringTestIsCaseSensitive) {
    EXPECT_EQ(ExceptionMessages(L"e:\\backup\\x\\", L"E:\\Backup\\").back(),
              L"Die Ausnahme muss sich im Ziel befinden...");
    EXPECT_EQ(ExceptionMessages(L"E:\\Backup\\x\\", L"E:\\Backup\\").size(), 1u);  // only "does not exist"
}
