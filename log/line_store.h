// The lines of a log channel, kept compactly. A month's log holds hundreds of
// thousands of lines; as one std::wstring each they cost 4 bytes a character
// where wchar_t has 4 bytes, plus a string and a heap block per line. Here the
// texts of all lines lie one after another in one byte buffer, each wchar_t as
// 1 to 5 bytes of 7 bits (low bits first, the last byte of a character below
// 0x80), so ASCII takes a byte a character on either build and every wchar_t
// value comes back as it went in (a lone surrogate included). A line is
// found by its span in that buffer; the spans are kept oldest line first,
// while the buffer's order is whatever order the lines came in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace logs {

struct LineSpan {
    uint64_t start = 0;   // offset in LineStore::bytes
    uint64_t length = 0;  // bytes
};

struct LineStore {
    std::string bytes;
    std::vector<LineSpan> spansOldestFirst;
};

// Adds one line (no line breaks inside) as the newest.
void LineStoreAdd(LineStore& store, const wchar_t* text, size_t length);
// Appends line `index` (0 = oldest) to `out`.
void LineStoreAppendLine(const LineStore& store, size_t index, std::wstring& out);
std::wstring LineStoreLine(const LineStore& store, size_t index);
// Characters of line `index` and its line break: at most its byte count + 2.
size_t LineStoreLineBound(const LineStore& store, size_t index);

// Splits text that arrives in pieces into lines of a store, in the order they
// come (the caller reverses the spans of text that is read newest first).
// Breaks are CR LF, LF and a lone CR; a CR LF split between two pieces is one
// break.
struct LineSplitter {
    LineStore* store = nullptr;
    uint64_t lineStart = 0;  // where the unfinished line's bytes begin
    bool afterCr = false;    // the last character was a CR: an LF next belongs to it
};

void LineSplitterFeed(LineSplitter& splitter, const wchar_t* text, size_t length);
// Ends the text. With `lastEnds` a break after the last line ends it (the form
// of a whole view or file: "A\r\n" is one line, "" none); without, every
// break separates two lines ("A\n" is "A" above an empty line, "" one empty
// line).
void LineSplitterFinish(LineSplitter& splitter, bool lastEnds);

// Decodes UTF-8 that arrives in pieces into a splitter. Within a piece the
// text is decoded a slice of about `sliceBytes` at a time, so that the
// decoded text never needs much more memory than one slice's; a slice ends
// just after four ASCII bytes, where no decoder is inside a sequence, broken
// or not, so slices decode exactly as their piece would whole. At a piece's end
// a character left unfinished is held back and decoded whole with the next
// piece; a broken sequence there is decoded as the piece ends.
struct Utf8LineDecoder {
    LineSplitter splitter;
    size_t sliceBytes = 65536;
    std::string carry;  // the start of a character the last piece did not finish
};

void Utf8LineDecoderFeed(Utf8LineDecoder& decoder, const char* bytes, size_t length, bool last);

}  // namespace logs
