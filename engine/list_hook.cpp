// The listing function of the walks: the platform's, and in the tests one
// they may put in its place (to record what is listed and to fail chosen
// directories). Compiled twice, like the platform's hook sites: the program
// has no hook.
#include "engine/read_ahead.h"

namespace engine {

static bool WalkPlatformList(const std::wstring& dir, Listing& out) { return plat::ListDirCompact(dir, out); }

#ifdef TRESORO_TEST_HOOKS
namespace {
ListFn g_listHook = nullptr;
}  // namespace

void SetListHookForTest(ListFn hook) { g_listHook = hook; }

ListFn WalkListFn() { return g_listHook ? g_listHook : &WalkPlatformList; }
#else
ListFn WalkListFn() { return &WalkPlatformList; }
#endif

}  // namespace engine
