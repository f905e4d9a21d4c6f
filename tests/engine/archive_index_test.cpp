// The archive's index: what a walk writes of its moves, read back as
// untrusted input, and what it then says each slot of "@" holds.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/state.h"
#include "engine/archive_index.h"
#include "engine/restore_catalog.h"
#include "log/channels.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;
using engine::IndexMove;
using engine::IndexRecord;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;

struct EngineArchiveIndex : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
    void TearDown() override { plat::ClearFaults(); }
};

std::string Line(const IndexRecord& r) { return engine::FormatIndexRecord(r); }

IndexRecord Rec(IndexMove move, const std::wstring& from, const std::wstring& to, int64_t size = 5) {
    return IndexRecord{move, kTestNow, kOld, size, from, to};
}

// Each line alone: kept, or dropped as damaged, torn or leading elsewhere.
TEST_F(EngineArchiveIndex, ReaderKeepsOnlyWholeLinesOfPlainPathsWhereTheirMoveCanGo) {
    const std::string good = Line(Rec(IndexMove::Replaced, L"Dok\\Brief.txt", L"@\\Dok\\Brief1.txt"));
    std::string flipped = good;
    flipped[8] = flipped[8] == '1' ? '2' : '1';
    const struct {
        const char* what;
        std::string bytes;
        size_t kept;
    } cases[] = {
        {"a whole line", good, 1},
        {"torn: no line break", good.substr(0, good.size() - 3), 0},
        {"torn inside", good.substr(0, 20) + "\n", 0},
        {"a changed byte fails the checksum", flipped, 0},
        {"another format", "TI2" + good.substr(3), 0},
        {"umlauts", Line(Rec(IndexMove::Vanished, L"Ämter\\Größe ß.txt", L"@\\Ämter\\Größe ß.txt")), 1},
        {"a folder", Line(Rec(IndexMove::TypeChange, L"war Ordner", L"@\\war Ordner1", engine::kIndexDirSize)), 1},
        {"up and out", Line(Rec(IndexMove::Replaced, L"..\\x.txt", L"@\\x.txt")), 0},
        {"out of the slots", Line(Rec(IndexMove::Replaced, L"x.txt", L"@\\..\\..\\x.txt")), 0},
        {"a drive", Line(Rec(IndexMove::Replaced, L"x.txt", L"C:\\x.txt")), 0},
        {"a root", Line(Rec(IndexMove::Replaced, L"\\x.txt", L"@\\x.txt")), 0},
        {"an empty name", Line(Rec(IndexMove::Replaced, L"a\\\\x.txt", L"@\\a\\x.txt")), 0},
        {"a slash", Line(Rec(IndexMove::Replaced, L"a/x.txt", L"@\\a\\x.txt")), 0},
        {"a stream", Line(Rec(IndexMove::Replaced, L"x.txt", L"@\\x.txt:zone")), 0},
        {"into the mirror", Line(Rec(IndexMove::Replaced, L"x.txt", L"y.txt")), 0},
        {"into the set-aside area", Line(Rec(IndexMove::Replaced, L"x.txt", L"@\\@\\x.txt")), 0},
        {"from the archive", Line(Rec(IndexMove::Vanished, L"@\\x.txt", L"@\\x1.txt")), 0},
        {"set aside", Line(Rec(IndexMove::SetAside, L"@\\x.txt", L"@\\@\\x.txt.arc2del")), 1},
        {"set aside into a slot", Line(Rec(IndexMove::SetAside, L"@\\x.txt", L"@\\x2.txt")), 0},
        {"put back", Line(Rec(IndexMove::PutBack, L"@\\@\\x.txt.arc2del", L"@\\x.txt")), 1},
        {"back out", Line(Rec(IndexMove::BackOut, L"@\\x.txt", L"x.txt")), 1},
        {"deleted", Line(Rec(IndexMove::Deleted, L"@\\@\\x.txt.arc2del", L"")), 1},
        {"deleted from the mirror", Line(Rec(IndexMove::Deleted, L"x.txt", L"")), 0},
        {"empty lines and noise", "\n\n garbage \t\t\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(engine::ParseIndex(c.bytes).size(), c.kept);
        // A damaged line spoils nothing after it.
        EXPECT_EQ(engine::ParseIndex(c.bytes + "\n" + good).size(), c.kept + 1);
    }
    const std::vector<IndexRecord> back = engine::ParseIndex(good);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].from, L"Dok\\Brief.txt");
    EXPECT_EQ(back[0].to, L"@\\Dok\\Brief1.txt");
    EXPECT_EQ(back[0].modified, kOld);
    EXPECT_EQ(back[0].size, 5);
}

