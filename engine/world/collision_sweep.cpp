#include "world/collision_sweep.h"

#include <algorithm>
#include <array>

namespace me {

namespace {

// The two slanted sides of a skewed box, each from its end on the near edge
// (y = min y) to its end on the far edge (y = max y).
struct SkewedSides {
    FixedVec2 left_near;
    FixedVec2 left_far;
    FixedVec2 right_near;
    FixedVec2 right_far;
    // The side's direction is (skew, depth); these point away from the shape.
    FixedVec2 left_normal;
    FixedVec2 right_normal;

    explicit SkewedSides(const Collision& shape) {
        const CollisionBounds& b = shape.m_bounds;
        const Fixed s = shape.m_skew;
        const Fixed depth = fixed_sub(b.max_y, b.min_y);
        const Fixed near_left = s >= 0 ? b.min_x : fixed_sub(b.min_x, s);
        const Fixed near_right = s >= 0 ? fixed_sub(b.max_x, s) : b.max_x;
        left_near = {near_left, b.min_y};
        left_far = {fixed_add(near_left, s), b.max_y};
        right_near = {near_right, b.min_y};
        right_far = {fixed_add(near_right, s), b.max_y};
        left_normal = {fixed_neg(depth), s};
        right_normal = {depth, fixed_neg(s)};
    }
};

enum class Side { Left, Right };

struct SideRef {
    FixedVec2 near_end;
    FixedVec2 normal;
};

SideRef side_of(const SkewedSides& sides, Side side) {
    return side == Side::Left ? SideRef{sides.left_near, sides.left_normal}
                              : SideRef{sides.right_near, sides.right_normal};
}

// 1 outside, 0 on the side, -1 inside.
int side_sign(const SideRef& side, FixedVec2 point) { return fixed_dot_sign(side.normal, point - side.near_end); }

// Moves the target back toward the start by whole units while it is inside
// the side, keeping its fraction; returns the displacement left.
Fixed back_off(const SideRef& side, FixedVec2 corner, Fixed delta, bool along_x) {
    FixedVec2 target = along_x ? FixedVec2{fixed_add(corner.x, delta), corner.y}
                               : FixedVec2{corner.x, fixed_add(corner.y, delta)};
    const Fixed back = delta > 0 ? -FIXED_ONE : FIXED_ONE;
    while (side_sign(side, target) < 0)
        target = target + (along_x ? FixedVec2{back, 0} : FixedVec2{0, back});
    return along_x ? fixed_sub(target.x, corner.x) : fixed_sub(target.y, corner.y);
}

// A corner of the mover and the side it may run into, for motion along y.
struct CornerPair {
    FixedVec2 corner;
    Side side;
    bool moving_down;
};

// Where the flat edge that a corner moving along y heads for ends on the
// pair's side: the near edge when moving down, the far edge when moving up.
Fixed flat_edge_end(const SkewedSides& sides, const CornerPair& pair) {
    if (pair.side == Side::Left)
        return pair.moving_down ? sides.left_near.x : sides.left_far.x;
    return pair.moving_down ? sides.right_near.x : sides.right_far.x;
}

// Keeps the displacement from reversing: a back-off never turns a move around.
Fixed same_direction(Fixed original, Fixed resolved) {
    return original < 0 ? std::min(resolved, 0) : std::max(resolved, 0);
}

// A displacement along y cut so that the mover stops at the flat edge it
// heads for; never lengthened, never reversed.
Fixed stop_at_flat_edge(const CollisionBounds& m, const CollisionBounds& o, Fixed dy) {
    if (dy > 0)
        return std::min(dy, std::max(fixed_sub(o.min_y, m.max_y), 0));
    return std::max(dy, std::min(fixed_sub(o.max_y, m.min_y), 0));
}

// The first corner found outside its side decides how a move along y ends.
Fixed skewed_y(const CollisionBounds& m, const Collision& obstacle, const SkewedSides& sides, Fixed dy) {
    const CollisionBounds& o = obstacle.m_bounds;
    const bool down = dy > 0;
    const std::array<CornerPair, 2> pairs =
        obstacle.m_skew < 0 ? std::array<CornerPair, 2>{CornerPair{{m.max_x, m.max_y}, Side::Left, true},
                                                        CornerPair{{m.min_x, m.min_y}, Side::Right, false}}
                            : std::array<CornerPair, 2>{CornerPair{{m.max_x, m.min_y}, Side::Left, false},
                                                        CornerPair{{m.min_x, m.max_y}, Side::Right, true}};
    for (const CornerPair& pair : pairs) {
        const SideRef side = side_of(sides, pair.side);
        if (side_sign(side, pair.corner) <= 0)
            continue;
        if (down != pair.moving_down)
            return dy;
        const Fixed end = flat_edge_end(sides, pair);
        const bool beyond = pair.side == Side::Left ? pair.corner.x < end : pair.corner.x > end;
        if (beyond)
            return same_direction(dy, back_off(side, pair.corner, dy, false));
        return stop_at_flat_edge(m, o, dy);
    }
    if (down ? m.max_y <= o.min_y : m.min_y >= o.max_y)
        return stop_at_flat_edge(m, o, dy);
    return dy;
}

// Whether two rectangles share a point, edges included; min and max may be
// given either way round.
bool touches(const CollisionBounds& a, const CollisionBounds& b) {
    const auto meet = [](Fixed a0, Fixed a1, Fixed b0, Fixed b1) {
        return std::min(a0, a1) <= std::max(b0, b1) && std::min(b0, b1) <= std::max(a0, a1);
    };
    return meet(a.min_x, a.max_x, b.min_x, b.max_x) && meet(a.min_y, a.max_y, b.min_y, b.max_y);
}

}  // namespace

void CollisionSweep::test_static(const Collision& obstacle) {
    if (test_shape(obstacle)) {
        m_hit = true;
        m_hit_entity = nullptr;
    }
}

void CollisionSweep::test_entity(const Collision& obstacle, EntityBase& entity) {
    if (test_shape(obstacle)) {
        m_hit = true;
        m_hit_entity = &entity;
    }
}

CollisionBounds CollisionSweep::swept_bounds() const {
    return {fixed_add(m_mover.min_x, std::min(m_delta.x, 0)), fixed_add(m_mover.min_y, std::min(m_delta.y, 0)),
            fixed_add(m_mover.max_x, std::max(m_delta.x, 0)), fixed_add(m_mover.max_y, std::max(m_delta.y, 0))};
}

bool CollisionSweep::test_shape(const Collision& obstacle) {
    // An obstacle that does not even touch the way the mover goes can
    // neither block it nor overlap it; testing it could only tell so.
    if (!touches(swept_bounds(), obstacle.m_bounds))
        return false;
    if (obstacle.m_type == CollisionType::SkewedBox)
        return test_skewed_box(obstacle);
    return test_box(obstacle.m_bounds);
}

bool CollisionSweep::test_box(const CollisionBounds& o) {
    const CollisionBounds& m = m_mover;
    if (m.overlaps(o))
        return true;
    const FixedVec2 original = m_delta;
    Fixed& dx = m_delta.x;
    Fixed& dy = m_delta.y;
    if (dx != 0 && m.min_y < o.max_y && o.min_y < m.max_y) {
        if (dx < 0) {
            const Fixed gap = fixed_sub(o.max_x, m.min_x);
            if (gap <= 0 && dx < gap)
                dx = gap;
        } else {
            const Fixed gap = fixed_sub(o.min_x, m.max_x);
            if (gap >= 0 && gap < dx)
                dx = gap;
        }
    }
    const Fixed swept_min_x = fixed_add(m.min_x, std::min(dx, 0));
    const Fixed swept_max_x = fixed_add(m.max_x, std::max(dx, 0));
    if (dy != 0 && swept_min_x < o.max_x && o.min_x < swept_max_x) {
        if (dy < 0) {
            const Fixed gap = fixed_sub(o.max_y, m.min_y);
            if (gap <= 0 && dy < gap)
                dy = gap;
        } else {
            const Fixed gap = fixed_sub(o.min_y, m.max_y);
            if (gap >= 0 && gap < dy)
                dy = gap;
        }
    }
    return m_delta != original;
}

bool CollisionSweep::test_skewed_box(const Collision& obstacle) {
    const CollisionBounds& o = obstacle.m_bounds;
    const CollisionBounds& m = m_mover;
    const SkewedSides sides(obstacle);
    const bool skew_negative = obstacle.m_skew < 0;
    const FixedVec2 original = m_delta;
    Fixed& dx = m_delta.x;
    Fixed& dy = m_delta.y;

    // Along x first, against the side the mover is heading for.
    if (dx != 0 && m.min_y < o.max_y && o.min_y < m.max_y) {
        const bool left = dx < 0;
        const Side side = left ? Side::Right : Side::Left;
        const SideRef ref = side_of(sides, side);
        const FixedVec2 far = side == Side::Left ? sides.left_far : sides.right_far;
        const Fixed corner_x = left ? m.min_x : m.max_x;
        const bool lower_corner = left ? !skew_negative : skew_negative;
        const FixedVec2 corner{corner_x, lower_corner ? std::min(m.max_y, o.max_y) : std::max(m.min_y, o.min_y)};
        const Fixed target_x = fixed_add(corner_x, dx);
        const bool reaches = left ? target_x < o.max_x : target_x > o.min_x;
        const bool faces_side = left ? corner_x >= std::min(ref.near_end.x, far.x)
                                     : corner_x <= std::max(ref.near_end.x, far.x);
        if (reaches && faces_side) {
            const int sign = side_sign(ref, corner);
            if (sign == 0)
                dx = 0;
            else if (sign > 0)
                dx = same_direction(original.x, back_off(ref, corner, dx, true));
        }
    }

    // Then along y, over the x range the mover covers with its resolved dx.
    const Fixed swept_min_x = fixed_add(m.min_x, std::min(dx, 0));
    const Fixed swept_max_x = fixed_add(m.max_x, std::max(dx, 0));
    if (dy != 0 && swept_min_x < o.max_x && o.min_x < swept_max_x)
        dy = skewed_y(m, obstacle, sides, dy);
    return m_delta != original;
}

}  // namespace me
