// Test set-up of the portable layer: which host directory stands for a
// Windows drive or share, what the special folders are, the screen DPI.
// On Windows the real system answers and these calls return false.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Maps "E:" or "\\server\share" to a host directory. Only the posix layer
// can do this; it returns false elsewhere.
bool MapDrive(const std::wstring& root, const std::string& hostDir, unsigned type = 3, const std::wstring& label = L"");
bool UnmapDrive(const std::wstring& root);
// What FileSystemName answers for a mapped drive ("FAT32"); an empty name
// gives the host's own back. Only the posix layer; false elsewhere.
bool SetDriveFileSystemForTest(const std::wstring& root, const std::wstring& name);
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
// Marks an entry as a cloud client's would be: `attributes` (the online-only
// bits of fs.h) added to its own, and with a `reparseTag` other than 0 a
// reparse point of that tag, in every listing and attribute query. Moving
// the entry takes the mark along, removing it drops it. Only the posix layer; false
// elsewhere, where no test can make such an entry.
bool MarkEntryForTest(const std::wstring& path, uint32_t attributes, uint32_t reparseTag);
// Resets every table above to its start state, releases held files, and
// resets the shutdown intercept of platform/power.h (leaving real shutdown
// requests refused).
void ResetTestTables();

}  // namespace plat

namespace plat {
// True on the portable layer, where the tables above take effect.
bool PortableLayer();
}  // namespace plat
