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

// Test hooks of OpenWithShell, portable layer only (Windows opens for real
// and these do nothing): the paths it opened since the last reset, in
// order; with a code other than 0 every later call fails with that code.
std::vector<std::wstring> ShellOpenedForTest();
void FailOpenWithShellForTest(uint32_t code);
void ResetShellOpenedForTest();

}  // namespace plat
