// Create, move, delete, attributes and the recursive removal inside "@".
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/temp_tree.h"

using testing_support::TempTree;
namespace fs = std::filesystem;

namespace {

// A directory known both by its native path, where std::filesystem can make
// a link, and by its Windows path; on the host it is mapped as drive "T:".
struct NativeDir {
    fs::path native;
    std::wstring win;  // ends in "\"
    NativeDir() {
        native = fs::temp_directory_path() / ("tresoro-native-" + std::to_string(std::random_device{}()));
        fs::create_directory(native);
        if (plat::PortableLayer()) {
            EXPECT_TRUE(plat::MapDrive(L"T:", native.string()));
            win = L"T:\\";
        } else {
            win = native.wstring() + L"\\";
        }
    }
    ~NativeDir() {
        std::error_code ec;
        fs::remove_all(native, ec);  // removes links, never follows them
    }
};

}  // namespace

TEST(PlatformOps, CreateDirMakesOneLevelOnly) {
    TempTree t;
    EXPECT_FALSE(plat::CreateDir(t.Path(L"a\\b\\")));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_FALSE(t.Exists(L"a"));

    ASSERT_TRUE(plat::CreateDir(t.Path(L"a\\")));
    ASSERT_TRUE(plat::CreateDir(t.Path(L"a\\b")));
    EXPECT_TRUE(plat::DirExists(t.Path(L"a\\b\\")));

    EXPECT_FALSE(plat::CreateDir(t.Path(L"a\\")));
    EXPECT_EQ(plat::LastError(), plat::kErrAlreadyExists);
    t.Write(L"file", "");
    EXPECT_FALSE(plat::CreateDir(t.Path(L"file")));
    EXPECT_TRUE(plat::FileExists(t.Path(L"file")));
}

