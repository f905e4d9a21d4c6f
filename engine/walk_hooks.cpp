// The platform functions the walks work ahead with, the listing and the
// copy made ahead, and in the tests ones they may put in their place (to
// record what is listed or copied ahead and to fail chosen ones; only the
// test build sets them, in walk_hooks_testing.cpp).
#include "engine/copy_ahead.h"
#include "engine/read_ahead.h"

namespace engine {

static bool WalkPlatformList(const std::wstring& dir, Listing& out) { return plat::ListDirCompact(dir, out); }

constinit ListFn g_listHook = nullptr;
constinit PrepareFn g_prepareHook = nullptr;

ListFn WalkListFn() { return g_listHook ? g_listHook : &WalkPlatformList; }
PrepareFn WalkPrepareFn() { return g_prepareHook ? g_prepareHook : &plat::PrepareCopy; }

}  // namespace engine
