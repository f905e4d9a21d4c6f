// What a run does per job: validation of optional and other jobs, creating a
// missing destination, the configuration copy in "@", the IT-job modes and
// the LastBup and EntryCount rules after errors.
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
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr auto Lines = &testing_support::LogLines;
constexpr auto HasLine = &testing_support::LogHas;

bool AnyLineStarts(int kind, const std::wstring& prefix) {
    for (const std::wstring& line : Lines(kind))
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

// Jobs run with the window left out (a display without entries).
struct EngineRunJobs : testing::Test {
    testing_support::TempTree tree;
    int64_t now = 0;

    void SetUp() override {
        logs::InstallCoreSinks(nullptr);
        tree.Mkdir(L"cfg");
        core::S().paths.ConfigDir = tree.Path(L"cfg\\");
        core::S().paths.IniDir = tree.Path(L"cfg\\");
        core::S().paths.IniFile = tree.Path(L"cfg\\Tresoro.ini");
        core::S().settings.GSearchDest = 0;
        core::S().settings.GCreateDest = 0;
        now = plat::Now();
        plat::SetFakeClock(now, 5000);
    }

    core::Job& AddJob(const std::wstring& name, int8_t flags = core::kFlagSelected) {
        tree.Write(name + L"\\src\\f.txt", "data");
        tree.Mkdir(name + L"\\dest");
        core::Job job;
        job.Sid = 2000 + static_cast<int32_t>(core::S().Jobs.Size());
        job.Src = tree.Path(name + L"\\src\\");
        job.Dest = tree.Path(name + L"\\dest\\");
        job.Flags = flags;
        return core::S().Jobs.Append(job);
    }
    core::Job& Job(size_t i) { return core::S().Jobs.items[i]; }
};

TEST_F(EngineRunJobs, ErrorFreeJobsRecordTheirRunAndCount) {
    AddJob(L"a").EntryCount = 999;  // shrinks to what the run saw
    AddJob(L"b").LastBup = 5;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_EQ(logs::LS().RunErrorCount, 0);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Job(i).EntryCount, 1);
        EXPECT_EQ(Job(i).LastBup, static_cast<int32_t>(now));
    }
    EXPECT_EQ(tree.Read(L"b\\dest\\f.txt"), "data");
}

TEST_F(EngineRunJobs, CopyErrorKeepsEveryLaterJobDue) {
    AddJob(L"a");
    tree.Write(L"b\\src\\g.txt", "more");
    AddJob(L"b").EntryCount = 1;
    plat::InjectFault(plat::FaultOp::Copy, 1, 19);  // the first file copy fails
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(AnyLineStarts(core::kLogError, L"Kopierfehler: "));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
    // The second job still runs...
    EXPECT_EQ(tree.Read(L"b\\dest\\g.txt"), "more");
    EXPECT_EQ(tree.Read(L"b\\dest\\f.txt"), "data");
    // ...but neither job counts as done, so the next run repeats both.
    EXPECT_EQ(Job(0).LastBup, 0);
    EXPECT_EQ(Job(1).LastBup, 0);
    EXPECT_EQ(Job(0).EntryCount, 1);
    EXPECT_EQ(Job(1).EntryCount, 2);  // raised, never lowered
    EXPECT_TRUE(HasLine(core::kLogNormal, L"ES SIND FEHLER AUFGETRETEN: 1"));
}

TEST_F(EngineRunJobs, InvalidSourceOfARequiredJobIsAnError) {
    core::Job& job = AddJob(L"a");
    job.Src = tree.Path(L"gone\\");
    job.EntryCount = 50;
    job.LastBup = 7;
    engine::EndRun(engine::RunBackup({}));
    const std::wstring line = L"UNGÜLTIGE QUELLE: " + tree.Path(L"gone\\");
    EXPECT_TRUE(HasLine(core::kLogNormal, line));
    EXPECT_TRUE(HasLine(core::kLogError, line));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
    EXPECT_EQ(Job(0).EntryCount, 50);
    EXPECT_EQ(Job(0).LastBup, 7);
    // Not synchronised: no configuration copy in "@" either.
    EXPECT_FALSE(tree.Exists(L"a\\dest\\@"));
}

TEST_F(EngineRunJobs, InvalidDestinationOfARequiredJobIsAnError) {
    core::Job& job = AddJob(L"a");
    job.Dest = tree.Path(L"nowhere\\dest\\");
    engine::EndRun(engine::RunBackup({}));
    const std::wstring line = L"UNGÜLTIGES ZIEL: " + tree.Path(L"nowhere\\dest\\");
    EXPECT_TRUE(HasLine(core::kLogNormal, line));
    EXPECT_TRUE(HasLine(core::kLogError, line));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
    EXPECT_EQ(Job(0).LastBup, 0);
}

TEST_F(EngineRunJobs, BothPathsInvalidCountTwice) {
    core::Job& job = AddJob(L"a");
    job.Src = tree.Path(L"gone\\");
    job.Dest = tree.Path(L"nowhere\\dest\\");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_EQ(logs::LS().RunErrorCount, 2);
    EXPECT_EQ(Lines(core::kLogError).size(), 4u);  // two lines, then the summary block
}

