// Where things are: special folders, the temporary directory, the program
// file, the environment, the screen; and handing a document to the shell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// The special folder with this CSIDL number, without trailing "\", or empty.
std::wstring SpecialFolder(int csidl);
// The temporary directory in its long form, ending in "\".
std::wstring TempDir();
// Full path of the running program file.
std::wstring ProgramFile();
// Empty when the variable is not set.
std::wstring GetEnv(const std::wstring& name);
// Horizontal dots per inch of the screen.
int ScreenDpiX();

// Opens a document or folder as a double-click in Explorer would: the shell
// (ShellExecuteExW with the default verb) starts the program registered for
// it and the call does not wait for that program. False, with LastError,
// when the path does not exist or no program can open it; the shell shows
// no box of its own.
bool OpenWithShell(const std::wstring& path);

// The columns of a file manager's detail view.
enum class ShellColumn { Name, Size, Type, Modified };
// The column's title as the shell names it in the user's language
// (IShellFolder2::GetDetailsOf of a file-system folder, the column found by
// its property with MapColumnToSCID); empty where the shell gives none, as
// the portable layer, which has no shell.
std::wstring ShellColumnTitle(ShellColumn column);
// The shell's name for the type of an entry (SHGetFileInfoW with
// SHGFI_TYPENAME; files and folders by name and attribute only, without
// touching the disk; a drive by its root "C:\"); empty where the shell gives
// none.
std::wstring ShellTypeName(const std::wstring& name, bool folder, bool drive);

// Test hooks of OpenWithShell, portable layer only (Windows opens for real
// and these do nothing): the paths it opened since the last reset, in
// order; with a code other than 0 every later call fails with that code.
std::vector<std::wstring> ShellOpenedForTest();
void FailOpenWithShellForTest(uint32_t code);
void ResetShellOpenedForTest();

}  // namespace plat
