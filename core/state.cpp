#include "core/state.h"

namespace core {

static State g_state;

State& S() { return g_state; }

void ResetState() { g_state = State{}; }

}  // namespace core
