// Case rules and character conversions. Upper-casing and comparing use the
// invariant, ordinal rules of the file system, so that two names the program
// takes for one are the names NTFS takes for one.
#include <windows.h>

#include <climits>

#include "platform/listing.h"
#include "platform/text.h"

namespace plat {

static std::wstring TextMapCase(const std::wstring& text, DWORD how) {
    // LCMapStringEx rejects a length of 0 as an invalid parameter.
    if (text.empty() || text.size() > INT_MAX) return text;
    int length = static_cast<int>(text.size());
    int need = LCMapStringEx(LOCALE_NAME_INVARIANT, how, text.data(), length, nullptr, 0, nullptr, nullptr, 0);
    if (need <= 0) return text;
    std::wstring out(static_cast<size_t>(need), L'\0');
    int got = LCMapStringEx(LOCALE_NAME_INVARIANT, how, text.data(), length, out.data(), need, nullptr, nullptr, 0);
    if (got <= 0) return text;
    out.resize(static_cast<size_t>(got));
    return out;
}

std::wstring ToUpper(const std::wstring& text) { return TextMapCase(text, LCMAP_UPPERCASE); }
std::wstring ToLower(const std::wstring& text) { return TextMapCase(text, LCMAP_LOWERCASE); }

static int TextCompareNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() <= INT_MAX && b.size() <= INT_MAX) {
        switch (
            CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE)) {
            case CSTR_LESS_THAN:
                return -1;
            case CSTR_EQUAL:
                return 0;
            case CSTR_GREATER_THAN:
                return 1;
            default:
                break;
        }
    }
    // Only absurd lengths get here; an exact comparison still orders them.
    int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b) { return TextCompareNoCase(a, b); }

// The listing keeps the system's UTF-16 names as they are.
void ListingNameInto(const Listing& listing, size_t index, std::wstring& out) { out.assign(listing.RawName(index)); }

int CompareListingNoCase(const Listing& a, size_t i, const Listing& b, size_t j) {
    return TextCompareNoCase(a.RawName(i), b.RawName(j));
}

bool ListingNameLess(const Listing& listing, size_t i, size_t j) {
    const std::wstring_view a = listing.RawName(i), b = listing.RawName(j);
    const int order = TextCompareNoCase(a, b);
    return order != 0 ? order < 0 : a.compare(b) < 0;
}

// The conversion calls take int lengths; longer texts go in pieces cut where
// no character is split.
static const size_t kTextPiece = 1u << 26;

static std::wstring TextToWide(UINT codePage, const std::string& bytes) {
    std::wstring out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.size();
        if (end - start > kTextPiece) {
            end = start + kTextPiece;
            // Back off over UTF-8 continuation bytes to a lead byte.
            if (codePage == CP_UTF8)
                for (int i = 0; i < 3 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80; ++i) --end;
        }
        int length = static_cast<int>(end - start);
        // No MB_ERR_INVALID_CHARS: invalid bytes become U+FFFD instead of
        // failing the whole text (Vista and later; before, they were dropped).
        int need = MultiByteToWideChar(codePage, 0, bytes.data() + start, length, nullptr, 0);
        if (need <= 0) return L"";
        size_t at = out.size();
        out.resize(at + static_cast<size_t>(need));
        MultiByteToWideChar(codePage, 0, bytes.data() + start, length, out.data() + at, need);
        start = end;
    }
    return out;
}

std::wstring Utf8ToWide(const std::string& bytes) { return TextToWide(CP_UTF8, bytes); }

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.size();
        if (end - start > kTextPiece) {
            end = start + kTextPiece;
            // Never cut between the two halves of a surrogate pair.
            if (text[end] >= 0xDC00 && text[end] <= 0xDFFF) --end;
        }
        int length = static_cast<int>(end - start);
        // A lone surrogate becomes U+FFFD.
        int need = WideCharToMultiByte(CP_UTF8, 0, text.data() + start, length, nullptr, 0, nullptr, nullptr);
        if (need <= 0) return "";
        size_t at = out.size();
        out.resize(at + static_cast<size_t>(need));
        WideCharToMultiByte(CP_UTF8, 0, text.data() + start, length, out.data() + at, need, nullptr, nullptr);
        start = end;
    }
    return out;
}

std::wstring Latin1ToWide(const std::string& bytes) {
    // Code page 28591 is ISO 8859-1; should a stripped-down system lack it,
    // the mapping is the identity on 0..255 anyway.
    std::wstring out = TextToWide(28591, bytes);
    if (!bytes.empty() && out.empty()) {
        out.reserve(bytes.size());
        for (char c : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return out;
}

}  // namespace plat
