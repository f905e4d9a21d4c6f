// The compact store of a channel's lines and the loader's way into it: text
// decoded in slices and split into lines as it comes, wherever the slices and
// the pieces handed in happen to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include "core/report.h"
#include "log/channels.h"
#include "log/line_store.h"
#include "log/log_viewer.h"
#include "platform/text.h"
#include "tests/support/temp_tree.h"

namespace {

std::vector<std::wstring> StoreLines(const logs::LineStore& store) {
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < store.spansOldestFirst.size(); ++i) lines.push_back(logs::LineStoreLine(store, i));
    return lines;
}

// The lines of `bytes` decoded by the platform in one go and split at once.
std::vector<std::wstring> WholeLines(const std::string& bytes) {
    const std::wstring text = plat::Utf8ToWide(bytes);
    logs::LineStore store;
    logs::LineSplitter splitter{&store};
    logs::LineSplitterFeed(splitter, text.data(), text.size());
    logs::LineSplitterFinish(splitter, true);
    return StoreLines(store);
}

// The same bytes handed in as pieces of `pieceBytes`, decoded in slices of
// `sliceBytes`.
std::vector<std::wstring> PieceLines(const std::string& bytes, size_t pieceBytes, size_t sliceBytes) {
    logs::LineStore store;
    logs::Utf8LineDecoder decoder;
    decoder.splitter.store = &store;
    decoder.sliceBytes = sliceBytes;
    size_t pos = 0;
    do {
        const size_t take = std::min(pieceBytes, bytes.size() - pos);
        logs::Utf8LineDecoderFeed(decoder, bytes.data() + pos, take, pos + take == bytes.size());
        pos += take;
    } while (pos < bytes.size());
    logs::LineSplitterFinish(decoder.splitter, true);
    return StoreLines(store);
}

TEST(LogLineDecoder, PiecesAndSlicesDecodeAsTheWholeText) {
    const std::string wellFormed[] = {
        "Kopiere: C:\\Users\\J\xC3\xBCrgen\\B\xC3\xBCro\r\nzwei\r\n",
        "Euro \xE2\x82\xAC und \xF0\x9F\x98\x80 lachen\r\n\r\n\r\nende",  // no final break
        "cr\r\rcr lf\r\n\nlf\n\r",
        "ende mit halbem Zeichen \xF0\x9F\x98",
        std::string("nul\0mitten\r\n", 12),
    };
    // Broken sequences: stray continuation, cut lead before ASCII and
    // before a break, overlong, beyond U+10FFFF, an encoded surrogate, bytes
    // that never start a character.
    const std::string broken =
        "a\x80\x80z\xE2\x82x\xE2\r\n\xE0\x80\x80\xF4\x90\x80\x80\xED\xA0\x80\xC0\xAF\xF8\xFF\xFE\r\n";
    for (const std::string& bytes : wellFormed) {
        const std::vector<std::wstring> whole = WholeLines(bytes);
        for (size_t piece : {1u, 2u, 3u, 5u, 7u, 1000u})
            for (size_t slice : {1u, 2u, 3u, 4u, 65536u})
                EXPECT_EQ(PieceLines(bytes, piece, slice), whole) << "piece " << piece << ", slice " << slice;
    }
    // How a broken sequence cut by a piece's end decodes is the platform
    // decoder's affair; slices never cut one.
    for (size_t slice : {1u, 2u, 3u, 4u, 65536u}) EXPECT_EQ(PieceLines(broken, 1000, slice), WholeLines(broken));
}

TEST(LogLineDecoder, RandomBytesDecodeInSlicesAsTheWholeText) {
    // Bytes drawn from the pieces of characters, broken ones and breaks, so
    // that every kind of sequence meets a slice's end somewhere.
    const unsigned char alphabet[] = {'a',  ' ',  '\r', '\n', 0xC3, 0xA4, 0xE2, 0x82, 0xAC,
                                      0xF0, 0x9F, 0x98, 0x80, 0xC0, 0xED, 0xA0, 0xFF};
    uint64_t seed = 20261208;
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const size_t length = 1 + round % 97;
        for (size_t i = 0; i < length; ++i) {
            seed = seed * 6364136223846793005u + 1442695040888963407u;
            bytes.push_back(static_cast<char>(alphabet[(seed >> 33) % sizeof alphabet]));
        }
        const size_t slice = 1 + (seed >> 23) % 6;
        ASSERT_EQ(PieceLines(bytes, bytes.size(), slice), WholeLines(bytes)) << "round " << round;
    }
}

TEST(LogLineSplitter, BreaksCutBetweenPiecesCountOnce) {
    logs::LineStore store;
    logs::LineSplitter splitter{&store};
    for (const wchar_t* piece : {L"eins\r", L"\nzwei", L"\r", L"\r", L"\n", L"drei\n", L"\r", L"vier"})
        logs::LineSplitterFeed(splitter, piece, std::wcslen(piece));
    logs::LineSplitterFinish(splitter, true);
    EXPECT_EQ(StoreLines(store), (std::vector<std::wstring>{L"eins", L"zwei", L"", L"drei", L"", L"vier"}));
}

TEST(LogLineStore, EveryCharacterValueComesBack) {
    // Lone and paired surrogates (file names on Windows may hold lone ones),
    // the edges of each encoded length, and the type's extremes.
    std::wstring odd = L"a";
    for (uint32_t value : {0x00u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 0xD800u, 0xDFFFu, 0xD83Du, 0xDE00u, 0xFFFDu, 0xFFFFu})
        odd.push_back(static_cast<wchar_t>(value));
    odd.push_back(std::numeric_limits<wchar_t>::max());
    odd.push_back(std::numeric_limits<wchar_t>::min());
    odd += L"\x00E4\x20AC z";
    logs::ResetLogState();
    logs::AddLog(odd, core::kLogNormal);
    logs::AddLog(L"", core::kLogNormal);
    logs::AddLog(L"zuletzt", core::kLogNormal);
    EXPECT_EQ(logs::ChannelText(core::kLogNormal), L"zuletzt\r\n\r\n" + odd + L"\r\n");
    EXPECT_EQ(logs::ChannelLines(core::kLogNormal), (std::vector<std::wstring>{odd, L"", L"zuletzt"}));
    logs::ResetLogState();
}

TEST(LogLineLoad, BreaksAndLinesAcrossTheLoadsChunksStayWhole) {
    testing_support::TempTree tree;
    logs::ResetLogState();
    // After the mark: a CR ends the first chunk and its LF starts the second;
    // a long line runs from the second chunk into the third; the last line
    // has no break.
    std::string bytes = "\xEF\xBB\xBF" + std::string(logs::LogChunkBytes - 1, 'x') + "\r\n";
    const std::string longLine = "\xC3\xA4" + std::string(2 * logs::LogChunkBytes, 'y');
    bytes += longLine + "\r\nohne Zeilenende";
    tree.Write(L"Tresoro1.log", bytes);
    logs::LoadLogFile(tree.Path(L"Tresoro1.log"), core::kLogNormal);
    const std::vector<std::wstring> lines = logs::ChannelLines(core::kLogNormal);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"ohne Zeilenende");
    EXPECT_EQ(lines[1], plat::Utf8ToWide(longLine));
    EXPECT_EQ(lines[2], std::wstring(logs::LogChunkBytes - 1, L'x'));
    logs::ResetLogState();
}

}  // namespace