// Every file's content names the mirror path it was written at, so what
// the index says of each slot can be checked against the slot itself.
void WriteOwn(const std::wstring& root, const std::wstring& rel, int round, int64_t date) {
    std::string content;
    for (wchar_t c : rel) content += static_cast<char>(c);
    WriteDated(root + rel, content + "|" + std::to_string(round), date);
}

std::string OwnerOf(const std::string& content) { return content.substr(0, content.find('|')); }

// Runs of a job with full slots, a slot shared by two names, vanished files
// and folders and type changes both ways: afterwards the index names, for
// every version in "@", the mirror path it was at.
TEST_F(EngineArchiveIndex, AWalkRecordsWhoseEveryVersionIs) {
    JobTree t(3);
    // After the second round "wechsel" becomes a folder, "ordner" a file,
    // and "sub" vanishes.
    const std::vector<std::wstring> before = {L"a.txt", L"a1.txt", L"sub\\b.txt", L"wechsel", L"ordner\\x.txt"};
    const std::vector<std::wstring> after = {L"a.txt", L"a1.txt", L"wechsel\\innen.txt", L"ordner"};
    for (int round = 0; round < 6; ++round) {
        plat::SetFakeClock(kTestNow + round * kDay, 1000);
        if (round == 2) {
            for (const wchar_t* gone : {L"wechsel", L"ordner", L"sub"}) ASSERT_TRUE(plat::RemoveForGood(t.src + gone));
        }
        for (const std::wstring& rel : round < 2 ? before : after)
            WriteOwn(t.src, rel, round, kTestNow + round * kDay - 600);
        t.Sync();
        ASSERT_EQ(TestRun().tally.RunErrorCount, 0) << round;
    }
    const engine::Catalog cat = engine::BuildCatalog(t.dst);
    EXPECT_TRUE(cat.indexFound);
    EXPECT_EQ(cat.byNameVersions, 0);
    int archived = 0;
    for (const engine::CatalogEntry& entry : cat.entries) {
        for (const engine::Version& v : entry.files) {
            if (!v.inArchive) continue;
            ++archived;
            std::string path;
            for (wchar_t c : entry.path) path += static_cast<char>(c);
            EXPECT_EQ(OwnerOf(ReadAll(v.location)), path) << plat::WideToUtf8(v.location);
        }
    }
    // 3 versions of each of 2 files, 2 of sub\b.txt before it vanished
    // with its last, the type changes' old entries and their versions.
    EXPECT_GE(archived, 14);
}

// A full disk loses the lines of its moves, not the run; a line torn by a
// kill spoils only itself.
TEST_F(EngineArchiveIndex, AFailedAppendLosesItsLineOnlyAndATornLineOnlyItself) {
    JobTree t(-1);
    WriteOwn(t.src, L"f.txt", 0, kOld);
    t.Sync();
    WriteOwn(t.src, L"f.txt", 1, kOld + kDay);
    plat::InjectFault(plat::FaultOp::Write, 1, plat::kErrDiskFull, true);
    t.Sync();
    plat::ClearFaults();
    EXPECT_EQ(TestRun().tally.RunErrorCount, 0);
    EXPECT_TRUE(plat::FileExists(t.dst + L"@\\f.txt"));
    // A kill in the middle of a line.
    ASSERT_TRUE(plat::AppendToFile(t.dst + engine::kIndexFile, "TI1\tR\t15940"));
    WriteOwn(t.src, L"f.txt", 2, kOld + 2 * kDay);
    t.Sync();
    std::string bytes;
    ASSERT_TRUE(plat::ReadWholeFile(t.dst + engine::kIndexFile, bytes));
    const std::vector<IndexRecord> records = engine::ParseIndex(bytes);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].to, L"@\\f1.txt");
    const engine::Catalog cat = engine::BuildCatalog(t.dst);
    const engine::CatalogEntry* f = cat.Find(L"f.txt");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->files.size(), 3u);
    // The version whose line was lost is attributed by its slot's name.
    EXPECT_EQ(cat.byNameVersions, 1);
}

}  // namespace
