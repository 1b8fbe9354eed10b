#include "world/collision.h"

#include <algorithm>

namespace me {

void Collision::place(FixedVec2 position) {
    const Fixed left = fixed_add(position.x, m_x);
    m_bounds.min_y = fixed_add(position.y, m_y);
    m_bounds.max_y = fixed_add(m_bounds.min_y, m_depth);
    if (m_type == CollisionType::SkewedBox) {
        m_bounds.min_x = fixed_add(left, std::min(m_skew, 0));
        m_bounds.max_x = fixed_add(fixed_add(m_bounds.min_x, m_width), m_skew < 0 ? fixed_neg(m_skew) : m_skew);
        return;
    }
    m_bounds.min_x = left;
    m_bounds.max_x = fixed_add(left, m_width);
}

void Collision::mirror() {
    m_x = fixed_sub(fixed_neg(m_width), m_x);
    m_skew = fixed_neg(m_skew);
}

}  // namespace me
