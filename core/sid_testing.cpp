#include "core/sid.h"

namespace core {

void SetSidSourceForTest(int32_t (*draw)()) { g_sidSource = draw; }

}  // namespace core
