#include <gtest/gtest.h>

#include <string>

#include "core/startup_paths.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(CoreProgramDir, IsTheProgramFilesDirectory) {
    std::wstring file = plat::ProgramFile();
    std::wstring dir = core::DetermineProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_EQ(file.compare(0, dir.size(), dir), 0);
    EXPECT_EQ(file.find(L'\\', dir.size()), std::wstring::npos);
    EXPECT_LT(dir.size(), file.size());
}

// The application-data folder of a test: CSIDL 26 points into a fresh tree.
struct AppDataTree {
    testing_support::TempTree tree;
    std::wstring base;  // with trailing "\"
    explicit AppDataTree(const std::wstring& relative = L"AppData") {
        tree.Mkdir(relative);
        base = tree.Path(relative + L"\\");
        EXPECT_TRUE(plat::SetSpecialFolderForTest(26, tree.Path(relative)));
    }
};

TEST(CoreConfigDir, CreatesTresoroDataAndMovesOldFilesIntoIt) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app;
    app.tree.Write(L"AppData\\Tresoro.ini", "ini");
    app.tree.Write(L"AppData\\Tresoro5.log", "log");
    app.tree.Write(L"AppData\\Other.txt", "other");
    app.tree.Write(L"AppData\\TresoroX\\inner.txt", "inner");

    std::wstring message = L"stale";
    std::wstring dir = core::DetermineConfigDir(message);

    EXPECT_EQ(dir, app.base + L"TresoroData\\");
    EXPECT_EQ(message, L"");
    EXPECT_TRUE(plat::DirExists(dir));
    EXPECT_EQ(app.tree.Read(L"AppData\\TresoroData\\Tresoro.ini"), "ini");
    EXPECT_EQ(app.tree.Read(L"AppData\\TresoroData\\Tresoro5.log"), "log");
    EXPECT_FALSE(app.tree.Exists(L"AppData\\Tresoro.ini"));
    EXPECT_FALSE(app.tree.Exists(L"AppData\\Tresoro5.log"));
    // Neither a foreign file nor a folder that merely starts with "Tresoro".
    EXPECT_TRUE(app.tree.Exists(L"AppData\\Other.txt"));
    EXPECT_FALSE(app.tree.Exists(L"AppData\\TresoroData\\Other.txt"));
    EXPECT_EQ(app.tree.Read(L"AppData\\TresoroX\\inner.txt"), "inner");
    EXPECT_FALSE(app.tree.Exists(L"AppData\\TresoroData\\TresoroX"));
}

TEST(CoreConfigDir, AnExistingTresoroDataIsUsedAsItIs) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app;
    app.tree.Mkdir(L"AppData\\TresoroData");
    app.tree.Write(L"AppData\\Tresoro.ini", "older copy");

    std::wstring message;
    EXPECT_EQ(core::DetermineConfigDir(message), app.base + L"TresoroData\\");
    EXPECT_EQ(message, L"");
    // Files are carried over only when the folder is created.
    EXPECT_TRUE(app.tree.Exists(L"AppData\\Tresoro.ini"));
    EXPECT_FALSE(app.tree.Exists(L"AppData\\TresoroData\\Tresoro.ini"));
}

TEST(CoreConfigDir, AFileThatCannotMoveStaysWhereItIs) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app;
    app.tree.Write(L"AppData\\Tresoro.ini", "ini");
    app.tree.Write(L"AppData\\TresoroHinw5.log", "hint");
    std::wstring message;
    plat::InjectFault(plat::FaultOp::Move, 1, plat::kErrWriteProtect);
    std::wstring dir = core::DetermineConfigDir(message);
    EXPECT_EQ(dir, app.base + L"TresoroData\\");
    EXPECT_EQ(message, L"");
    // The first move fails (listing order decides which file); the other still moves.
    int stayed = app.tree.Exists(L"AppData\\Tresoro.ini") + app.tree.Exists(L"AppData\\TresoroHinw5.log");
    int moved = app.tree.Exists(L"AppData\\TresoroData\\Tresoro.ini") +
                app.tree.Exists(L"AppData\\TresoroData\\TresoroHinw5.log");
    EXPECT_EQ(stayed, 1);
    EXPECT_EQ(moved, 1);
}

TEST(CoreConfigDir, FallsBackToTheBaseWhenTheFolderCannotBeCreated) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    testing_support::TempTree tree;
    // An application-data folder that does not exist: nothing can be made in it.
    ASSERT_TRUE(plat::SetSpecialFolderForTest(26, tree.Path(L"missing")));
    std::wstring message;
    std::wstring dir = core::DetermineConfigDir(message);
    EXPECT_EQ(dir, tree.Path(L"missing\\"));
    EXPECT_EQ(message, L"Kann Konfigurationsverzeichnis nicht anlegen:" + tree.Path(L"missing\\TresoroData\\"));
}

TEST(CoreConfigDir, AFailedCreationMovesNothing) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app;
    app.tree.Write(L"AppData\\Tresoro.ini", "ini");
    plat::InjectFault(plat::FaultOp::CreateDir, 1, plat::kErrAccessDenied);
    std::wstring message;
    EXPECT_EQ(core::DetermineConfigDir(message), app.base);
    EXPECT_EQ(message, L"Kann Konfigurationsverzeichnis nicht anlegen:" + app.base + L"TresoroData\\");
    EXPECT_EQ(app.tree.Read(L"AppData\\Tresoro.ini"), "ini");
}

TEST(CoreConfigDir, TheDefaultProfileUsesAllUsersData) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app(L"Documents and Settings\\Default User\\Application Data");
    app.tree.Mkdir(L"AllUsers");
    ASSERT_TRUE(plat::SetSpecialFolderForTest(35, app.tree.Path(L"AllUsers")));
    std::wstring message;
    EXPECT_EQ(core::DetermineConfigDir(message), app.tree.Path(L"AllUsers\\TresoroData\\"));
    EXPECT_TRUE(app.tree.Exists(L"AllUsers\\TresoroData"));
    EXPECT_FALSE(app.tree.Exists(L"Documents and Settings\\Default User\\Application Data\\TresoroData"));
}

TEST(CoreConfigDir, TheDefaultProfileIsRecognisedInAnyCase) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app(L"profiles\\DEFAULT USER\\AppData");
    app.tree.Mkdir(L"AllUsers");
    ASSERT_TRUE(plat::SetSpecialFolderForTest(35, app.tree.Path(L"AllUsers")));
    std::wstring message;
    EXPECT_EQ(core::DetermineConfigDir(message), app.tree.Path(L"AllUsers\\TresoroData\\"));
}

TEST(CoreConfigDir, AnOrdinaryProfileKeepsItsOwnFolder) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    AppDataTree app(L"Users\\DefaultUserName\\AppData");
    ASSERT_TRUE(plat::SetSpecialFolderForTest(35, app.tree.Path(L"elsewhere")));
    std::wstring message;
    EXPECT_EQ(core::DetermineConfigDir(message), app.base + L"TresoroData\\");
}

}  // namespace
