#pragma once

#include "world/particle_surroundings.h"

namespace me {

class RoomBase;

// A room's collision queries as its particles ask them.
class RoomSurroundings : public ParticleSurroundings {
public:
    explicit RoomSurroundings(const RoomBase& room) : m_room(room) {}

    FixedVec2 sweep(const CollisionBounds& box, Fixed z, int32_t mask, FixedVec2 delta) const override;
    Fixed ground_below(const CollisionBounds& box, Fixed top, int32_t mask) const override;

private:
    const RoomBase& m_room;
};

}  // namespace me
