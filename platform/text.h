// Text conversions and case rules. On Windows the case rules are the file
// system's own, so that names compare the way the disk compares them.
#pragma once

#include <string>

namespace plat {

std::wstring ToUpper(const std::wstring& text);
std::wstring ToLower(const std::wstring& text);

// <0, 0, >0 like wcscmp, but ignoring case.
int CompareNoCase(const std::wstring& a, const std::wstring& b);
inline bool EqualNoCase(const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) == 0; }

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::wstring Utf8ToWide(const std::string& bytes);
std::string WideToUtf8(const std::wstring& text);
std::wstring Latin1ToWide(const std::string& bytes);

}  // namespace plat