TEST(PlatformOps, MoveEntryNeverReplaces) {
    TempTree t;
    t.Write(L"old.txt", "old");
    t.Write(L"taken.txt", "taken");
    EXPECT_FALSE(plat::MoveEntry(t.Path(L"old.txt"), t.Path(L"taken.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrAlreadyExists);
    EXPECT_EQ(t.Read(L"old.txt"), "old");
    EXPECT_EQ(t.Read(L"taken.txt"), "taken");

    ASSERT_TRUE(plat::MoveEntry(t.Path(L"old.txt"), t.Path(L"new.txt")));
    EXPECT_FALSE(t.Exists(L"old.txt"));
    EXPECT_EQ(t.Read(L"new.txt"), "old");

    // A directory moves with its content, and not onto an existing one.
    t.Write(L"d\\inner.txt", "in");
    t.Mkdir(L"busy");
    EXPECT_FALSE(plat::MoveEntry(t.Path(L"d\\"), t.Path(L"busy\\")));
    ASSERT_TRUE(plat::MoveEntry(t.Path(L"d\\"), t.Path(L"e\\")));
    EXPECT_EQ(t.Read(L"e\\inner.txt"), "in");
    EXPECT_FALSE(t.Exists(L"d"));
}

TEST(PlatformOps, DeleteFileAndRemoveEmptyDir) {
    TempTree t;
    t.Write(L"d\\f.txt", "f");
    EXPECT_FALSE(plat::RemoveDir(t.Path(L"d\\")));
    EXPECT_EQ(plat::LastError(), plat::kErrDirNotEmpty);
    EXPECT_TRUE(t.Exists(L"d\\f.txt"));

    EXPECT_FALSE(plat::DeleteFileAt(t.Path(L"d")));  // a directory is not a file
    EXPECT_TRUE(plat::DirExists(t.Path(L"d")));
    ASSERT_TRUE(plat::DeleteFileAt(t.Path(L"d\\f.txt")));
    EXPECT_FALSE(t.Exists(L"d\\f.txt"));
    EXPECT_FALSE(plat::DeleteFileAt(t.Path(L"d\\f.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);

    ASSERT_TRUE(plat::RemoveDir(t.Path(L"d\\")));
    EXPECT_FALSE(t.Exists(L"d"));
}

TEST(PlatformOps, AttributesRoundTrip) {
    TempTree t;
    t.Write(L"f.txt", "f");
    // Windows marks every new file for backup.
    EXPECT_NE(plat::GetAttributes(t.Path(L"f.txt")) & plat::kAttrArchive, 0u);

    ASSERT_TRUE(plat::SetAttributes(t.Path(L"f.txt"), plat::kAttrReadOnly | plat::kAttrArchive));
    uint32_t attributes = plat::GetAttributes(t.Path(L"f.txt"));
    EXPECT_NE(attributes & plat::kAttrReadOnly, 0u);
    EXPECT_NE(attributes & plat::kAttrArchive, 0u);
    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(t.root, L"f.txt", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].attributes & plat::kAttrReadOnly, 0u);

    // The sync sets a copy to archive alone, so a later run can replace it.
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"f.txt"), plat::kAttrArchive));
    attributes = plat::GetAttributes(t.Path(L"f.txt"));
    EXPECT_EQ(attributes & plat::kAttrReadOnly, 0u);
    EXPECT_NE(attributes & plat::kAttrArchive, 0u);
    ASSERT_TRUE(plat::DeleteFileAt(t.Path(L"f.txt")));

    EXPECT_FALSE(plat::SetAttributes(t.Path(L"none"), plat::kAttrArchive));
}

TEST(PlatformOps, InjectedFaultsStopTheOperationBeforeItActs) {
    TempTree t;
    t.Write(L"f.txt", "f");
    t.Mkdir(L"d");
    const uint32_t code = plat::kErrWriteProtect;  // not a lock, which would be waited out

    plat::InjectFault(plat::FaultOp::CreateDir, 1, code);
    EXPECT_FALSE(plat::CreateDir(t.Path(L"new")));
    EXPECT_EQ(plat::LastError(), code);
    EXPECT_FALSE(t.Exists(L"new"));

    plat::InjectFault(plat::FaultOp::Move, 1, code);
    EXPECT_FALSE(plat::MoveEntry(t.Path(L"f.txt"), t.Path(L"g.txt")));
    EXPECT_EQ(plat::LastError(), code);
    EXPECT_TRUE(t.Exists(L"f.txt"));
    EXPECT_FALSE(t.Exists(L"g.txt"));

    plat::InjectFault(plat::FaultOp::Delete, 1, code);
    EXPECT_FALSE(plat::DeleteFileAt(t.Path(L"f.txt")));
    EXPECT_EQ(plat::LastError(), code);
    EXPECT_TRUE(t.Exists(L"f.txt"));

    plat::InjectFault(plat::FaultOp::RemoveDir, 1, code);
    EXPECT_FALSE(plat::RemoveDir(t.Path(L"d")));
    EXPECT_EQ(plat::LastError(), code);
    EXPECT_TRUE(t.Exists(L"d"));

    plat::InjectFault(plat::FaultOp::SetAttributes, 1, code);
    EXPECT_FALSE(plat::SetAttributes(t.Path(L"f.txt"), plat::kAttrReadOnly));
    EXPECT_EQ(plat::LastError(), code);
    EXPECT_EQ(plat::GetAttributes(t.Path(L"f.txt")) & plat::kAttrReadOnly, 0u);

    // Each fault fired once; the next calls go through.
    EXPECT_TRUE(plat::CreateDir(t.Path(L"new")));
    EXPECT_TRUE(plat::MoveEntry(t.Path(L"f.txt"), t.Path(L"g.txt")));
    EXPECT_TRUE(plat::DeleteFileAt(t.Path(L"g.txt")));
    EXPECT_TRUE(plat::RemoveDir(t.Path(L"d")));
}

TEST(PlatformTree, RemovesNestedTreeWithReadOnlyEntries) {
    TempTree t;
    t.Write(L"top\\a\\b\\deep.txt", "deep");
    t.Write(L"top\\a\\locked.txt", "locked");
    t.Write(L"top\\plain.txt", "plain");
    t.Mkdir(L"top\\empty");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"top\\a\\locked.txt"), plat::kAttrReadOnly));
    t.Write(L"beside.txt", "beside");

    ASSERT_TRUE(plat::RemoveTree(t.Path(L"top\\")));
    EXPECT_FALSE(t.Exists(L"top"));
    EXPECT_EQ(t.Read(L"beside.txt"), "beside");

    EXPECT_FALSE(plat::RemoveTree(t.Path(L"top\\")));
}

