// The help file: what the program carries, when it is written to ConfigDir
// (missing or of another size, never for a mere difference in content), and
// "Hilfe" handing it to the shell, with the two failure messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state.h"
#include "dialogs/help_file.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/gui.h"
#include "platform/gui_testing.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "resources/program_data.h"
#include "tests/support/temp_tree.h"

namespace {

const std::string& Carried() {
    static const std::string bytes(reinterpret_cast<const char*>(res::kHelpFile), res::kHelpFileSize);
    return bytes;
}

struct HelpFile : testing::Test {
    testing_support::TempTree tree;

    void SetUp() override {
        core::S().paths.ConfigDir = tree.root;
        plat::ResetShellOpenedForTest();
    }
    void TearDown() override { plat::ResetShellOpenedForTest(); }

    std::string OnDisk() const { return tree.Read(L"TresoroHilfe.chm"); }

    // The message boxes shown so far: (caption, text).
    static std::vector<std::pair<std::wstring, std::wstring>> Messages() {
        std::vector<std::pair<std::wstring, std::wstring>> out;
        for (const plat::ShownDialog& d : plat::ShownDialogsForTest())
            if (d.kind == plat::DialogKind::MessageBox) out.emplace_back(d.caption, d.text);
        return out;
    }
};

}  // namespace

TEST(CarriedHelpFile, IsACompiledHelpFileWithEveryPage) {
    ASSERT_GT(res::kHelpFileSize, 0x60u);
    EXPECT_EQ(Carried().substr(0, 4), "ITSF");
    EXPECT_EQ(res::kHelpFile[4], 3);  // version 3 of the format
    // The directory of a compiled help file lists each file by its name.
    for (const char* page : {"/start.htm", "/erste_schritte.htm", "/jobs.htm", "/sicherung.htm", "/pruefen.htm",
                             "/archiv.htm", "/schutz.htm", "/ausnahmen.htm", "/autostart.htm", "/konfiguration.htm",
                             "/probleme.htm", "/inhalt.hhc", "/stichwort.hhk", "/hilfe.css", "/#SYSTEM"})
        EXPECT_NE(Carried().find(page), std::string::npos) << page;
}

TEST_F(HelpFile, TheFirstCallWritesTheCarriedFileIntoTheConfigDirectory) {
    EXPECT_EQ(dialogs::HelpFilePath(), tree.root + L"TresoroHilfe.chm");
    ASSERT_FALSE(tree.Exists(L"TresoroHilfe.chm"));
    EXPECT_TRUE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), Carried());
}

TEST_F(HelpFile, AFileOfTheSameSizeIsLeftAsItIsWhateverItHolds) {
    const std::string foreign(res::kHelpFileSize, 'x');
    tree.Write(L"TresoroHilfe.chm", foreign);
    EXPECT_TRUE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), foreign);
}

TEST_F(HelpFile, AFileOfAnotherSizeIsReplaced) {
    tree.Write(L"TresoroHilfe.chm", "an older help file");
    EXPECT_TRUE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), Carried());

    tree.Write(L"TresoroHilfe.chm", Carried() + "one byte more: gone too");
    EXPECT_TRUE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), Carried());
}

TEST_F(HelpFile, EachProgramWritesItsOwnSize) {
    // What one program version wrote stays until a version with another
    // help file comes along.
    const std::string older = "ITSF of an older version";
    EXPECT_TRUE(dialogs::WriteHelpFileWith(reinterpret_cast<const uint8_t*>(older.data()), older.size()));
    EXPECT_EQ(OnDisk(), older);
    const std::string sameSize = "ITSF of an other version";
    ASSERT_EQ(sameSize.size(), older.size());
    EXPECT_TRUE(dialogs::WriteHelpFileWith(reinterpret_cast<const uint8_t*>(sameSize.data()), sameSize.size()));
    EXPECT_EQ(OnDisk(), older);
    EXPECT_TRUE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), Carried());
}

TEST_F(HelpFile, AFileThatCannotBeWrittenIsReported) {
    // On Windows the message would be a real box that nobody answers.
    if (!plat::HeadlessGui()) GTEST_SKIP();
    core::S().paths.ConfigDir = tree.root + L"fehlt\\";
    EXPECT_FALSE(dialogs::WriteHelpFile());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, L"Tresoro Meldung");
    EXPECT_EQ(messages[0].second, L"Konnte Hilfedatei nicht erstellen: " + tree.root + L"fehlt\\TresoroHilfe.chm");
}

TEST_F(HelpFile, AFailedWriteLeavesTheOldFileWhole) {
    if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
    tree.Write(L"TresoroHilfe.chm", "an older help file");
    plat::InjectFault(plat::FaultOp::Write, 1, plat::kErrDiskFull);
    EXPECT_FALSE(dialogs::WriteHelpFile());
    EXPECT_EQ(OnDisk(), "an older help file");
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(HelpFile, HelpWritesTheFileAndHandsItToTheShell) {
    if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
    dialogs::OpenHelp();
    EXPECT_EQ(OnDisk(), Carried());
    EXPECT_EQ(plat::ShellOpenedForTest(), std::vector<std::wstring>{tree.root + L"TresoroHilfe.chm"});
    EXPECT_TRUE(Messages().empty());
}

TEST_F(HelpFile, HelpThatTheShellCannotOpenIsReported) {
    if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
    plat::FailOpenWithShellForTest(1155);  // ERROR_NO_ASSOCIATION
    dialogs::OpenHelp();
    EXPECT_EQ(OnDisk(), Carried());
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, L"Tresoro Meldung");
    EXPECT_EQ(messages[0].second, L"Kann Hilfedatei nicht öffnen: " + tree.root + L"TresoroHilfe.chm");
}

TEST_F(HelpFile, HelpOpensAnOlderFileWhenTheNewOneCannotBeWritten) {
    if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
    tree.Write(L"TresoroHilfe.chm", "an older help file");
    plat::InjectFault(plat::FaultOp::Write, 1, plat::kErrDiskFull);
    dialogs::OpenHelp();
    EXPECT_EQ(plat::ShellOpenedForTest().size(), 1u);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].second.rfind(L"Konnte Hilfedatei nicht erstellen: ", 0), 0u);
}

TEST_F(HelpFile, HelpWithoutAnyFileShowsOnlyTheWriteFailure) {
    if (!plat::HeadlessGui() || !plat::PortableLayer()) GTEST_SKIP();
    core::S().paths.ConfigDir = tree.root + L"fehlt\\";
    dialogs::OpenHelp();
    EXPECT_TRUE(plat::ShellOpenedForTest().empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].second.rfind(L"Konnte Hilfedatei nicht erstellen: ", 0), 0u);
}

TEST_F(HelpFile, TheShellRefusesAPathThatDoesNotExist) {
    // Both builds: on Windows the shell itself answers, without a box.
    EXPECT_FALSE(plat::OpenWithShell(tree.root + L"fehlt.chm"));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_TRUE(plat::ShellOpenedForTest().empty());
}
