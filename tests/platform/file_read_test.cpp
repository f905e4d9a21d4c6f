// Reading a file in blocks (file_read.h), in both builds: the blocks, the
// end, the refusals with the system's codes, names Win32 would trim, and
// the fault layer's counts.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/file_read.h"
#include "platform/fs.h"
#include "tests/support/temp_tree.h"

using testing_support::Pattern;
using testing_support::TempTree;

namespace {

// The whole file read through `block`-sized reads, and the sizes each read gave.
bool ReadInBlocks(const std::wstring& path, size_t block, std::string& content, std::vector<size_t>& gots) {
    plat::ReadHandle file;
    if (!plat::OpenForReading(path, file)) return false;
    std::vector<char> buffer(block);
    for (;;) {
        size_t got = 0;
        if (!plat::ReadBlock(file, buffer.data(), buffer.size(), got)) return false;
        gots.push_back(got);
        content.append(buffer.data(), got);
        if (got < block) return true;
    }
}

TEST(PlatformFileRead, ReadsWholeBlocksUntilTheEnd) {
    TempTree t;
    const std::string content = Pattern(300000);
    // A name ending in a dot, which only the literal path form keeps on Windows.
    const struct {
        const wchar_t* name;
        size_t size, block;
        std::vector<size_t> gots;
    } cases[] = {
        {L"a.bin", 300000, 65536, {65536, 65536, 65536, 65536, 37856}},
        {L"exact.bin", 131072, 65536, {65536, 65536, 0}},
        {L"Bericht.", 10, 65536, {10}},
        {L"leer.txt", 0, 4096, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.Write(c.name, content.substr(0, c.size));
        std::string read;
        std::vector<size_t> gots;
        ASSERT_TRUE(ReadInBlocks(t.Path(c.name), c.block, read, gots)) << plat::LastError();
        EXPECT_EQ(read, content.substr(0, c.size));
        EXPECT_EQ(gots, c.gots);
    }
}

TEST(PlatformFileRead, RefusesWithTheSystemsCodes) {
    TempTree t;
    t.Mkdir(L"Ordner");
    plat::ReadHandle file;
    EXPECT_FALSE(plat::OpenForReading(t.Path(L"fehlt.txt"), file));
    EXPECT_EQ(plat::LastError(), plat::kErrFileNotFound);
    EXPECT_FALSE(plat::OpenForReading(t.Path(L"fehlt\\a.txt"), file));
    EXPECT_EQ(plat::LastError(), plat::kErrPathNotFound);
    EXPECT_FALSE(file.IsOpen());
    // Windows refuses the directory at the open, the host at the first read.
    char buffer[16];
    size_t got = 1;
    const bool opened = plat::OpenForReading(t.Path(L"Ordner"), file);
    EXPECT_FALSE(opened && plat::ReadBlock(file, buffer, sizeof buffer, got));
    EXPECT_EQ(plat::LastError(), plat::kErrAccessDenied);
    EXPECT_EQ(got, opened ? 0u : 1u) << "a failed read gives nothing";
}

// A moved handle reads on where the first one stopped; the one it came from
// holds nothing any more, and both close themselves (the file can then be
// taken away and written anew under its name).
TEST(PlatformFileRead, AMovedHandleReadsOn) {
    TempTree t;
    t.Write(L"f.txt", "abcdef");
    {
        plat::ReadHandle first;
        ASSERT_TRUE(plat::OpenForReading(t.Path(L"f.txt"), first));
        char buffer[3];
        size_t got = 0;
        ASSERT_TRUE(plat::ReadBlock(first, buffer, 3, got));
        std::vector<plat::ReadHandle> kept;
        kept.push_back(std::move(first));
        EXPECT_FALSE(first.IsOpen());
        EXPECT_FALSE(plat::ReadBlock(first, buffer, 3, got));
        ASSERT_TRUE(plat::ReadBlock(kept[0], buffer, 3, got));
        EXPECT_EQ(std::string(buffer, got), "def");
    }
    ASSERT_TRUE(plat::DeleteFileAt(t.Path(L"f.txt")));
    t.Write(L"f.txt", "neu");
    EXPECT_EQ(t.Read(L"f.txt"), "neu");
}

// The open and every read count; an injected fault fails that very call
// with its code.
TEST(PlatformFileRead, FaultsHitTheOpenAndEachRead) {
    TempTree t;
    t.Write(L"f.bin", Pattern(5000));
    for (int nth : {1, 2, 4}) {
        SCOPED_TRACE(nth);
        plat::InjectFault(plat::FaultOp::ReadBlock, nth, plat::kErrReadFault);
        std::string read;
        std::vector<size_t> gots;
        EXPECT_FALSE(ReadInBlocks(t.Path(L"f.bin"), 2000, read, gots));
        EXPECT_EQ(plat::LastError(), plat::kErrReadFault);
        EXPECT_EQ(gots.size(), static_cast<size_t>(nth == 1 ? 0 : nth - 2));
        plat::ClearFaults();
    }
}

}  // namespace