TEST(PlatformTree, InjectedFaultStopsTheRemoval) {
    TempTree t;
    t.Write(L"top\\a.txt", "a");
    t.Write(L"top\\b.txt", "b");
    plat::InjectFault(plat::FaultOp::RemoveDir, 2, plat::kErrSharingViolation, true);  // locked for good
    EXPECT_FALSE(plat::RemoveTree(t.Path(L"top\\")));
    EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
    EXPECT_TRUE(plat::DirExists(t.Path(L"top")));
}

// A link inside the archive may point at the user's real data; removing the
// tree must take the link away and leave its target whole.
TEST(PlatformTree, RemovesDirectoryLinksWithoutEnteringThem) {
    NativeDir host;
    ASSERT_TRUE(plat::CreateDir(host.win + L"outside\\"));
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"outside\\keep.txt", "keep"));
    ASSERT_TRUE(plat::CreateDir(host.win + L"tree\\"));
    ASSERT_TRUE(plat::CreateDir(host.win + L"tree\\sub\\"));
    std::error_code ec;
    fs::create_directory_symlink(host.native / "outside", host.native / "tree" / "sub" / "link", ec);
    if (ec) GTEST_SKIP() << "no directory links in this build: " << ec.message();
    fs::create_directory_symlink(host.native / "outside", host.native / "toplink", ec);
    ASSERT_FALSE(ec);

    std::vector<plat::DirEntry> entries;
    ASSERT_TRUE(plat::ListDir(host.win + L"tree\\sub\\", L"*", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].attributes & plat::kAttrReparsePoint, 0u);
    EXPECT_NE(entries[0].attributes & plat::kAttrDirectory, 0u);

    ASSERT_TRUE(plat::RemoveTree(host.win + L"tree\\"));
    EXPECT_FALSE(plat::DirExists(host.win + L"tree"));
    ASSERT_TRUE(plat::RemoveTree(host.win + L"toplink\\"));
    EXPECT_EQ(plat::GetAttributes(host.win + L"toplink"), plat::kInvalidAttributes);

    std::string bytes;
    ASSERT_TRUE(plat::ReadWholeFile(host.win + L"outside\\keep.txt", bytes));
    EXPECT_EQ(bytes, "keep");
}

// What DeleteFileAt refuses (a read-only file, a directory with contents)
// RemoveForGood takes away.
TEST(PlatformTree, RemoveForGoodTakesReadOnlyFilesAndTrees) {
    NativeDir host;
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"locked.txt", "locked"));
    ASSERT_TRUE(
        plat::SetAttributes(host.win + L"locked.txt", plat::kAttrReadOnly | plat::kAttrHidden | plat::kAttrSystem));
    ASSERT_TRUE(plat::CreateDir(host.win + L"tree\\"));
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"tree\\inner.txt", "inner"));
    ASSERT_TRUE(plat::SetAttributes(host.win + L"tree\\inner.txt", plat::kAttrReadOnly));
    ASSERT_TRUE(plat::CreateDir(host.win + L"tree\\sub\\"));
    ASSERT_TRUE(plat::CreateDir(host.win + L"tree\\sub\\empty\\"));
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"tree\\sub\\deep.txt", "deep"));
    ASSERT_TRUE(plat::SetAttributes(host.win + L"tree\\sub\\deep.txt", plat::kAttrReadOnly | plat::kAttrHidden));
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"beside.txt", "beside"));

    EXPECT_FALSE(plat::DeleteFileAt(host.win + L"locked.txt"));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    ASSERT_TRUE(plat::RemoveForGood(host.win + L"locked.txt"));
    EXPECT_EQ(plat::GetAttributes(host.win + L"locked.txt"), plat::kInvalidAttributes);
    ASSERT_TRUE(plat::RemoveForGood(host.win + L"tree"));
    EXPECT_FALSE(plat::DirExists(host.win + L"tree"));
    EXPECT_FALSE(plat::RemoveForGood(host.win + L"tree"));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_TRUE(plat::FileExists(host.win + L"beside.txt"));
}

