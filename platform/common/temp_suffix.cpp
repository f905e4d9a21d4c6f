#include "platform/fs.h"

namespace plat {

// Never ends in ".log" or ".ini", so a leftover is never taken for the real file.
const wchar_t* const kTempSuffix = L".tresoro-tmp";

}  // namespace plat
