#include "world/room_surroundings.h"

#include "world/collision_sweep.h"
#include "world/room_base.h"

namespace me {

FixedVec2 RoomSurroundings::sweep(const CollisionBounds& box, Fixed z, int32_t mask, FixedVec2 delta) const {
    CollisionSweep sweep(box, z, static_cast<uint16_t>(mask), delta, true);
    m_room.sweep_past(nullptr, sweep);
    return sweep.delta();
}

Fixed RoomSurroundings::ground_below(const CollisionBounds& box, Fixed top, int32_t mask) const {
    return m_room.highest_top_under(box, static_cast<uint16_t>(mask), kNoGroundHeight, top, nullptr);
}

}  // namespace me
