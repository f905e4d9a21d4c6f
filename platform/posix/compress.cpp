// LZNT1 unpacking for the portable layer, behaving as RtlDecompressBuffer
// does on Windows, so that the tests see what the product sees: a chunk
// unpacks to at most 4096 bytes, a chunk that unpacks to fewer before
// another chunk leaves zeros up to the next 4096-byte boundary, and a full
// output buffer ends the work without an error.
#include "platform/compress.h"

#include <algorithm>
#include <cstring>

namespace plat {

static constexpr size_t kLznt1Chunk = 4096;

// Unpacks the packed body of one chunk into out[done..limit). False when the
// body is damaged.
static bool Lznt1UnpackChunk(const uint8_t* body, size_t bodySize, uint8_t* out, size_t chunkStart, size_t limit,
                             size_t& done) {
    size_t pos = 0;
    while (pos < bodySize && done < limit) {
        unsigned flags = body[pos++];
        for (int item = 0; item < 8 && pos < bodySize && done < limit; ++item, flags >>= 1) {
            if ((flags & 1) == 0) {
                out[done++] = body[pos++];
                continue;
            }
            if (bodySize - pos < 2) return false;
            const unsigned token = body[pos] | (unsigned(body[pos + 1]) << 8);
            pos += 2;
            const size_t inChunk = done - chunkStart;
            // A copy needs something before it in the same chunk.
            if (inChunk == 0) return false;
            unsigned lengthBits = 12;
            for (size_t p = inChunk - 1; p >= 16; p >>= 1) --lengthBits;
            const size_t distance = (token >> lengthBits) + 1;
            size_t length = (token & ((1u << lengthBits) - 1)) + 3;
            if (distance > inChunk) return false;
            // Byte by byte: a copy may overlap the bytes it produces (a run).
            for (; length > 0 && done < limit; --length, ++done) out[done] = out[done - distance];
        }
    }
    return true;
}

size_t UnpackLznt1(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize) {
    size_t in = 0;
    size_t done = 0;
    size_t chunkStart = 0;
    bool first = true;
    while (packedSize - in >= 2 && done < outSize) {
        const unsigned header = packed[in] | (unsigned(packed[in + 1]) << 8);
        if (header == 0) break;
        in += 2;
        const size_t bodySize = (header & 0xFFF) + 1;
        if (bodySize > packedSize - in) return 0;
        if (!first) {
            // Chunks stand for whole 4096-byte blocks; a short one before
            // this chunk leaves zeros.
            chunkStart += kLznt1Chunk;
            const size_t fillEnd = std::min(chunkStart, outSize);
            if (done < fillEnd) std::memset(out + done, 0, fillEnd - done);
            done = fillEnd;
            if (done >= outSize) break;
        }
        first = false;
        const size_t limit = std::min(chunkStart + kLznt1Chunk, outSize);
        if (header & 0x8000) {
            if (!Lznt1UnpackChunk(packed + in, bodySize, out, chunkStart, limit, done)) return 0;
        } else {
            const size_t n = std::min(bodySize, limit - done);
            std::memcpy(out + done, packed + in, n);
            done += n;
        }
        in += bodySize;
    }
    return done;
}

}  // namespace plat
