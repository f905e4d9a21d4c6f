#include "log/line_store.h"

#include <algorithm>
#include <type_traits>

#include "platform/text.h"

namespace logs {

static void StoreEncode(std::string& out, const wchar_t* text, size_t length) {
    // Room for a byte a character, the bulk of a log; more as needed.
    size_t at = out.size();
    out.resize(at + length);
    for (size_t i = 0; i < length; ++i) {
        // Through the unsigned type of the same width: a negative wchar_t of
        // the host comes back as it was.
        uint32_t value = static_cast<std::make_unsigned_t<wchar_t>>(text[i]);
        if (value >= 0x80) {
            // Up to 4 more bytes for this one, a byte for each still to come.
            const size_t need = at + 5 + (length - i - 1);
            if (out.size() < need) out.resize(need);
            while (value >= 0x80) {
                out[at++] = static_cast<char>((value & 0x7F) | 0x80);
                value >>= 7;
            }
        }
        out[at++] = static_cast<char>(value);
    }
    out.resize(at);
}

void LineStoreAdd(LineStore& store, const wchar_t* text, size_t length) {
    const uint64_t start = store.bytes.size();
    StoreEncode(store.bytes, text, length);
    store.spansOldestFirst.push_back(LineSpan{start, store.bytes.size() - start});
}

void LineStoreAppendLine(const LineStore& store, size_t index, std::wstring& out) {
    const LineSpan& span = store.spansOldestFirst[index];
    const unsigned char* at = reinterpret_cast<const unsigned char*>(store.bytes.data()) + span.start;
    const unsigned char* const end = at + span.length;
    while (at < end) {
        uint32_t value = *at++;
        if (value >= 0x80) {
            value &= 0x7F;
            for (int shift = 7; at < end; shift += 7) {
                const uint32_t next = *at++;
                value |= (next & 0x7F) << shift;
                if (next < 0x80) break;
            }
        }
        out.push_back(static_cast<wchar_t>(value));
    }
}

std::wstring LineStoreLine(const LineStore& store, size_t index) {
    std::wstring line;
    LineStoreAppendLine(store, index, line);
    return line;
}

size_t LineStoreLineBound(const LineStore& store, size_t index) {
    return static_cast<size_t>(store.spansOldestFirst[index].length) + 2;
}

static void SplitterEndLine(LineSplitter& splitter) {
    LineStore& store = *splitter.store;
    store.spansOldestFirst.push_back(LineSpan{splitter.lineStart, store.bytes.size() - splitter.lineStart});
    splitter.lineStart = store.bytes.size();
}

void LineSplitterFeed(LineSplitter& splitter, const wchar_t* text, size_t length) {
    size_t i = 0;
    while (i < length) {
        if (splitter.afterCr) {
            splitter.afterCr = false;
            if (text[i] == L'\n') {
                ++i;
                continue;
            }
        }
        size_t run = i;
        while (run < length && text[run] != L'\r' && text[run] != L'\n') ++run;
        StoreEncode(splitter.store->bytes, text + i, run - i);
        if (run == length) break;
        SplitterEndLine(splitter);
        splitter.afterCr = text[run] == L'\r';
        i = run + 1;
    }
}

void LineSplitterFinish(LineSplitter& splitter, bool lastEnds) {
    if (splitter.store->bytes.size() > splitter.lineStart || !lastEnds) SplitterEndLine(splitter);
    splitter.afterCr = false;
}

// Bytes at the end of `bytes` that begin a UTF-8 sequence the piece does not
// finish. A broken sequence is not held back.
static size_t DecoderIncompleteTail(const std::string& bytes) {
    const size_t n = bytes.size();
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // continuation byte: look further back
        const size_t need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

// Where the slice that starts at `from` ends: after the last run of four
// ASCII bytes that ends before `from + sliceBytes`, else after the first one
// beyond, else at `end`. Four, not one: a decoder may take the bytes that are
// left after a lead byte at the end of its input as that character's, ASCII
// or not (Wine's does), and a lead byte asks for at most three more.
static size_t DecoderSliceEnd(const char* bytes, size_t from, size_t end, size_t sliceBytes) {
    if (end - from <= sliceBytes) return end;
    auto isAscii = [&](size_t at) { return static_cast<unsigned char>(bytes[at]) < 0x80; };
    const size_t target = from + sliceBytes;
    size_t run = 0;
    for (size_t at = target; at > from; --at) {
        run = isAscii(at - 1) ? run + 1 : 0;
        if (run == 4) return at + 3;
    }
    run = 0;
    for (size_t at = target - std::min<size_t>(3, sliceBytes); at < end; ++at) {
        run = isAscii(at) ? run + 1 : 0;
        if (run == 4) return at + 1;
    }
    return end;
}

void Utf8LineDecoderFeed(Utf8LineDecoder& decoder, const char* bytes, size_t length, bool last) {
    size_t pos = 0;
    do {
        const size_t sliceEnd = DecoderSliceEnd(bytes, pos, length, decoder.sliceBytes);
        std::string piece = std::move(decoder.carry);
        piece.append(bytes + pos, sliceEnd - pos);
        pos = sliceEnd;
        decoder.carry.clear();
        if (pos == length && !last) {
            const size_t tail = DecoderIncompleteTail(piece);
            decoder.carry.assign(piece, piece.size() - tail, tail);
            piece.resize(piece.size() - tail);
        }
        const std::wstring text = plat::Utf8ToWide(piece);
        LineSplitterFeed(decoder.splitter, text.data(), text.size());
    } while (pos < length);
}

}  // namespace logs
