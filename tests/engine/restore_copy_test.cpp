// Copying a state back: what is already at the target is never lost, the
// files keep their dates and attributes, a cancelled or failed copy leaves
// nothing half-written, and the backup is only read.
#include <gtest/gtest.h>

#include "core/report.h"
#include "engine/restore.h"
#include "engine/sync.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "platform/text.h"
#include "tests/support/engine_fixture.h"

using namespace testing_support;

namespace {

constexpr int64_t kOld = kTestNow - 30 * kDay;
constexpr int64_t kNew = kTestNow - 2 * kDay;

struct EngineRestoreCopy : testing::Test {
    void SetUp() override {
        plat::SetFakeClock(kTestNow, 1000);
        InstallRecorder();
    }
    void TearDown() override { plat::ClearFaults(); }
};

// Names, contents, dates and attributes of everything below `dir`.
std::map<std::wstring, std::string> Everything(const std::wstring& dir) {
    std::map<std::wstring, std::string> out;
    for (const auto& [path, content] : Snapshot(dir)) {
        const std::wstring full = dir + path;
        out[path] = content + "|" + std::to_string(DateOf(full)) + "|" + std::to_string(plat::GetAttributes(full));
    }
    return out;
}

// A job with one archived version of each file, the backup made read-only.
struct Backup {
    JobTree t{3};
    Backup() {
        WriteDated(t.src + L"Bericht.docx", "bericht alt", kOld);
        WriteDated(t.src + L"Ordner\\innen.txt", "innen alt", kOld);
        WriteDated(t.src + L"schreibgeschützt.txt", "geschützt", kOld);
        t.Sync();
        WriteDated(t.src + L"Bericht.docx", "bericht neu", kNew);
        t.Sync();
        // As an IT job's copy keeps them.
        EXPECT_TRUE(plat::SetAttributes(t.dst + L"schreibgeschützt.txt", plat::kAttrReadOnly | plat::kAttrHidden));
    }
    std::vector<engine::StateItem> StateNow(engine::Catalog& cat) const {
        cat = engine::BuildCatalog(t.dst);
        return engine::StateAt(cat, engine::kNewestState, L"");
    }
};

TEST_F(EngineRestoreCopy, NothingAtTheTargetIsLostAndTheBackupIsOnlyRead) {
    Backup b;
    const std::wstring to = b.t.tree.Path(L"ziel");
    // In the way: the same file, a different one (also under the first
    // name beside it), a folder of a file's name, a file of a folder's name.
    WriteDated(to + L"\\schreibgeschützt.txt", "geschützt", kOld);
    WriteDated(to + L"\\Bericht.docx", "eigene Änderung", kTestNow);
    const std::wstring beside = L"Bericht (Stand " + engine::FormatStandName(kNew) + L").docx";
    WriteDated(to + L"\\" + beside, "noch eine", kTestNow);
    WriteDated(to + L"\\Ordner", "eine Datei", kTestNow);
    const auto backupBefore = Everything(b.t.dst);
    const auto targetBefore = Snapshot(to);

    engine::Catalog cat;
    const engine::RestoreOutcome out = engine::RestoreState(b.StateNow(cat), L"", to, engine::kNewestState, {});
    EXPECT_EQ(out.restored, 3);
    EXPECT_EQ(out.beside, 2);
    EXPECT_EQ(out.failed, 0);
    EXPECT_EQ(Everything(b.t.dst), backupBefore);
    // What was there stays as it was.
    for (const auto& [path, content] : targetBefore) EXPECT_EQ(ReadAll(to + L"\\" + path), content);
    const std::wstring second = L"Bericht (Stand " + engine::FormatStandName(kNew) + L") (2).docx";
    EXPECT_EQ(ReadAll(to + L"\\" + second), "bericht neu");
    EXPECT_EQ(DateOf(to + L"\\" + second), kNew);
    const std::wstring folder = L"Ordner (Stand " + engine::FormatStandName(kTestNow) + L")";
    EXPECT_EQ(ReadAll(to + L"\\" + folder + L"\\innen.txt"), "innen alt");
    EXPECT_TRUE(LogHas(core::kLogNormal, L"Wiederhergestellt neben vorhandener Datei: " + to + L"\\" + second));

    // Restored again, everything is found the same: nothing more is made.
    const auto targetAfter = Snapshot(to);
    const engine::RestoreOutcome again = engine::RestoreState(b.StateNow(cat), L"", to, engine::kNewestState, {});
    EXPECT_EQ(again.restored, 3);
    EXPECT_EQ(again.failed, 0);
    EXPECT_EQ(Snapshot(to), targetAfter);
}

TEST_F(EngineRestoreCopy, AFileKeepsTheDateAndAttributesOfItsVersion) {
    Backup b;
    const std::wstring to = b.t.tree.Path(L"neu\\tiefer");
    engine::Catalog cat;
    (void)b.StateNow(cat);
    const engine::CatalogEntry* report = cat.Find(L"Bericht.docx");
    ASSERT_NE(report, nullptr);
    // The older version, from "@", into a folder that is not there yet.
    const engine::Version* old = engine::VersionAt(*report, kOld + 1);
    ASSERT_NE(old, nullptr);
    ASSERT_TRUE(old->inArchive);
    engine::RestoreOutcome out =
        engine::RestoreState({{L"Bericht.docx", old}}, L"Bericht.docx", to + L"\\Bericht.docx", kOld + 1, {});
    EXPECT_EQ(out.restored, 1);
    EXPECT_EQ(ReadAll(to + L"\\Bericht.docx"), "bericht alt");
    EXPECT_EQ(DateOf(to + L"\\Bericht.docx"), kOld);
    const auto items = engine::StateAt(cat, engine::kNewestState, L"schreibgeschützt.txt");
    ASSERT_EQ(items.size(), 1u);
    out = engine::RestoreState(items, L"schreibgeschützt.txt", to + L"\\g.txt", engine::kNewestState, {});
    EXPECT_EQ(out.restored, 1);
    const uint32_t attributes = plat::GetAttributes(to + L"\\g.txt");
    EXPECT_EQ(attributes & (plat::kAttrReadOnly | plat::kAttrHidden), plat::kAttrReadOnly | plat::kAttrHidden);
    EXPECT_EQ(DateOf(to + L"\\g.txt"), kOld);
}

// A copy that fails or is cancelled, at any file: what was copied is whole,
// the rest is not there at all, and no temporary copy is left.
TEST_F(EngineRestoreCopy, AFailedOrCancelledCopyLeavesNothingHalfWritten) {
    Backup b;
    WriteDated(b.t.src + L"groß.bin", Pattern(3 << 20), kOld);
    b.t.Sync();
    engine::Catalog cat;
    const auto items = b.StateNow(cat);
    for (int at = 1; at <= 4; ++at) {
        for (bool cancel : {false, true}) {
            SCOPED_TRACE(at * 10 + cancel);
            const std::wstring to = b.t.tree.Path(L"ziel" + std::to_wstring(at) + (cancel ? L"c" : L"f"));
            int asked = 0;
            engine::RestoreHooks hooks;
            if (cancel) hooks.cancelled = [&asked, at] { return ++asked >= 2 * at; };
            if (!cancel) plat::InjectFault(plat::FaultOp::Copy, at, plat::kErrDiskFull);
            const engine::RestoreOutcome out = engine::RestoreState(items, L"", to, engine::kNewestState, hooks);
            plat::ClearFaults();
            // Wine's copy never calls the progress routine, so a cancel
            // meant for the middle of a copy is never asked there; the
            // portable layer's progress is our own code and must ask.
            if (cancel && !out.cancelled && !plat::PortableLayer()) continue;
            EXPECT_EQ(out.cancelled, cancel);
            EXPECT_EQ(out.failed, cancel ? 0 : 1);
            for (const auto& [path, content] : Snapshot(to)) {
                EXPECT_FALSE(engine::IsTempCopyName(path)) << plat::WideToUtf8(path);
                if (path.back() != L'\\') {
                    EXPECT_EQ(content, ReadAll(b.t.dst + path));
                }
            }
        }
    }
}

// Copies made ahead by writers come out as those made at each turn: in a
// new folder, and over a target that already holds some of the files, the
// same and different ones, where the versions go beside.
TEST_F(EngineRestoreCopy, CopiesMadeAheadComeOutAsCopiesAtEachTurn) {
    Backup b;
    for (int i = 0; i < 90; ++i) {
        const std::wstring name = L"d" + std::to_wstring(i % 3) + L"\\f" + std::to_wstring(i) + L".txt";
        WriteDated(b.t.src + name, "alt " + std::to_string(i), kOld);
    }
    b.t.Sync();
    for (int i = 0; i < 90; i += 4) WriteDated(b.t.src + L"d0\\f" + std::to_wstring(i) + L".txt", "neu", kNew);
    b.t.Sync();
    const engine::Catalog cat = engine::BuildCatalog(b.t.dst);
    const auto items = engine::StateAt(cat, kOld + kDay, L"");
    for (bool filled : {false, true}) {
        std::map<std::wstring, std::string> made[2];
        engine::RestoreOutcome outs[2];
        for (bool ahead : {false, true}) {
            SCOPED_TRACE(std::to_string(filled) + std::to_string(ahead));
            const std::wstring to = b.t.tree.Path(L"ziel" + std::to_wstring(filled) + std::to_wstring(ahead));
            if (filled) {
                for (int i = 1; i < 90; i += 6)
                    WriteDated(to + L"\\d1\\f" + std::to_wstring(i) + L".txt", "eigen", kNew);
                WriteDated(to + L"\\d2\\f2.txt", "alt 2", kOld);
            }
            engine::RestoreHooks hooks;
            hooks.copyAhead = ahead;
            outs[ahead] = engine::RestoreState(items, L"", to, kOld + kDay, hooks);
            made[ahead] = Everything(to);
            EXPECT_EQ(outs[ahead].failed, 0);
            EXPECT_EQ(outs[ahead].restored, 93);
        }
        EXPECT_EQ(made[true], made[false]);
        EXPECT_EQ(outs[true].beside, outs[false].beside);
        EXPECT_EQ(outs[true].bytes, outs[false].bytes);
    }
}

}  // namespace
