// Unpacking data the program carries in packed form. The format is LZNT1,
// the one NTFS compresses files with, because every Windows can unpack it
// by itself (RtlDecompressBuffer) and the program needs no unpacker of its
// own there; the portable layer implements the same format.
//
// An LZNT1 stream is a run of chunks, each standing for 4096 bytes of
// unpacked data (the last one for fewer): a 16-bit little-endian header
// (bit 15 set: the chunk is packed; bits 12-14: the signature 3; bits 0-11:
// the size of the chunk's body minus 1), then the body. An unpacked body is
// the bytes themselves. A packed body is a run of groups: a flag byte, then
// eight items, the lowest flag bit first: a literal byte for a clear bit, a
// 16-bit copy token for a set one. A copy token splits into a distance
// (upper bits) and a length (lower bits); the more of the chunk is already
// unpacked, the more bits go to the distance (4 bits up to 16 bytes, one
// more bit at each doubling, up to 12). A zero header or the end of the
// input ends the stream.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

// Unpacks `packed` into `out`, which has room for `outSize` bytes. Answers
// the number of bytes unpacked; 0 when the stream is damaged (a chunk runs
// past the input, a copy reaches before the start of its chunk, a token is
// cut off) or when it unpacks to nothing. A stream that unpacks to more
// than `outSize` bytes fills `out` and answers `outSize`, as Windows does:
// callers that know the unpacked size give one byte more room and treat a
// full buffer as damage.
size_t UnpackLznt1(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize);

}  // namespace plat
