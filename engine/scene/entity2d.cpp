#include "scene/entity2d.h"

#include <cmath>

#include "core/log.h"

namespace me {

namespace {

constexpr float kRadiansPerTurn = 6.2831855f;

}  // namespace

const ClassRecord Entity2d::kClassRecord{"Entity2d", &EngineObject::kClassRecord};



Entity2d::~Entity2d() {
    unlink();
    invalidate_world();
    while (m_first_child != nullptr)
        m_first_child->detach_keeping_placement();
}

void Entity2d::set_position(float x, float y) {
    m_x = x;
    m_y = y;
    invalidate_world();
}

void Entity2d::set_rotation(float turns) {
    m_rotation = turns;
    if (turns != 0.0f)
        m_flags |= kRotated;
    else
        m_flags &= ~kRotated;
    invalidate_world();
}

void Entity2d::set_scale(float x, float y) {
    m_scale_x = x;
    m_scale_y = y;
    if (x != 1.0f || y != 1.0f)
        m_flags |= kScaled;
    else
        m_flags &= ~kScaled;
    invalidate_world();
}

void Entity2d::set_parent(Entity2d* parent) {
    if (parent == m_parent)
        return;
    const float x = m_x;
    const float y = m_y;
    const float rotation = m_rotation;
    detach_keeping_placement();
    if (parent == nullptr)
        return;
    if (parent == this) {
        log_error("Trying to bind Entity2d object to itself.");
        return;
    }
    if (is_ancestor_of(*parent)) {
        log_error("Trying to bind Entity2d object to one of its own descendants.");
        return;
    }
    append_to(*parent);
    set_position(x, y);
    set_rotation(rotation);
}

bool Entity2d::is_ancestor_of(const Entity2d& node) const {
    for (const Entity2d* ancestor = node.m_parent; ancestor != nullptr; ancestor = ancestor->m_parent)
        if (ancestor == this)
            return true;
    return false;
}

const Matrix2d& Entity2d::world_matrix() {
    if ((m_flags & kWorldValid) != 0)
        return m_world;
    m_world = m_parent != nullptr ? local_matrix().then(m_parent->world_matrix()) : local_matrix();
    m_flags |= kWorldValid;
    return m_world;
}

Matrix2d Entity2d::local_matrix() const {
    Matrix2d local;
    if ((m_flags & kScaled) != 0) {
        local.a = m_scale_x;
        local.d = m_scale_y;
    }
    if ((m_flags & kRotated) != 0) {
        const float angle = m_rotation * kRadiansPerTurn;
        const Matrix2d rotation{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0.0f, 0.0f};
        local = local.then(rotation);
    }
    local.tx = m_x;
    local.ty = m_y;
    return local;
}

void Entity2d::invalidate_world() {
    m_flags &= ~kWorldValid;
    for (Entity2d* child = m_first_child; child != nullptr; child = child->m_next_sibling)
        child->invalidate_world();
}

void Entity2d::detach_keeping_placement() {
    if (m_parent == nullptr)
        return;
    m_parent->world_matrix().transform(m_x, m_y);
    for (const Entity2d* ancestor = m_parent; ancestor != nullptr; ancestor = ancestor->m_parent) {
        m_scale_x *= ancestor->m_scale_x;
        m_scale_y *= ancestor->m_scale_y;
    }
    set_scale(m_scale_x, m_scale_y);
    unlink();
    invalidate_world();
}

void Entity2d::append_to(Entity2d& parent) {
    m_parent = &parent;
    m_previous_sibling = parent.m_last_child;
    m_next_sibling = nullptr;
    if (parent.m_last_child != nullptr)
        parent.m_last_child->m_next_sibling = this;
    else
        parent.m_first_child = this;
    parent.m_last_child = this;
    invalidate_world();
}

void Entity2d::unlink() {
    if (m_parent == nullptr)
        return;
    if (m_previous_sibling != nullptr)
        m_previous_sibling->m_next_sibling = m_next_sibling;
    else
        m_parent->m_first_child = m_next_sibling;
    if (m_next_sibling != nullptr)
        m_next_sibling->m_previous_sibling = m_previous_sibling;
    else
        m_parent->m_last_child = m_previous_sibling;
    m_parent = nullptr;
    m_previous_sibling = nullptr;
    m_next_sibling = nullptr;
}

}  // namespace me
