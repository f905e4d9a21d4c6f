// Host folders seen through drive letters of the portable layer, as the
// bench drivers hand them to the engine.
#pragma once

#include <string>

namespace bench {

// An existing host folder, absolute and without links, or "" when missing.
std::string HostDir(const std::string& path);

// The folder under a drive letter mapped to its parent, as a Windows path
// with the trailing backslash jobs carry: "/tmp/b/src" -> "S:\src\".
bool MapFolder(const std::wstring& drive, const std::string& host, std::wstring& windowsPath);

}  // namespace bench
