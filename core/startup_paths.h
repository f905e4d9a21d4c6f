// Where the program and its configuration live.
#pragma once

#include <string>

namespace core {

// Directory of the program file, ending in "\".
std::wstring DetermineProgramDir();

// Finds or creates the configuration directory (application data +
// "TresoroData\"), moving "Tresoro*.*" files of older versions into it.
// `createFailedMessage` receives the message text when the directory cannot
// be created (the application-data folder is then used); empty otherwise.
std::wstring DetermineConfigDir(std::wstring& createFailedMessage);

}  // namespace core
