// The text of the last copy error for the "Kopierfehler: " line.
#pragma once

#include <cstdint>
#include <string>

namespace logs {

// The system's message for an error code without its closing line break,
// or "Errorcode: " + the code as a signed 32-bit number when the system has
// no text for it (0xFFFFFFFF gives "Errorcode: -1").
std::wstring WindowsErrorText(uint32_t code);

}  // namespace logs
