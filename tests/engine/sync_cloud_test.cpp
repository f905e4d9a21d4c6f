// A cloud client's folders and its files on demand, through the portable
// layer's marks: the folder is mirrored like any folder (it used to be
// skipped as a link, and the mirror's copy went to "@"), a file whose data
// is online only is never opened, and its mirror copy stays as it is.
#include <gtest/gtest.h>

#include "core/report.h"
#include "platform/fault.h"
#include "platform/fs.h"
#include "platform/testing.h"
#include "tests/support/engine_fixture.h"

namespace ts = testing_support;

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
    if (!plat::MarkEntryForTest(t.src + L"Dokumente", 0, plat::kReparseTagCloud))
        GTEST_SKIP() << "the real system marks its own entries";
    ASSERT_TRUE(plat::MarkEntryForTest(t.src + L"Dokumente\\Foto.jpg", plat::kAttrRecallOnDataAccess, 0));
    ASSERT_TRUE(plat::MarkEntryForTest(t.src + L"Dokumente\\Neu.jpg", plat::kAttrOffline, 0));
    ASSERT_TRUE(plat::MarkEntryForTest(t.src + L"Dokumente\\Liste.txt", plat::kAttrRecallOnOpen, 0));
    ASSERT_TRUE(plat::MarkEntryForTest(t.src + L"Dokumente\\Entwurf", 0, 0x9000601A));
    // Two copies are due (Bericht.docx, a.txt); a third would fail.
    plat::InjectFault(plat::FaultOp::Copy, 3, 5, true);

    t.Sync();
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
