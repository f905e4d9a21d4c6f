#include "core/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "platform/clock.h"

namespace core {

// A leading sign stays in front of the first group, so "-1234" reads
// "-1'234" and never "-'1'234".
std::wstring FormatThousands(const std::wstring& digits) {
    size_t start = 0;
    if (!digits.empty() && (digits[0] == L'-' || digits[0] == L'+')) start = 1;
    std::wstring out = digits.substr(0, start);
    size_t count = digits.size() - start;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) out += L'\'';
        out += digits[start + i];
    }
    return out;
}

std::wstring FormatThousands(int64_t value) { return FormatThousands(std::to_wstring(value)); }

static size_t TextSkipBlanks(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    return i;
}

static bool TextIsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The value of a digit up to base 16; -1 for any other character.
static int TextDigitValue(wchar_t c) {
    if (TextIsDigit(c)) return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Hand-edited configuration files and typed fields may hold any number; a
// value beyond the range keeps its sign and sticks at the limit. The limits
// are given as magnitudes, so the lowest value needs no negation of itself.
static int64_t TextParseClamped(const std::wstring& text, uint32_t syntax, uint64_t maxPositive, uint64_t maxNegative) {
    size_t i = (syntax & kNumberBlanks) ? TextSkipBlanks(text) : 0;
    bool negative = false;
    if ((syntax & kNumberSign) && i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int base = 10;
    if ((syntax & kNumberRadix) && i < text.size() && (text[i] == L'$' || text[i] == L'%'))
        base = text[i++] == L'$' ? 16 : 2;
    const uint64_t limit = negative ? maxNegative : maxPositive;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = TextDigitValue(text[i]);
        if (digit < 0 || digit >= base) break;
        // Once at the limit the digits left cannot matter.
        value = value > (limit - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base)
                    ? limit
                    : value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (!negative) return static_cast<int64_t>(value);
    return value == 0 ? 0 : -static_cast<int64_t>(value - 1) - 1;
}

int32_t ParseLeadingInt(const std::wstring& text, uint32_t syntax) {
    constexpr uint64_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(TextParseClamped(text, syntax, kMax, kMax + 1));
}

int64_t ParseLeadingInt64(const std::wstring& text, uint32_t syntax) {
    constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
    return TextParseClamped(text, syntax, kMax, kMax + 1);
}

// Parsed by hand rather than with wcstod, whose decimal point follows the
// locale: configuration files always use ".".
double ParseLeadingFloat(const std::wstring& text) {
    size_t i = TextSkipBlanks(text);
    std::string number;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        if (text[i] == L'-') number += '-';
        ++i;
    }
    bool anyDigit = false;
    for (; i < text.size() && TextIsDigit(text[i]); ++i) {
        number += static_cast<char>(text[i]);
        anyDigit = true;
    }
    if (i < text.size() && text[i] == L'.') {
        std::string fraction;
        for (++i; i < text.size() && TextIsDigit(text[i]); ++i) {
            fraction += static_cast<char>(text[i]);
        }
        if (!fraction.empty()) {
            if (!anyDigit) number += '0';
            number += '.' + fraction;
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;
    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc()) return 0.0;
    return value;
}

static void TextAppendTwoDigits(std::wstring& out, int value) {
    if (value < 0) value = -value;
    value %= 100;
    out += static_cast<wchar_t>(L'0' + value / 10);
    out += static_cast<wchar_t>(L'0' + value % 10);
}

std::wstring FormatLogDate(int64_t seconds) {
    plat::LocalDate d = plat::SplitDate(seconds);
    std::wstring out;
    TextAppendTwoDigits(out, d.day);
    out += L'.';
    TextAppendTwoDigits(out, d.month);
    out += L'.';
    TextAppendTwoDigits(out, d.year);
    out += L' ';
    TextAppendTwoDigits(out, d.hour);
    out += L':';
    TextAppendTwoDigits(out, d.minute);
    out += L':';
    TextAppendTwoDigits(out, d.second);
    return out;
}

}  // namespace core
