// The info text of "Über": unpacked from what the program carries, and the
// outcomes that lead to the info window's two failure messages.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "dialogs/info_window.h"
#include "resources/program_data.h"

using dialogs::PackedText;
using dialogs::UnpackInfoText;
using dialogs::UnpackOutcome;

namespace {

uint32_t Fnv1a(const std::wstring& text) {
    uint32_t h = 0x811C9DC5u;
    for (wchar_t c : text) h = (h ^ uint32_t(c & 0xFF)) * 0x01000193u;
    return h;
}

std::vector<uint8_t> CarriedBytes() {
    return std::vector<uint8_t>(res::kInfoTextPacked, res::kInfoTextPacked + res::kInfoTextPackedSize);
}

}  // namespace

TEST(InfoText, TheCarriedTextUnpacksWholeAndReadsAsWindowsText) {
    std::wstring text;
    ASSERT_EQ(UnpackInfoText(dialogs::CarriedInfoText(), text), UnpackOutcome::Ok);
    ASSERT_EQ(text.size(), res::kInfoTextSize);
    for (wchar_t c : text) ASSERT_LE(unsigned(c), 0xFFu);
    EXPECT_EQ(Fnv1a(text), res::kInfoTextChecksum);

    EXPECT_EQ(text.rfind(L"Tresoro 1.09", 0), 0u);
    // Umlauts come back as themselves, not as the bytes of another encoding.
    EXPECT_NE(text.find(L"Datensicherung für Windows"), std::wstring::npos);
    EXPECT_NE(text.find(L"Ausschlüsse"), std::wstring::npos);
    // The editor separates lines by CR LF: no bare LF or CR may remain.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == L'\r') << "bare LF at " << i;
        }
        if (text[i] == L'\r') {
            ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == L'\n') << "bare CR at " << i;
        }
    }
}

TEST(InfoText, ItDescribesTheCommandLineTheKeysTheLogsAndTheItJobModes) {
    std::wstring text;
    ASSERT_EQ(UnpackInfoText(dialogs::CarriedInfoText(), text), UnpackOutcome::Ok);
    for (const wchar_t* term : {L"\r\n/S ",
                                L"\r\n/Sn ",
                                L"\r\n/P ",
                                L"\r\n/M ",
                                L"\"@\"",
                                L".arc2del",
                                L"Tresoro.ini",
                                L"INIinPrgPath",
                                L"GStdAuto",
                                L"GStdBupPath",
                                L"GLogExt",
                                L"GCreateDest",
                                L"GSearchDest",
                                L"GFirstNext",
                                L"GBupBeiStartVerz",
                                L"GDMScale",
                                L"GMainPan1Splitt",
                                L"TresoroErr",
                                L"TresoroHinw",
                                L"300 Tagen",
                                L"IT-Job (Job manuell)",
                                L"IT-Job (Job man. FORCE)",
                                L"Ausnahmen suchen",
                                L"WinFolderList.txt",
                                L"ExcludePaths.txt"})
        EXPECT_NE(text.find(term), std::wstring::npos) << "missing: " << std::string(term, term + wcslen(term));
}

TEST(InfoText, ADamagedBlockIsReportedAsDamaged) {
    std::wstring text = L"old";
    std::vector<uint8_t> bytes = CarriedBytes();

    // Cut short: the last chunk runs past the end.
    EXPECT_EQ(UnpackInfoText(PackedText{bytes.data(), bytes.size() - 10, res::kInfoTextSize}, text),
              UnpackOutcome::Damaged);
    EXPECT_TRUE(text.empty());

    // A zeroed first header ends the stream before anything is unpacked.
    bytes[0] = bytes[1] = 0;
    EXPECT_EQ(UnpackInfoText(PackedText{bytes.data(), bytes.size(), res::kInfoTextSize}, text), UnpackOutcome::Damaged);

    // No data at all.
    EXPECT_EQ(UnpackInfoText(PackedText{nullptr, 0, res::kInfoTextSize}, text), UnpackOutcome::Damaged);
}

TEST(InfoText, AStreamOfAnotherLengthThanExpectedIsDamaged) {
    std::wstring text;
    const auto carried = dialogs::CarriedInfoText();
    // Shorter than promised.
    EXPECT_EQ(UnpackInfoText(PackedText{carried.packed, carried.packedSize, carried.unpackedSize + 1}, text),
              UnpackOutcome::Damaged);
    // Longer than promised: the unpacker fills the buffer, which has one
    // byte more than the promise, and that byte gives it away.
    EXPECT_EQ(UnpackInfoText(PackedText{carried.packed, carried.packedSize, carried.unpackedSize - 1}, text),
              UnpackOutcome::Damaged);
}

TEST(InfoText, ASizeBeyondAnyTextIsNoMemory) {
    std::wstring text = L"old";
    const auto carried = dialogs::CarriedInfoText();
    EXPECT_EQ(UnpackInfoText(PackedText{carried.packed, carried.packedSize, size_t{1} << 30}, text),
              UnpackOutcome::NoMemory);
    EXPECT_TRUE(text.empty());
}