TEST_F(EngineRunJobs, OptionalJobsAreSkippedQuietlyAndCountAsDone) {
    core::Job& noSrc = AddJob(L"a", core::kFlagSelected | core::kFlagOptional);
    noSrc.Src = tree.Path(L"gone\\");
    noSrc.EntryCount = 50;
    core::Job& noDest = AddJob(L"b", core::kFlagSelected | core::kFlagOptional);
    noDest.Dest = tree.Path(L"nowhere\\dest\\");
    noDest.EntryCount = 60;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(
        HasLine(core::kLogNormal, L"UNGÜLTIGE QUELLE: " + tree.Path(L"gone\\") + L" (Fakultativ: überspringe Job)"));
    EXPECT_TRUE(HasLine(core::kLogNormal,
                        L"UNGÜLTIGES ZIEL: " + tree.Path(L"nowhere\\dest\\") + L" (Fakultativ: überspringe Job)"));
    EXPECT_TRUE(Lines(core::kLogError).empty());
    EXPECT_EQ(logs::LS().RunErrorCount, 0);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Job(i).EntryCount, 0);
        EXPECT_EQ(Job(i).LastBup, static_cast<int32_t>(now));
    }
    EXPECT_FALSE(tree.Exists(L"a\\dest\\f.txt"));
    EXPECT_FALSE(tree.Exists(L"nowhere"));
}

TEST_F(EngineRunJobs, SkippedOptionalJobAfterAnErrorStaysDue) {
    AddJob(L"a").Src = tree.Path(L"gone\\");
    core::Job& optional = AddJob(L"b", core::kFlagSelected | core::kFlagOptional);
    optional.Src = tree.Path(L"gone2\\");
    optional.EntryCount = 60;
    engine::EndRun(engine::RunBackup({}));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
    EXPECT_EQ(Job(1).EntryCount, 60);
    EXPECT_EQ(Job(1).LastBup, 0);
}

TEST_F(EngineRunJobs, MissingDestinationIsCreatedOnlyBelowAnExistingParent) {
    core::S().settings.GCreateDest = 1;
    AddJob(L"a").Dest = tree.Path(L"a\\new\\");
    AddJob(L"b").Dest = tree.Path(L"b\\missing\\new\\");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_EQ(tree.Read(L"a\\new\\f.txt"), "data");
    EXPECT_FALSE(tree.Exists(L"b\\missing"));
    EXPECT_TRUE(HasLine(core::kLogError, L"UNGÜLTIGES ZIEL: " + tree.Path(L"b\\missing\\new\\")));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
}

TEST_F(EngineRunJobs, MissingDestinationStaysMissingWithoutCreateDest) {
    AddJob(L"a").Dest = tree.Path(L"a\\new\\");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_FALSE(tree.Exists(L"a\\new"));
    EXPECT_EQ(logs::LS().RunErrorCount, 1);
}

TEST_F(EngineRunJobs, NormalRunLeavesTheConfigurationInTheArchiveFolder) {
    AddJob(L"a");  // archiving off: only the run makes "@"
    engine::EndRun(engine::RunBackup({}));
    std::string config;
    ASSERT_TRUE(plat::ReadWholeFile(core::S().paths.IniFile, config));
    EXPECT_EQ(tree.Read(L"a\\dest\\@\\Tresoro.ini"), config);
    // The copy carries the job, so a moved disk can be recognised by it.
    EXPECT_NE(config.find("2000|"), std::string::npos);
    // Nothing of the safe write is left behind.
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(tree.Path(L"a\\dest\\@\\"), L"*", entries));
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(EngineRunJobs, ConfigurationCopyUsesTheFileNameInUse) {
    core::S().paths.IniFile = tree.Path(L"cfg\\Other.ini");
    AddJob(L"a");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(tree.Exists(L"a\\dest\\@\\Other.ini"));
    EXPECT_FALSE(tree.Exists(L"a\\dest\\@\\Tresoro.ini"));
}

struct EngineRunItJob : EngineRunJobs, testing::WithParamInterface<engine::ItJobMode> {};

TEST_P(EngineRunItJob, ItJobModesMakeNoArchiveFolder) {
    AddJob(L"a").ArcVersions = 3;
    engine::EndRun(engine::RunBackup({GetParam(), true}));
    EXPECT_EQ(tree.Read(L"a\\dest\\f.txt"), "data");
    EXPECT_FALSE(tree.Exists(L"a\\dest\\@"));
}

INSTANTIATE_TEST_SUITE_P(EngineItJobModes, EngineRunItJob,
                         testing::Values(engine::ItJobMode::Manual, engine::ItJobMode::Forced),
                         [](const testing::TestParamInfo<engine::ItJobMode>& info) {
                             return info.param == engine::ItJobMode::Manual ? "Manual" : "Forced";
                         });

TEST_F(EngineRunJobs, NetworkDestinationIsNeverSearchedOnOtherDrives) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    core::S().settings.GSearchDest = 1;
    AddJob(L"a").Dest = L"\\\\server\\share\\Backup\\";
    engine::EndRun(engine::RunBackup({}));
    for (const std::wstring& line : Lines(core::kLogNormal))
        EXPECT_EQ(line.find(L"Alternativpfad"), std::wstring::npos) << line;
    EXPECT_TRUE(Lines(core::kLogHint).empty());
    EXPECT_TRUE(HasLine(core::kLogError, L"UNGÜLTIGES ZIEL: \\\\server\\share\\Backup\\"));
}

TEST_F(EngineRunJobs, DestinationSearchRunsEvenForAnInvalidSource) {
    core::S().settings.GSearchDest = 1;
    core::Job& job = AddJob(L"a");
    job.Src = tree.Path(L"gone\\");
    job.Dest = tree.Path(L"nowhere\\");
    engine::EndRun(engine::RunBackup({}));
    EXPECT_TRUE(AnyLineStarts(core::kLogNormal, L"Alternativpfad suchen dauerte "));
}

}  // namespace