// A link to a directory goes as the link; what it points to stays.
TEST(PlatformTree, RemoveForGoodTakesALinkToADirectoryAsTheLink) {
    NativeDir host;
    ASSERT_TRUE(plat::CreateDir(host.win + L"outside\\"));
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"outside\\keep.txt", "keep"));
    std::error_code ec;
    fs::create_directory_symlink(host.native / "outside", host.native / "link", ec);
    if (ec) GTEST_SKIP() << "no directory links in this build: " << ec.message();
    ASSERT_TRUE(plat::RemoveForGood(host.win + L"link"));
    EXPECT_EQ(plat::GetAttributes(host.win + L"link"), plat::kInvalidAttributes);
    EXPECT_TRUE(plat::FileExists(host.win + L"outside\\keep.txt"));
}

// Each step of the removal can fail on its own; the entry then stays.
TEST(PlatformTree, RemoveForGoodStopsAtEachInjectedFault) {
    TempTree t;
    t.Write(L"locked.txt", "locked");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrReadOnly));
    t.Write(L"top\\a.txt", "a");

    plat::InjectFault(plat::FaultOp::SetAttributes, 1, plat::kErrSharingViolation);
    EXPECT_FALSE(plat::RemoveForGood(t.Path(L"locked.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
    EXPECT_NE(plat::GetAttributes(t.Path(L"locked.txt")) & plat::kAttrReadOnly, 0u);

    // Held for good by another program (a moment's lock is waited out).
    plat::InjectFault(plat::FaultOp::Delete, 1, plat::kErrSharingViolation, true);
    EXPECT_FALSE(plat::RemoveForGood(t.Path(L"locked.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
    EXPECT_TRUE(t.Exists(L"locked.txt"));

    plat::ClearFaults();
    plat::InjectFault(plat::FaultOp::RemoveDir, 1, plat::kErrSharingViolation, true);
    EXPECT_FALSE(plat::RemoveForGood(t.Path(L"top")));
    EXPECT_EQ(plat::LastError(), plat::kErrSharingViolation);
    EXPECT_TRUE(t.Exists(L"top\\a.txt"));
    plat::ClearFaults();

    EXPECT_TRUE(plat::RemoveForGood(t.Path(L"locked.txt")));
    EXPECT_TRUE(plat::RemoveForGood(t.Path(L"top")));
    EXPECT_EQ(t.Names().size(), 0u);
}

// The last step of every safe copy: a fresh name is taken in one step, a
// writable file is replaced, and the file's own attributes go along.
TEST(PlatformOps, MoveReplacingTakesAFreeNameOrReplacesAWritableFile) {
    TempTree t;
    t.Write(L"a.tmp", "first");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"a.tmp"), plat::kAttrHidden | plat::kAttrArchive));
    ASSERT_TRUE(plat::MoveReplacing(t.Path(L"a.tmp"), t.Path(L"f.txt")));
    EXPECT_FALSE(t.Exists(L"a.tmp"));
    EXPECT_EQ(t.Read(L"f.txt"), "first");
    EXPECT_NE(plat::GetAttributes(t.Path(L"f.txt")) & plat::kAttrHidden, 0u);

    t.Write(L"b.tmp", "second");
    ASSERT_TRUE(plat::MoveReplacing(t.Path(L"b.tmp"), t.Path(L"f.txt")));
    EXPECT_FALSE(t.Exists(L"b.tmp"));
    EXPECT_EQ(t.Read(L"f.txt"), "second");
    EXPECT_EQ(plat::GetAttributes(t.Path(L"f.txt")) & plat::kAttrHidden, 0u);
}

TEST(PlatformOps, MoveReplacingRefusesADirectoryTargetAndReportsAMissingSource) {
    TempTree t;
    t.Write(L"new.tmp", "new");
    t.Write(L"dir\\inner.txt", "inner");
    EXPECT_FALSE(plat::MoveReplacing(t.Path(L"new.tmp"), t.Path(L"dir")));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    EXPECT_EQ(t.Read(L"dir\\inner.txt"), "inner");
    EXPECT_EQ(t.Read(L"new.tmp"), "new");

    EXPECT_FALSE(plat::MoveReplacing(t.Path(L"none.tmp"), t.Path(L"other.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_FALSE(t.Exists(L"other.txt"));
}

// Windows refuses to replace a read-only file, and the portable layer keeps
// that answer (Wine replaces it, so this holds for the portable layer only).
TEST(PlatformOps, MoveReplacingRefusesAReadOnlyTarget) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    TempTree t;
    t.Write(L"new.tmp", "new");
    t.Write(L"locked.txt", "locked");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrReadOnly));
    EXPECT_FALSE(plat::MoveReplacing(t.Path(L"new.tmp"), t.Path(L"locked.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    EXPECT_EQ(t.Read(L"new.tmp"), "new");
    // A missing source is what is reported, even where the target would be
    // refused as well.
    EXPECT_FALSE(plat::MoveReplacing(t.Path(L"none.tmp"), t.Path(L"locked.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"locked.txt"), plat::kAttrArchive));
    EXPECT_EQ(t.Read(L"locked.txt"), "locked");
}

// The archive tells a vanished entry from a missing "@" level by these codes.
TEST(PlatformOps, MoveEntryTellsAMissingSourceFromAMissingTargetDirectory) {
    TempTree t;
    t.Write(L"f.txt", "f");
    ASSERT_TRUE(plat::SetAttributes(t.Path(L"f.txt"), plat::kAttrSystem | plat::kAttrArchive));
    EXPECT_FALSE(plat::MoveEntry(t.Path(L"none.txt"), t.Path(L"g.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_FALSE(plat::MoveEntry(t.Path(L"f.txt"), t.Path(L"nodir\\g.txt")));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_EQ(t.Read(L"f.txt"), "f");

    ASSERT_TRUE(plat::MoveEntry(t.Path(L"f.txt"), t.Path(L"g.txt")));
    EXPECT_NE(plat::GetAttributes(t.Path(L"g.txt")) & plat::kAttrSystem, 0u);
}

// A link named like the copy's target must not let the copy truncate the
// source it points at.
TEST(PlatformTree, CopyOntoALinkToItsOwnSourceLeavesTheSourceWhole) {
    if (!plat::PortableLayer()) GTEST_SKIP();
    NativeDir host;
    ASSERT_TRUE(plat::WriteFileReplacing(host.win + L"source.txt", "precious"));
    std::error_code ec;
    fs::create_symlink(host.native / "source.txt", host.native / "link.txt", ec);
    ASSERT_FALSE(ec);
    EXPECT_FALSE(plat::CopyFileWithProgressCall(host.win + L"source.txt", host.win + L"link.txt", nullptr, false));
    std::string bytes;
    ASSERT_TRUE(plat::ReadWholeFile(host.win + L"source.txt", bytes));
    EXPECT_EQ(bytes, "precious");
}
