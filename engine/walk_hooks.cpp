// The platform functions the walks work ahead with, the listing and the
// copy made ahead, and in the tests ones they may put in their place (to
// record what is listed or copied ahead and to fail chosen ones). Compiled
// twice, like the platform's hook sites: the program has no hook.
#include "engine/copy_ahead.h"
#include "engine/read_ahead.h"

namespace engine {

static bool WalkPlatformList(const std::wstring& dir, Listing& out) { return plat::ListDirCompact(dir, out); }

#ifdef TRESORO_TEST_HOOKS
namespace {
ListFn g_listHook = nullptr;
PrepareFn g_prepareHook = nullptr;
}  // namespace

void SetListHookForTest(ListFn hook) { g_listHook = hook; }
void SetPrepareHookForTest(PrepareFn hook) { g_prepareHook = hook; }

ListFn WalkListFn() { return g_listHook ? g_listHook : &WalkPlatformList; }
PrepareFn WalkPrepareFn() { return g_prepareHook ? g_prepareHook : &plat::PrepareCopy; }
#else
ListFn WalkListFn() { return &WalkPlatformList; }
PrepareFn WalkPrepareFn() { return &plat::PrepareCopy; }
#endif

}  // namespace engine
