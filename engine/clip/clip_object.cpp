#include "clip/clip_object.h"

#include <algorithm>
#include <cmath>

#include "clip/clip.h"
#include "core/log.h"
#include "gpu/quad_batch.h"
#include "resources/sprite.h"
#include "resources/sprite_drawing.h"

namespace me::clip {

namespace {

constexpr float kRadiansPerTurn = 6.2831855f;

}  // namespace

const ClassRecord ClipObject::kClassRecord{"ClipObject", &GameObject::kClassRecord};

ClipObject::ClipObject() = default;

ClipObject::ClipObject(bool is_clip) : m_is_clip(is_clip) {}

ClipObject::~ClipObject() {
    for (ClipObject* child : m_children) {
        child->m_parent = nullptr;
        child->invalidate_transform();
        child->release();
    }
}

bool ClipObject::is_self_or_ancestor(const ClipObject& node) const {
    for (const ClipObject* link = this; link != nullptr; link = link->m_parent)
        if (link == &node)
            return true;
    return false;
}

bool ClipObject::add_child(ClipObject& child) { return add_child_at(child, INT64_MAX); }

bool ClipObject::add_child_at(ClipObject& child, int64_t index) {
    if (is_self_or_ancestor(child)) {
        log_error("Trying to add a ClipObject as a child of itself or of one of its descendants.");
        return false;
    }
    // Held across the move so that leaving the old parent cannot end it.
    child.acquire();
    if (child.m_parent != nullptr)
        child.m_parent->detach_child(child);
    const auto position = static_cast<size_t>(std::clamp<int64_t>(index, 0, static_cast<int64_t>(m_children.size())));
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(position), &child);
    child.m_parent = this;
    child.invalidate_transform();
    return true;
}

void ClipObject::detach_child(ClipObject& child) {
    m_children.erase(std::find(m_children.begin(), m_children.end(), &child));
    child.m_parent = nullptr;
    child.invalidate_transform();
    child.release();
}

void ClipObject::remove_from_parent() {
    if (m_parent != nullptr)
        m_parent->detach_child(*this);
}

ClipObject* ClipObject::find_object_by_name(std::string_view name) {
    if (!m_name.empty() && m_name == name)
        return this;
    for (ClipObject* child : m_children)
        if (ClipObject* found = child->find_object_by_name(name))
            return found;
    return nullptr;
}

void ClipObject::set_position(Vec2 position) {
    m_position = position;
    invalidate_transform();
}

void ClipObject::set_rotation(float turns) {
    m_rotation = turns;
    invalidate_transform();
}

void ClipObject::set_scale(Vec2 scale) {
    m_scale = scale;
    invalidate_transform();
}

int32_t ClipObject::real_z_order() const {
    const ClipObject* node = this;
    while (node->m_z_order == kUnsetZOrder) {
        if (node->m_is_clip || node->m_parent == nullptr)
            return 0;
        node = node->m_parent;
    }
    return node->m_z_order;
}

void ClipObject::set_sprite(ResourceRef<Sprite> sprite) { m_sprite = std::move(sprite); }

// A node whose transform is stale has stale descendants too, so the walk
// stops there.
void ClipObject::invalidate_transform() {
    if (!m_transform_valid)
        return;
    m_transform_valid = false;
    for (ClipObject* child : m_children)
        child->invalidate_transform();
}

Matrix2d ClipObject::local_transform() const {
    const float angle = m_rotation * kRadiansPerTurn;
    const float cosine = std::cos(angle);
    const float sine = std::sin(angle);
    return Matrix2d{cosine * m_scale.x, sine * m_scale.x, -sine * m_scale.y, cosine * m_scale.y, m_position.x,
                    m_position.y};
}

const Matrix2d& ClipObject::absolute_transform() {
    if (m_transform_valid)
        return m_absolute;
    m_absolute = local_transform();
    if (m_parent != nullptr)
        m_absolute = m_absolute.then(m_parent->absolute_transform());
    m_transform_valid = true;
    return m_absolute;
}

Matrix2d ClipObject::drawing_transform(const Matrix2d* extra) {
    const Matrix2d& absolute = absolute_transform();
    return extra != nullptr ? absolute.then(*extra) : absolute;
}

void ClipObject::accumulate(const Color& parent_color, int32_t parent_z) {
    m_accumulated_color = m_color * parent_color;
    m_effective_z_order = m_z_order != kUnsetZOrder ? m_z_order : parent_z;
}

void ClipObject::collect_children(Clip& clip) {
    for (ClipObject* child : m_children)
        child->collect(clip, m_accumulated_color, m_effective_z_order);
}

void ClipObject::collect(Clip& clip, const Color& parent_color, int32_t parent_z) {
    accumulate(parent_color, parent_z);
    clip.add_to_draw_list(m_effective_z_order, *this);
    collect_children(clip);
}

void ClipObject::draw_tree(QuadBatch& batch, const Matrix2d* extra, Color tint) {
    accumulate(tint, 0);
    render(batch, extra);
}

void ClipObject::render(QuadBatch& batch, const Matrix2d* extra) {
    const float alpha = m_accumulated_color.alpha;
    if (!m_sprite || alpha == 0.0f)
        return;
    const Color color{m_accumulated_color.red * alpha, m_accumulated_color.green * alpha,
                      m_accumulated_color.blue * alpha, alpha};
    draw_sprite(batch, *m_sprite.get(), drawing_transform(extra), color);
}

}  // namespace me::clip
