// Case rules and encodings of the portable layer. wchar_t holds whole code
// points here (32 bits), so no surrogates are involved.
#include "platform/text.h"
#include "platform/listing.h"

namespace plat {

// Upper case for the scripts a German user meets in file names: Latin-1,
// Latin Extended-A, Greek and Cyrillic. "ß" stays, as on Windows.
static wchar_t TextUpperChar(wchar_t c) {
    if (c < 0x80) return (c >= L'a' && c <= L'z') ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs capital/small; the block shifts parity at 0x139 and 0x179.
        bool oddSmall = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddSmall) return (c & 1) ? c : c - 1;
        return (c & 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    return c;
}

// The inverse of TextUpperChar over the same scripts.
static wchar_t TextLowerChar(wchar_t c) {
    if (c < 0x80) return (c >= L'A' && c <= L'Z') ? c + 32 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        bool oddCapital = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddCapital) return (c & 1) ? c + 1 : c;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

std::wstring ToLower(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) c = TextLowerChar(c);
    return out;
}

std::wstring ToUpper(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) c = TextUpperChar(c);
    return out;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = TextUpperChar(a[i]), y = TextUpperChar(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// One character of the UTF-8 at bytes[i], moving i past it: an invalid
// sequence is U+FFFD for its lead byte alone.
static inline wchar_t TextDecodeUtf8(const char* bytes, size_t n, size_t& i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int len = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (b >= 0xF5) len = 0;
    uint32_t cp = len == 4 ? (b & 0x07) : len == 3 ? (b & 0x0F) : (b & 0x1F);
    int k = 1;
    for (; len && k < len && i + k < n; ++k) {
        unsigned char c = static_cast<unsigned char>(bytes[i + k]);
        if ((c & 0xC0) != 0x80) break;
        cp = (cp << 6) | (c & 0x3F);
    }
    bool good = len && k == len;
    if (good &&
        ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
        good = false;
    if (!good) {
        i += 1;
        return 0xFFFD;
    }
    i += static_cast<size_t>(len);
    return static_cast<wchar_t>(cp);
}

std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) out.push_back(TextDecodeUtf8(bytes.data(), bytes.size(), i));
    return out;
}

// The listing keeps the names' UTF-8: each comparison decodes as it goes,
// so the order is exactly that of the decoded names.
void ListingNameInto(const Listing& listing, size_t index, std::wstring& out) {
    const std::string_view raw = listing.RawName(index);
    out.clear();
    for (size_t i = 0; i < raw.size();) out.push_back(TextDecodeUtf8(raw.data(), raw.size(), i));
}

static int TextCompareUtf8(std::string_view a, std::string_view b, bool ignoreCase) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        // Names share long ASCII stretches (sorting compares neighbours);
        // an ASCII byte is a whole character, so these need no decoding.
        const unsigned char x8 = static_cast<unsigned char>(a[i]), y8 = static_cast<unsigned char>(b[j]);
        if ((x8 | y8) < 0x80) {
            ++i;
            ++j;
            if (x8 == y8) continue;
            const wchar_t x = ignoreCase ? TextUpperChar(x8) : x8, y = ignoreCase ? TextUpperChar(y8) : y8;
            if (x != y) return x < y ? -1 : 1;
            continue;
        }
        wchar_t x = TextDecodeUtf8(a.data(), a.size(), i), y = TextDecodeUtf8(b.data(), b.size(), j);
        if (ignoreCase) {
            x = TextUpperChar(x);
            y = TextUpperChar(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    return j < b.size() ? -1 : 0;
}

int CompareListingNoCase(const Listing& a, size_t i, const Listing& b, size_t j) {
    return TextCompareUtf8(a.RawName(i), b.RawName(j), true);
}

bool ListingNameLess(const Listing& listing, size_t i, size_t j) {
    const std::string_view a = listing.RawName(i), b = listing.RawName(j);
    const int order = TextCompareUtf8(a, b, true);
    return order != 0 ? order < 0 : TextCompareUtf8(a, b, false) < 0;
}

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        uint32_t cp = static_cast<uint32_t>(wc);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::wstring Latin1ToWide(const std::string& bytes) {
    std::wstring out(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
    return out;
}

}  // namespace plat
