#pragma once

#include <cstdint>

#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "world/collision.h"

namespace me {

// What a bouncing particle asks of the room around it: the room's own
// collision queries, so that particles rest on the same surfaces and stop at
// the same walls as entities do.
class ParticleSurroundings {
public:
    virtual ~ParticleSurroundings() = default;
    // The part of delta a box at height z can move before it meets a static
    // collision or an entity whose group the mask selects.
    virtual FixedVec2 sweep(const CollisionBounds& box, Fixed z, int32_t mask, FixedVec2 delta) const = 0;
    // The highest surface top at or below top under the box; the no-ground
    // height when there is none.
    virtual Fixed ground_below(const CollisionBounds& box, Fixed top, int32_t mask) const = 0;
};

}  // namespace me
