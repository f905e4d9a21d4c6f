#include "engine/copy_ahead.h"
#include "engine/read_ahead.h"

namespace engine {

void SetListHookForTest(ListFn hook) { g_listHook = hook; }
void SetPrepareHookForTest(PrepareFn hook) { g_prepareHook = hook; }

}  // namespace engine
