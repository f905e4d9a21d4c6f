// Where things are: special folders, the temporary directory, the program
// file, the environment, the screen.
#pragma once

#include <string>

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

}  // namespace plat
