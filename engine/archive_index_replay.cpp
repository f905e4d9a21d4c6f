// What the index's records, replayed in order, say each slot holds.
#include "engine/archive_index.h"
#include "platform/text.h"

namespace engine {

std::wstring IndexKey(const std::wstring& relativePath) { return plat::ToUpper(relativePath); }

// The version moves on with its origin. The claim on the slot it left stays
// (marked), for the move may have failed or never come: a kill between the
// line and the move, or a move that failed.
static void ReplayTransfer(SlotMap& slots, const IndexRecord& r) {
    auto from = slots.find(IndexKey(r.from));
    if (from == slots.end()) {
        // A version the index never saw (archived before it existed): the
        // target's former claim is void, except for a version put back,
        // whose setting aside may be the line that is missing.
        if (r.move != IndexMove::PutBack) slots.erase(IndexKey(r.to));
        return;
    }
    SlotOrigin origin = from->second;
    from->second.movedAway = true;
    origin.movedAway = false;
    slots[IndexKey(r.to)] = std::move(origin);
}

SlotMap ReplayIndex(const std::vector<IndexRecord>& records) {
    SlotMap slots;
    for (const IndexRecord& r : records) {
        switch (r.move) {
            case IndexMove::Replaced:
            case IndexMove::Vanished:
            case IndexMove::TypeChange:
                slots[IndexKey(r.to)] = SlotOrigin{r.from, r.move, r.time, r.modified, r.size, false};
                break;
            case IndexMove::SetAside:
            case IndexMove::PutBack:
            case IndexMove::MovedOn:
                ReplayTransfer(slots, r);
                break;
            case IndexMove::BackOut:
            case IndexMove::Deleted:
                slots.erase(IndexKey(r.from));
                break;
        }
    }
    return slots;
}

}  // namespace engine
