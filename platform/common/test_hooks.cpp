#include "platform/test_hooks.h"

namespace plat {

constinit TestHooks g_testHooks;

}  // namespace plat
