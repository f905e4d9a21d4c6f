// Test set-up of the portable layer: which host directory stands for a
// Windows drive or share, what the special folders are, the screen DPI.
// On Windows the real system answers and these calls return false.
#pragma once

#include <string>

namespace plat {

// Maps "E:" or "\\server\share" to a host directory. Only the posix layer
// can do this; it returns false elsewhere.
bool MapDrive(const std::wstring& root, const std::string& hostDir, unsigned type = 3, const std::wstring& label = L"");
bool UnmapDrive(const std::wstring& root);
bool SetSpecialFolderForTest(int csidl, const std::wstring& path);
bool SetEnvForTest(const std::wstring& name, const std::wstring& value);
bool SetScreenDpiForTest(int dpi);
// Makes the mirror copy (CopyFileIntoPlace) write under a temporary name
// even where the host could make a file without a name, as Windows always
// does. Only the posix layer; false elsewhere.
bool SetNamedTempCopiesForTest(bool on);
// Holds `path` open as another program can (a scanner, an editor): sharing
// nothing, so that opening, renaming or deleting it fails with
// ERROR_SHARING_VIOLATION until ReleaseHeldFilesForTest. Only the Win32
// layer, where the system enforces it; false elsewhere.
bool HoldFileForTest(const std::wstring& path);
void ReleaseHeldFilesForTest();
// The state HoldSystemAwake last set (ES_ flags of platform/power.h). Only
// the posix layer; 0 elsewhere, where Windows keeps it.
uint32_t AwakeStateForTest();
// Resets every table above to its start state, releases held files, and
// resets the shutdown intercept of platform/power.h (leaving real shutdown
// requests refused).
void ResetTestTables();

}  // namespace plat

namespace plat {
// True on the portable layer, where the tables above take effect.
bool PortableLayer();
}  // namespace plat
