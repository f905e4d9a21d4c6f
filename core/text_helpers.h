// Small text helpers every subsystem uses.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// Appends "\" unless the text already ends in one; "" gives "\".
std::wstring AddBackslash(const std::wstring& text);
// "1234567" -> "1'234'567"; "" stays "".
std::wstring FormatThousands(const std::wstring& digits);
std::wstring FormatThousands(int64_t value);
// Leading decimal integer with optional sign ("12abc" -> 12, "x" -> 0),
// after leading blanks and tabs; saturates at the 32-bit limits.
int32_t ParseLeadingInt(const std::wstring& text);
// Leading decimal number: sign, digits, optional "." and fraction; else 0.
double ParseLeadingFloat(const std::wstring& text);
// Date as "dd.mm.yy hh:ii:ss" in local time.
std::wstring FormatLogDate(int64_t seconds);

}  // namespace core
