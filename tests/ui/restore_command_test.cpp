// "/RESTORE" started as a script would start it: from a job's source path
// or its mirror path, with and without /ASOF and /TO, on an empty
// configuration through the destination's "@\Tresoro.ini"; the exit codes,
// the lines on top of the month's logs, and nothing written where a command
// line is refused, not even the configuration.
#include <gtest/gtest.h>

#include "core/state.h"
#include "engine/restore.h"
#include "log/channels.h"
#include "log/log_files.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/gui.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"
#include "tests/ui/ui_fixture.h"
#include "ui/restore_command.h"
#include "ui/widgets.h"

namespace {

using ui_testing::IniText;
using ui_testing::UiFixture;

constexpr int64_t kFirst = 1690000000;  // the first run; the fixture's clock stands at 1700000000
constexpr int64_t kSecond = 1695000000;

TEST(RestoreArgs, EachSwitchOnceWithItsValueAndNothingElse) {
    const struct {
        std::vector<std::wstring> args;
        bool ok;
    } cases[] = {
        {{L"/RESTORE", L"C:\\Daten\\a.txt"}, true},
        {{L"/restore", L"C:\\Daten\\", L"/asof", L"2023-11-14 10:00", L"/to", L"D:\\Neu"}, true},
        {{L"/TO", L"D:\\Neu", L"/RESTORE", L"C:\\Daten"}, true},
        {{L"/RESTORE"}, false},
        {{L"/RESTORE", L""}, false},
        {{L"/RESTORE", L"C:\\a", L"/ASOF"}, false},
        {{L"/RESTORE", L"C:\\a", L"/RESTORE", L"C:\\b"}, false},
        {{L"/RESTORE", L"C:\\a", L"/S"}, false},
        {{L"/ASOF", L"2023-11-14 10:00"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plat::WideToUtf8(c.args.back()));
        EXPECT_EQ(ui::ParseRestoreArgs(c.args).ok, c.ok);
    }
    const ui::RestoreArgs parsed = ui::ParseRestoreArgs(cases[1].args);
    EXPECT_EQ(parsed.path, L"C:\\Daten\\");
    EXPECT_EQ(parsed.asOf, L"2023-11-14 10:00");
    EXPECT_EQ(parsed.to, L"D:\\Neu");
    int64_t moment = 0;
    for (const wchar_t* bad : {L"2023-02-29 10:00", L"2023-11-14 24:00", L"14.11.2023 10:00", L"2023-11-14 10:00:6"})
        EXPECT_FALSE(engine::ParseRestoreMoment(bad, moment)) << plat::WideToUtf8(bad);
    ASSERT_TRUE(engine::ParseRestoreMoment(L"2024-02-29 23:59:58", moment));
    EXPECT_EQ(engine::FormatMoment(moment), L"29.02.2024 23:59:58");
}

struct RestoreCommand : UiFixture {
    std::wstring src, dst, ini;
    std::string iniText;

    void SetUp() override {
        UiFixture::SetUp();
        src = tree.Path(L"Daten\\");
        dst = tree.Path(L"Backup\\");
        // Two runs: the report changed between them.
        core::Job& job = testing_support::AddJob(src, dst, 3);
        testing_support::WriteDated(src + L"Bericht.txt", "erste Fassung", kFirst - 600);
        testing_support::WriteDated(src + L"Fotos\\Bild.jpg", "bild", kFirst - 600);
        plat::SetFakeClock(kFirst, 1000);
        testing_support::SyncAs(job.Sid, src, dst);
        testing_support::WriteDated(src + L"Bericht.txt", "zweite Fassung", kSecond - 600);
        plat::SetFakeClock(kSecond, 1000);
        testing_support::SyncAs(job.Sid, src, dst);
        plat::SetFakeClock(1700000000, 5000);
        iniText = IniText("", "", "1 = 1000|" + plat::WideToUtf8(src) + "|" + plat::WideToUtf8(dst) + "|1|0|0|3|0|0\n");
        ini = configDir + L"Tresoro.ini";
    }

    // A start with this command line on a fresh process state; its exit code.
    int Run(const std::vector<std::wstring>& args, bool withJob = true) {
        core::ResetState();
        logs::ResetLogState();
        WriteIni(withJob ? iniText : IniText());
        const ui::StartResult result = Start(args);
        EXPECT_FALSE(result.enterLoop);
        EXPECT_FALSE(plat::WindowExists(ui::MainWindow));
        return result.exitCode;
    }

    std::string LogFile(int kind) const {
        std::string bytes;
        (void)plat::ReadWholeFile(configDir + logs::LogFileName(kind, logs::CurrentMonth()), bytes);
        return bytes;
    }
};

TEST_F(RestoreCommand, FromTheSourceOrTheMirrorAtAnyMomentIntoAnyFolder) {
    const std::wstring to = tree.Path(L"Zurück");
    const std::wstring asOf = L"2023-08-01 00:00";  // between the runs
    const struct {
        const char* what;
        std::vector<std::wstring> args;
        std::wstring file;
        std::string content;
    } cases[] = {
        {"the source path, newest", {L"/RESTORE", src + L"Bericht.txt"}, src + L"Bericht.txt", "zweite Fassung"},
        {"the mirror path, as of a moment",
         {L"/RESTORE", dst + L"Bericht.txt", L"/ASOF", asOf, L"/TO", to},
         to + L"\\Bericht.txt",
         "erste Fassung"},
        {"a folder with a trailing backslash",
         {L"/RESTORE", src + L"Fotos\\", L"/TO", to},
         to + L"\\Fotos\\Bild.jpg",
         "bild"},
        {"the whole job by its destination",
         {L"/RESTORE", dst, L"/TO", to + L"2"},
         to + L"2\\Daten\\Bericht.txt",
         "zweite Fassung"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        (void)plat::RemoveForGood(src + L"Bericht.txt");
        EXPECT_EQ(Run(c.args), ui::kRestoreDone);
        EXPECT_EQ(testing_support::ReadAll(c.file), c.content);
        EXPECT_NE(LogFile(core::kLogNormal).find("Wiederhergestellt: "), std::string::npos);
    }
    // Earlier lines of the month stay below the new ones.
    const std::string messages = LogFile(core::kLogNormal);
    EXPECT_LT(messages.find(plat::WideToUtf8(to + L"2")), messages.find(plat::WideToUtf8(src + L"Bericht.txt")));
    // A different file at the target stays; the version goes beside it.
    testing_support::WriteDated(to + L"\\Bericht.txt", "meine Änderung", 1699990000);
    EXPECT_EQ(Run({L"/RESTORE", src + L"Bericht.txt", L"/TO", to}), ui::kRestorePartly);
    EXPECT_EQ(testing_support::ReadAll(to + L"\\Bericht.txt"), "meine Änderung");
    EXPECT_EQ(testing_support::ReadAll(to + L"\\Bericht (Stand " + engine::FormatStandName(kSecond - 600) + L").txt"),
              "zweite Fassung");
    // A new PC: no job, the backup says whose it is.
    tree.Write(L"Backup\\@\\Tresoro.ini", "\xEF\xBB\xBF" + iniText);
    EXPECT_EQ(Run({L"/RESTORE", dst + L"Fotos\\Bild.jpg", L"/TO", to + L"3"}, false), ui::kRestoreDone);
    EXPECT_EQ(testing_support::ReadAll(to + L"3\\Bild.jpg"), "bild");
    // The configuration stays as it was.
    EXPECT_EQ(testing_support::ReadAll(ini), "\xEF\xBB\xBF" + IniText());
}

TEST_F(RestoreCommand, ARefusedCommandLineWritesNothing) {
    const std::wstring to = tree.Path(L"Ziel");
    tree.Write(L"eine Datei", "x");
    const struct {
        const char* what;
        std::vector<std::wstring> args;
        const char* line;
    } cases[] = {
        {"no job, no backup", {L"/RESTORE", tree.Path(L"anderswo\\a.txt"), L"/TO", to}, "keinem Job"},
        {"a date in another form", {L"/RESTORE", src, L"/ASOF", L"22.07.2023 04:00", L"/TO", to}, "Datum"},
        {"a file as the folder", {L"/RESTORE", src, L"/TO", tree.Path(L"eine Datei")}, "ist eine Datei"},
        {"into the backup", {L"/RESTORE", src + L"Fotos", L"/TO", dst + L"neu"}, "im Backup"},
        {"inside \"@\"", {L"/RESTORE", dst + L"@\\Bericht.txt", L"/TO", to}, "keinem Job"},
        {"a switch too many", {L"/RESTORE", src, L"/M"}, "Aufruf"},
    };
    // Everything but the program's own folder (its logs, its control files).
    const auto outside = [this] {
        auto all = testing_support::Snapshot(tree.root);
        for (auto it = all.begin(); it != all.end();)
            it = it->first.rfind(L"AppData", 0) == 0 ? all.erase(it) : std::next(it);
        return all;
    };
    const auto before = outside();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.args), ui::kRestoreRefused);
        EXPECT_NE(LogFile(core::kLogError).find(c.line), std::string::npos) << LogFile(core::kLogError);
        EXPECT_EQ(outside(), before);
    }
}

}  // namespace
