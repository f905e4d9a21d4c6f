// A cloud client's folders and its files on demand: the folder is mirrored
// like any folder (it used to be skipped as a link, and the mirror's copy
// went to "@"), a file whose data is online only is never opened, and its
// mirror copy stays as it is. The portable layer marks the entries itself;
// on Windows, where no test can make such an entry, the walk's listings are
// marked on their way to it, so the engine is checked in both builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/report.h"
#include "engine/read_ahead.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"

namespace ts = testing_support;

namespace {

struct CloudMark {
    uint32_t attributes = 0, tag = 0;
};
// By the path the walk lists (directory with "\" and name); read by the
// walk's reader threads, written only before the walk.
std::map<std::wstring, CloudMark> g_marks;

bool CloudMarkedList(const std::wstring& dir, plat::Listing& out) {
    if (!plat::ListDirCompact(dir, out)) return false;
    for (uint32_t i = 0; i < out.size(); ++i) {
        auto it = g_marks.find(dir + plat::ListingName(out, i));
        if (it == g_marks.end()) continue;
        out.records[i].attributes |= it->second.attributes | (it->second.tag ? plat::kAttrReparsePoint : 0);
        if (it->second.tag) out.tags.push_back({i, it->second.tag});
    }
    std::sort(out.tags.begin(), out.tags.end(),
              [](const plat::ListingTag& a, const plat::ListingTag& b) { return a.index < b.index; });
    return true;
}

void MarkCloudEntry(const std::wstring& path, uint32_t attributes, uint32_t tag) {
    if (plat::MarkEntryForTest(path, attributes, tag)) return;
    g_marks[path] = {attributes, tag};
    engine::SetListHookForTest(&CloudMarkedList);
}

}  // namespace

TEST(EngineSyncCloud, CloudFoldersAreMirroredAndOnlineFilesNeverOpened) {
    ts::ResetForNextCase();
    ts::JobTree t(3);
    const int64_t old = ts::kTestNow - 5 * ts::kDay, newer = ts::kTestNow - ts::kDay;
    // What an earlier run mirrored, and what the cloud client shows now.
    ts::WriteDated(t.dst + L"Dokumente\\Bericht.docx", "alt", old);
    ts::WriteDated(t.dst + L"Dokumente\\Foto.jpg", "foto", old);
    ts::WriteDated(t.dst + L"Dokumente\\Liste.txt", "liste", old);
    ts::WriteDated(t.src + L"Dokumente\\Bericht.docx", "neu", newer);
    ts::WriteDated(t.src + L"Dokumente\\Foto.jpg", "anders", newer);  // changed online
    ts::WriteDated(t.src + L"Dokumente\\Neu.jpg", "neu", newer);
    ts::WriteDated(t.src + L"Dokumente\\Liste.txt", "liste", old);
    ts::WriteDated(t.src + L"Dokumente\\Entwurf\\a.txt", "a", newer);
    MarkCloudEntry(t.src + L"Dokumente", 0, plat::kReparseTagCloud);
    MarkCloudEntry(t.src + L"Dokumente\\Foto.jpg", plat::kAttrRecallOnDataAccess, 0);
    MarkCloudEntry(t.src + L"Dokumente\\Neu.jpg", plat::kAttrOffline, 0);
    MarkCloudEntry(t.src + L"Dokumente\\Liste.txt", plat::kAttrRecallOnOpen, 0);
    MarkCloudEntry(t.src + L"Dokumente\\Entwurf", 0, 0x9000601A);
    // Two copies are due (Bericht.docx, a.txt); a third would fail.
    plat::InjectFault(plat::FaultOp::Copy, 3, 5, true);

    t.Sync();
    engine::SetListHookForTest(nullptr);
    g_marks.clear();
    EXPECT_FALSE(ts::FaultFired(plat::FaultOp::Copy, 3));
    EXPECT_EQ(ts::TestRun().tally.RunErrorCount, 0);
    EXPECT_EQ(ts::ReadAll(t.dst + L"Dokumente\\Bericht.docx"), "neu");
    EXPECT_EQ(ts::ReadAll(t.dst + L"Dokumente\\Entwurf\\a.txt"), "a");
    EXPECT_EQ(ts::ReadAll(t.dst + L"@\\Dokumente\\Bericht.docx"), "alt");
    // The mirror's copies of the online-only files, neither replaced nor
    // archived; the new one is not fetched.
    EXPECT_EQ(ts::ReadAll(t.dst + L"Dokumente\\Foto.jpg"), "foto");
    EXPECT_EQ(ts::ReadAll(t.dst + L"Dokumente\\Liste.txt"), "liste");
    EXPECT_FALSE(ts::Exists(t.dst + L"Dokumente\\Neu.jpg"));
    EXPECT_EQ(ts::Snapshot(t.dst + L"@\\"),
              (std::map<std::wstring, std::string>{
                  {L"Dokumente\\", ""}, {L"Dokumente\\Bericht.docx", "alt"}, {L"Dokumente\\Entwurf\\", ""}}));
    EXPECT_EQ(ts::LogLines(core::kLogHint),
              std::vector<std::wstring>{L"3 Dateien nur online vorhanden - nicht kopiert: " + t.src});
}
