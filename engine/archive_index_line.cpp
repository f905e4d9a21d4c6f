// The index's line format, both ways:
//   TI1 <tab> move <tab> time <tab> modified <tab> size <tab> from <tab> to <tab> crc32 "\n"
// in UTF-8; size is decimal, "d" for a folder, "-" when none is recorded;
// the checksum (eight hex digits) covers everything before its tab.
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string_view>

#include "engine/archive_index.h"
#include "platform/text.h"

namespace engine {

const wchar_t* const kIndexFile = L"@\\@\\Archivindex.txt";

static const char kIndexTag[] = "TI1";
// No path of Windows comes near this; a longer field is not ours.
static constexpr size_t kIndexMaxPath = 32767;
// Dates far beyond any clock: a larger number is damage, not a date.
static constexpr int64_t kIndexMaxNumber = int64_t{1} << 42;

static uint32_t IndexCrc(const char* data, size_t size) {
    static const auto table = [] {
        struct Table {
            uint32_t v[256];
        } t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t.v[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table.v[(crc ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

static bool IndexHasControl(const std::wstring& path) {
    for (wchar_t c : path)
        if (c < 0x20) return true;
    return false;
}

std::string FormatIndexRecord(const IndexRecord& record) {
    if (IndexHasControl(record.from) || IndexHasControl(record.to)) return "";
    std::string size = record.size == kIndexDirSize ? "d" : record.size < 0 ? "-" : std::to_string(record.size);
    std::string line = std::string(kIndexTag) + '\t' + static_cast<char>(record.move) + '\t' +
                       std::to_string(record.time) + '\t' + std::to_string(record.modified) + '\t' + size + '\t' +
                       plat::WideToUtf8(record.from) + '\t' + plat::WideToUtf8(record.to);
    char crc[16];
    std::snprintf(crc, sizeof crc, "\t%08x\n", IndexCrc(line.data(), line.size()));
    return line + crc;
}

// ---- reading ----

static bool IndexNumber(const std::string& text, int64_t& out) {
    if (text.empty() || text.size() > 15) return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > kIndexMaxNumber) return false;
    out = value;
    return true;
}

static bool IndexSize(const std::string& text, int64_t& out) {
    if (text == "d") {
        out = kIndexDirSize;
        return true;
    }
    if (text == "-") {
        out = kIndexNoSize;
        return true;
    }
    return IndexNumber(text, out);
}

// A plain relative path: names separated by single "\", none empty, "." or
// "..", none with a character Windows refuses in a name (so no drive, no
// stream, no "/" that Windows would take as a separator).
static bool IndexPlainPath(const std::wstring& path) {
    if (path.empty() || path.size() > kIndexMaxPath) return false;
    size_t start = 0;
    for (;;) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring_view name(path.data() + start, end - start);
        if (name.empty() || name == L"." || name == L"..") return false;
        for (wchar_t c : name)
            if (c < 0x20 || std::wcschr(L"<>:\"/|?*", c)) return false;
        if (end == path.size()) return true;
        start = end + 1;
    }
}

enum class IndexArea { Mirror, Slot, SetAside };

static IndexArea IndexAreaOf(const std::wstring& path) {
    if (path.compare(0, 4, L"@\\@\\") == 0) return IndexArea::SetAside;
    if (path.compare(0, 2, L"@\\") == 0 && path != L"@\\@") return IndexArea::Slot;
    return path == L"@" || path == L"@\\@" ? IndexArea::SetAside : IndexArea::Mirror;
}

// Whether each end of the move lies where that move can take it.
static bool IndexMoveFits(const IndexRecord& r) {
    const IndexArea from = IndexAreaOf(r.from);
    const IndexArea to = r.to.empty() ? IndexArea::Mirror : IndexAreaOf(r.to);
    switch (r.move) {
        case IndexMove::Replaced:
        case IndexMove::Vanished:
        case IndexMove::TypeChange:
            return from == IndexArea::Mirror && to == IndexArea::Slot && !r.to.empty();
        case IndexMove::SetAside:
            return from == IndexArea::Slot && to == IndexArea::SetAside && r.to.size() > 4;
        case IndexMove::PutBack:
            return from == IndexArea::SetAside && r.from.size() > 4 && to == IndexArea::Slot && !r.to.empty();
        case IndexMove::MovedOn:
            return from == IndexArea::Slot && to == IndexArea::Slot && !r.to.empty();
        case IndexMove::BackOut:
            return from == IndexArea::Slot && to == IndexArea::Mirror && !r.to.empty();
        case IndexMove::Deleted:
            return from != IndexArea::Mirror && r.to.empty() && r.from.size() > 2;
    }
    return false;
}

static bool IndexKnownMove(char c) { return c && std::strchr("RVTABNZD", c); }

// Splits at tabs into exactly `count` fields.
static bool IndexFields(const char* begin, const char* end, std::string* fields, size_t count) {
    size_t n = 0;
    const char* start = begin;
    for (const char* p = begin;; ++p) {
        if (p == end || *p == '\t') {
            if (n == count) return false;
            fields[n++].assign(start, p);
            if (p == end) break;
            start = p + 1;
        }
    }
    return n == count;
}

static bool IndexParseLine(const char* begin, const char* end, IndexRecord& out) {
    // The checksum's tab and eight digits close the line.
    if (end - begin < 10 || end[-9] != '\t') return false;
    const char* crcText = end - 8;
    uint32_t crc = 0;
    for (const char* p = crcText; p < end; ++p) {
        const char c = *p;
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        crc = crc << 4 | static_cast<uint32_t>(digit);
    }
    const char* bodyEnd = end - 9;
    if (IndexCrc(begin, static_cast<size_t>(bodyEnd - begin)) != crc) return false;
    std::string f[7];
    if (!IndexFields(begin, bodyEnd, f, 7) || f[0] != kIndexTag || f[1].size() != 1 || !IndexKnownMove(f[1][0]))
        return false;
    out = IndexRecord();
    out.move = static_cast<IndexMove>(f[1][0]);
    if (!IndexNumber(f[2], out.time) || !IndexNumber(f[3], out.modified) || !IndexSize(f[4], out.size)) return false;
    out.from = plat::Utf8ToWide(f[5]);
    out.to = plat::Utf8ToWide(f[6]);
    if (!IndexPlainPath(out.from) || (!out.to.empty() && !IndexPlainPath(out.to))) return false;
    return IndexMoveFits(out);
}

std::vector<IndexRecord> ParseIndex(const std::string& bytes) {
    std::vector<IndexRecord> records;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        // A last line without its line break is torn: a run stopped in it.
        if (!eol) break;
        IndexRecord record;
        if (IndexParseLine(p, eol, record)) records.push_back(std::move(record));
        p = eol + 1;
    }
    return records;
}

}  // namespace engine
