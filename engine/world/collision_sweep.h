#pragma once

#include <cstdint>

#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "world/collision.h"

namespace me {

class EntityBase;

// One displacement of a mover's bounds tested against obstacles one after
// another: each test may shorten the displacement, so the order of the
// tests is part of the result. A test can only shorten it, never lengthen
// or reverse it.
class CollisionSweep {
public:
    CollisionSweep(const CollisionBounds& mover, Fixed z, uint16_t mask, FixedVec2 delta, bool stop)
        : m_mover(mover), m_z(z), m_mask(mask), m_delta(delta), m_stop(stop) {}

    // A room's static shape: a hit clears the hit entity.
    void test_static(const Collision& obstacle);
    // Another entity's shape: a hit records that entity.
    void test_entity(const Collision& obstacle, EntityBase& entity);

    // The rectangle the mover covers on its way: no obstacle outside it
    // can change anything.
    CollisionBounds swept_bounds() const;

    Fixed z() const { return m_z; }
    uint16_t mask() const { return m_mask; }
    bool stop() const { return m_stop; }
    FixedVec2 delta() const { return m_delta; }
    bool is_moving() const { return m_delta.x != 0 || m_delta.y != 0; }
    bool hit() const { return m_hit; }
    // The entity of the last hit, or null when it was a static shape.
    EntityBase* hit_entity() const { return m_hit_entity; }

private:
    // True when the test reports a hit.
    bool test_shape(const Collision& obstacle);
    bool test_box(const CollisionBounds& obstacle);
    bool test_skewed_box(const Collision& obstacle);

    CollisionBounds m_mover;
    Fixed m_z;
    uint16_t m_mask;
    FixedVec2 m_delta;
    bool m_stop;
    bool m_hit = false;
    EntityBase* m_hit_entity = nullptr;
};

}  // namespace me
