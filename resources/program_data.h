// The data Tresoro carries inside itself, generated at build time from the
// sources in resources/ (tools/embed_data.py): the help file and the info
// text of "Über".
#pragma once

#include <cstddef>
#include <cstdint>

namespace res {

// "TresoroHilfe.chm", a Compiled HTML Help file, byte for byte.
extern const uint8_t kHelpFile[];
extern const size_t kHelpFileSize;

// The info text: Windows-1252 text with CR LF line ends, packed as LZNT1
// (platform/compress.h). Its characters are those that Windows-1252 and
// ISO-8859-1 encode alike.
extern const uint8_t kInfoTextPacked[];
extern const size_t kInfoTextPackedSize;
extern const size_t kInfoTextSize;        // bytes once unpacked
extern const uint32_t kInfoTextChecksum;  // FNV-1a (32 bits) of the unpacked bytes

}  // namespace res
