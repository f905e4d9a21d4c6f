// LZNT1 unpacking. The same cases run against the portable unpacker and,
// in the Windows build, against ntdll's RtlDecompressBuffer, so the two
// are held to one behaviour; the carried info text, packed by the build's
// own packer, is the large case.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/compress.h"
#include "resources/program_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A chunk: its header (packed or not, body size) followed by the body.
Bytes Chunk(bool packed, const Bytes& body) {
    const unsigned header = (packed ? 0xB000u : 0x3000u) | unsigned(body.size() - 1);
    // Byte by byte: GCC 12 at -O3 warns wrongly about inserting a range
    // behind two bytes (array-bounds).
    Bytes out;
    out.reserve(body.size() + 2);
    out.push_back(uint8_t(header & 0xFF));
    out.push_back(uint8_t(header >> 8));
    for (uint8_t b : body) out.push_back(b);
    return out;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Join(Bytes a, const Bytes& b) {
    for (uint8_t byte : b) a.push_back(byte);
    return a;
}

// Unpacks with room for `room` bytes; answers the bytes, or a note when the
// unpacker answered 0.
std::string Unpack(const Bytes& packed, size_t room = 10000) {
    std::vector<uint8_t> out(room + 1, 0xEE);
    const size_t got = plat::UnpackLznt1(packed.data(), packed.size(), out.data(), room);
    EXPECT_LE(got, room);
    EXPECT_EQ(out[room], 0xEE) << "wrote past the room it was given";
    if (got == 0) return "<damaged>";
    return std::string(out.begin(), out.begin() + std::ptrdiff_t(got));
}

uint32_t Fnv1a(const uint8_t* data, size_t size) {
    uint32_t h = 0x811C9DC5u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x01000193u;
    return h;
}

}  // namespace

TEST(Lznt1, AStoredChunkIsItsBody) { EXPECT_EQ(Unpack(Chunk(false, Text("Tresoro"))), "Tresoro"); }

TEST(Lznt1, LiteralsAndARunThatCopiesItsOwnOutput) {
    // "ab", then a copy of 9 bytes from distance 2 (it overlaps what it
    // writes), then "!". At 2 bytes into the chunk a token has 12 length bits.
    const unsigned token = ((2 - 1) << 12) | (9 - 3);
    const Bytes body{0x04, 'a', 'b', uint8_t(token & 0xFF), uint8_t(token >> 8), '!'};
    EXPECT_EQ(Unpack(Chunk(true, body)), "abababababa!");
}

TEST(Lznt1, TheTokenGivesTheDistanceOneMoreBitAfterSixteenBytes) {
    // Two groups of eight literals: "ABCDEFGHIJKLMNOP".
    const Bytes sixteen{0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x00, 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};

    // After exactly 16 bytes a distance has 4 bits (16 at most) ...
    const unsigned at16 = ((16 - 1) << 12) | 0;
    EXPECT_EQ(Unpack(Chunk(true, Join(sixteen, Bytes{0x01, uint8_t(at16 & 0xFF), uint8_t(at16 >> 8)}))),
              "ABCDEFGHIJKLMNOPABC");

    // ... after 17 bytes it has 5, and the length 11: distance 17 reaches
    // back to the start, where a 12-bit reading would land on "I".
    const unsigned at17 = ((17 - 1) << 11) | 0;
    EXPECT_EQ(Unpack(Chunk(true, Join(sixteen, Bytes{0x02, 'Q', uint8_t(at17 & 0xFF), uint8_t(at17 >> 8)}))),
              "ABCDEFGHIJKLMNOPQABC");
}

TEST(Lznt1, ChunksFollowEachOtherAndCopiesStayInTheirChunk) {
    // A stored chunk of 4096 bytes, then a packed one that copies only from
    // its own bytes.
    std::string first(4096, ' ');
    for (size_t i = 0; i < first.size(); ++i) first[i] = char('a' + i % 26);
    const unsigned token = ((3 - 1) << 12) | (6 - 3);
    const Bytes second{0x08, 'x', 'y', 'z', uint8_t(token & 0xFF), uint8_t(token >> 8)};
    const Bytes stream = Join(Chunk(false, Text(first)), Chunk(true, second));
    EXPECT_EQ(Unpack(stream), first + "xyzxyzxyz");

    // A copy at the very start of the second chunk has nothing to copy from,
    // even though the first chunk's bytes lie right before it.
    const Bytes startsWithCopy{0x01, uint8_t(token & 0xFF), uint8_t(token >> 8)};
    EXPECT_EQ(Unpack(Join(Chunk(false, Text(first)), Chunk(true, startsWithCopy))), "<damaged>");
}

TEST(Lznt1, AChunkShortOfFourKilobytesBeforeAnotherLeavesZeros) {
    const Bytes stream = Join(Chunk(true, Bytes{0x00, 'a', 'b', 'c'}), Chunk(false, Text("xyz")));
    EXPECT_EQ(Unpack(stream), "abc" + std::string(4093, '\0') + "xyz");
}

TEST(Lznt1, AZeroHeaderEndsTheStream) {
    const Bytes stream = Join(Join(Chunk(false, Text("eins")), Bytes{0, 0}), Chunk(false, Text("zwei")));
    EXPECT_EQ(Unpack(stream), "eins");
}

TEST(Lznt1, DamagedStreamsUnpackToNothing) {
    // A chunk longer than the input.
    Bytes cut = Chunk(false, Text("Datensicherung"));
    cut.resize(cut.size() - 4);
    EXPECT_EQ(Unpack(cut), "<damaged>");
    // A copy that reaches before the start of its chunk.
    const unsigned far = ((5 - 1) << 12) | 0;
    EXPECT_EQ(Unpack(Chunk(true, Bytes{0x04, 'a', 'b', uint8_t(far & 0xFF), uint8_t(far >> 8)})), "<damaged>");
    // A copy token cut off after its first byte.
    EXPECT_EQ(Unpack(Chunk(true, Bytes{0x02, 'a', 0x00})), "<damaged>");
    // No input at all.
    EXPECT_EQ(Unpack(Bytes{}), "<damaged>");
}

TEST(Lznt1, OutputBeyondTheRoomIsCutAndFillsIt) {
    const unsigned token = ((2 - 1) << 12) | (9 - 3);
    const Bytes body{0x04, 'a', 'b', uint8_t(token & 0xFF), uint8_t(token >> 8), '!'};
    EXPECT_EQ(Unpack(Chunk(true, body), 5), "ababa");
    EXPECT_EQ(Unpack(Chunk(false, Text("Tresoro")), 3), "Tre");
}

TEST(Lznt1, TheCarriedInfoTextUnpacksToWhatTheBuildPacked) {
    // Several chunks, with copies over every distance width: the build's
    // packer against this layer's unpacker (ntdll's on Windows).
    ASSERT_GT(res::kInfoTextSize, 3u * 4096u);
    ASSERT_LT(res::kInfoTextPackedSize, res::kInfoTextSize);
    std::vector<uint8_t> out(res::kInfoTextSize + 1);
    const size_t got = plat::UnpackLznt1(res::kInfoTextPacked, res::kInfoTextPackedSize, out.data(), out.size());
    ASSERT_EQ(got, res::kInfoTextSize);
    EXPECT_EQ(Fnv1a(out.data(), got), res::kInfoTextChecksum);
}
