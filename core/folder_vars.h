// Folder variables: short names for Windows special folders, usable as
// "%Name" or "%Name%rest" at the start of an exclusion search string.
#pragma once

#include <string>

namespace core {

// The special folder with this CSIDL number, without trailing "\", or "".
std::wstring FolderPath(int csidl);

// Fills WinFolders (21 entries, "MyTemp" last) and writes
// ConfigDir + "WinFolderList.txt" when it is missing or empty.
void BuildFolderVars();

// Path of the first variable whose name equals `name` ignoring case, or "".
std::wstring ResolveFolderVar(const std::wstring& name);

}  // namespace core
