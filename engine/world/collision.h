#pragma once

#include <cstdint>

#include "core/fixed.h"
#include "core/fixed_vec2.h"

namespace me {

// The height that marks the absence of any surface (-999.0): the z of an
// entity standing nowhere, the ground where there is none, the lowest z.
inline constexpr Fixed kNoGroundHeight = -65470464;

enum class CollisionType : uint8_t { None = 0, Box = 1, SkewedBox = 2 };

// A half-open rectangle on the ground plane: min <= v < max on both axes.
struct CollisionBounds {
    Fixed min_x = 0;
    Fixed min_y = 0;
    Fixed max_x = 0;
    Fixed max_y = 0;

    // Touching edges do not overlap.
    bool overlaps(const CollisionBounds& other) const {
        return min_x < other.max_x && min_y < other.max_y && other.min_x < max_x && other.min_y < max_y;
    }
    bool contains(FixedVec2 point) const {
        return min_x <= point.x && point.x < max_x && min_y <= point.y && point.y < max_y;
    }
    // The single raw-unit rectangle at a point: the footprint of an owner
    // without a shape.
    static CollisionBounds unit_at(FixedVec2 point) {
        return {point.x, point.y, fixed_add(point.x, 1), fixed_add(point.y, 1)};
    }
};

// The collision shape of an entity or of the room's static geometry,
// relative to its owner's position, with the bounds derived from it.
struct Collision {
    CollisionType m_type = CollisionType::None;
    Fixed m_x = 0;
    Fixed m_y = 0;
    Fixed m_width = 0;
    Fixed m_depth = 0;
    Fixed m_skew = 0;
    // Extent upward from the owner's z; kNoGroundHeight or less is a wall
    // without a top.
    Fixed m_height = kNoGroundHeight;
    CollisionBounds m_bounds;

    bool has_shape() const { return m_type != CollisionType::None; }
    bool has_top() const { return m_height > kNoGroundHeight; }

    // Recomputes the bounds for an owner at position.
    void place(FixedVec2 position);
    // The shape seen from the other side along x; the caller places it again.
    void mirror();
};

}  // namespace me
