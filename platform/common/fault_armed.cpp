// Compiled twice like the other hook sites: the tests' half asks the fault
// injection, the program's half has nothing armed, ever.
#include "platform/fault.h"

namespace plat {

bool FaultInjectionArmed() {
#ifdef TRESORO_TEST_HOOKS
    return AnyFaultArmed();
#else
    return false;
#endif
}

}  // namespace plat
