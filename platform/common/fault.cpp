#include "platform/fault.h"

#include <array>

#include "platform/errors.h"

namespace plat {

namespace {
struct FaultSlot {
    int countdown = 0;  // 0 = armed for nothing
    bool persistent = false;
    bool firing = false;
    uint32_t code = 0;
};
std::array<FaultSlot, static_cast<size_t>(FaultOp::Count_)> g_slots;
}  // namespace

void InjectFault(FaultOp op, int nth, uint32_t code, bool persistent) {
    FaultSlot& slot = g_slots[static_cast<size_t>(op)];
    slot.countdown = nth < 1 ? 1 : nth;
    slot.persistent = persistent;
    slot.firing = false;
    slot.code = code;
}

void ClearFaults() { g_slots = {}; }

bool FaultHit(FaultOp op) {
    FaultSlot& slot = g_slots[static_cast<size_t>(op)];
    if (slot.firing) {
        SetLastError(slot.code);
        return true;
    }
    if (slot.countdown == 0) return false;
    if (--slot.countdown > 0) return false;
    if (slot.persistent) slot.firing = true;
    SetLastError(slot.code);
    return true;
}

}  // namespace plat
