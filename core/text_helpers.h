// Small text helpers every subsystem uses.
#pragma once

#include <cstdint>
#include <string>

#include "platform/path_text.h"

namespace core {

// Appends "\" unless the text already ends in one; "" gives "\".
using plat::AddBackslash;
// "1234567" -> "1'234'567"; "" stays "".
std::wstring FormatThousands(const std::wstring& digits);
std::wstring FormatThousands(int64_t value);
// What a number may have besides its decimal digits; flags to combine.
enum NumberSyntax : uint32_t {
    kNumberDigitsOnly = 0,
    kNumberBlanks = 1,  // leading blanks and tabs are skipped
    kNumberSign = 2,    // a "+" or "-" before the digits
    kNumberRadix = 4,   // after the sign, "$" for hexadecimal or "%" for binary digits
};
// Leading integer up to the first character that is no digit of its base
// ("12abc" -> 12, "x" -> 0); saturates at the 32-bit limits instead of
// wrapping. By default with blanks and sign, as configuration files have it.
int32_t ParseLeadingInt(const std::wstring& text, uint32_t syntax = kNumberBlanks | kNumberSign);
// The same with the 64-bit limits, for dates: written as the same decimal
// number, so a file with a 32-bit date reads as it always did.
int64_t ParseLeadingInt64(const std::wstring& text, uint32_t syntax = kNumberBlanks | kNumberSign);
// Leading decimal number: sign, digits, optional "." and fraction; else 0.
double ParseLeadingFloat(const std::wstring& text);
// Date as "dd.mm.yy hh:ii:ss" in local time.
std::wstring FormatLogDate(int64_t seconds);

}  // namespace core
