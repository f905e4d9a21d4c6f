// Text work on paths in the program's own spelling ("C:\Daten\Brief.txt",
// "\\server\share\"): pure, the same in every build and usable by every
// layer. Splitting and trimming take "/" as a separator too, as Windows
// does; AddBackslash and ParentDir work on the program's directory texts,
// which end in "\".
#pragma once

#include <string>

namespace plat {

// Appends "\" unless the text already ends in one; "" gives "\".
std::wstring AddBackslash(const std::wstring& text);
// "C:\Daten\Brief.txt" -> "Brief.txt": what follows the last separator; a
// text without one is all name.
std::wstring PathName(const std::wstring& path);
// "C:\Daten\Brief.txt" -> "C:\Daten\": up to and with the last separator;
// "" for a text without one.
std::wstring PathFolder(const std::wstring& path);
// Every trailing separator removed, but never the only character:
// "C:\Daten\\" -> "C:\Daten", "C:\" -> "C:", "\" stays "\".
std::wstring WithoutTrailingSeparator(const std::wstring& path);
// The directory above a directory that ends in "\": "C:\Daten\" ->
// "C:\", "\\server\share\" -> "\\server\"; above a drive root or a server
// is the drive list, the empty text.
std::wstring ParentDir(const std::wstring& path);

}  // namespace plat
