// "Hilfe": the help file "TresoroHilfe.chm", which the program carries
// (resources/program_data.h), written to ConfigDir and opened through the
// shell with the system's help viewer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dialogs {

// ConfigDir + "TresoroHilfe.chm".
std::wstring HelpFilePath();

// Makes sure HelpFilePath() holds the carried help file. A file of the same
// size is taken as it is (its content is not compared), so a help file
// stays untouched until a program with another one comes along. False,
// after the message "Konnte Hilfedatei nicht erstellen: " + path, when the
// file cannot be written.
bool WriteHelpFile();
// The same with other bytes, for the tests.
bool WriteHelpFileWith(const uint8_t* data, size_t size);

// The menu command "Hilfe": WriteHelpFile, then open the file through the
// shell without waiting for the viewer; "Kann Hilfedatei nicht öffnen: " +
// path when that fails.
void OpenHelp();

}  // namespace dialogs
