#include "world/entity_drawing.h"

#include <cmath>

#include "world/entity_base.h"
#include "world/entity_shadow.h"
#include "world/hit_shake.h"
#include "world/room_base.h"
#include "world/room_draw_list.h"

namespace me {

namespace {

constexpr Color kOutlineColor{0.16f, 0.64f, 0.8f, 0.8f};

float to_float(Fixed value) { return fixed_to_float(value); }

// The ground point the entity is drawn from.
Vec2 anchored(const EntityBase& entity) {
    const FixedVec2 at = entity.position() + entity.anchor_offset();
    return {to_float(at.x), to_float(at.y)};
}

Vec2 entity_scale(const EntityBase& entity) { return {to_float(entity.scale().x), to_float(entity.scale().y)}; }

// The scale of the outermost clip above the node, which its whole tree
// takes on.
Vec2 topmost_scale(const clip::ClipObject& node) {
    const clip::ClipObject* top = &node;
    while (top->parent() != nullptr)
        top = top->parent();
    return top->scale();
}

}  // namespace

void EntityDrawing::add_entries(const Sprite* white, bool draw_collisions) {
    const float shake = to_float(hit_shake_offset(m_entity.hit_shake_timeout(), m_entity.is_small_hit_shake()));
    place_main_clip(shake);
    place_light_clip(shake);
    if (m_entity.shadow_sprite() != nullptr && !m_entity.has_flag(EntityBase::kFlagScissor) && !m_entity.is_grabbed())
        add_shadow();
    if (draw_collisions && white != nullptr && m_entity.has_collision())
        add_collision_outline(*white);
}

float EntityDrawing::mirrored(float x) const { return m_entity.facing() != 0 ? -x : x; }

void EntityDrawing::place_main_clip(float shake) {
    clip::Clip* shown = m_entity.clips().clip();
    if (shown == nullptr)
        return;
    shown->set_color(m_entity.color());
    const Vec2 scale = entity_scale(m_entity);
    if (shown->parent() != nullptr) {
        // Hanging under another clip, whose scale already applies.
        const Vec2 parent = topmost_scale(*shown);
        shown->set_position({to_float(m_entity.grabbed_offset_x()), to_float(m_entity.grabbed_offset_y())});
        shown->set_scale({mirrored(scale.x) / std::fabs(parent.x), scale.y / parent.y});
        return;
    }
    const Vec2 at = anchored(m_entity);
    shown->set_position({at.x, at.y + shake - to_float(m_entity.z())});
    shown->set_scale({mirrored(scale.x), scale.y});
    DrawEntry entry;
    entry.layer = m_entity.z_order();
    entry.key = depth_key(entry.layer, m_entity.position().y, m_entity.z(), m_entity.renderable_type());
    entry.y = m_entity.renderable_type() == kShadowRenderableType ? 0.0f : to_float(m_entity.position().y);
    entry.clip = shown;
    entry.scissor = m_entity.has_flag(EntityBase::kFlagScissor);
    entry.ground_y = at.y;
    m_lists.add(entry);
}

void EntityDrawing::place_light_clip(float shake) {
    clip::Clip* light = m_entity.clips().light_clip();
    if (light == nullptr)
        return;
    const EntityClips& clips = m_entity.clips();
    const Color& color = m_entity.color();
    light->set_color({color.red, color.green, color.blue, 1.0f});
    const Vec2 scale = entity_scale(m_entity);
    light->set_scale({mirrored(scale.x), scale.y});
    const float offset_y = to_float(clips.light_clip_offset_y());
    clip::Clip* shown = clips.clip();
    if (shown != nullptr && shown->parent() != nullptr) {
        float x = mirrored(to_float(m_entity.grabbed_offset_x()));
        float y = to_float(m_entity.grabbed_offset_y());
        shown->absolute_transform().transform(x, y);
        light->set_position({x, y + offset_y});
    } else {
        const Vec2 at = anchored(m_entity);
        light->set_position({at.x + mirrored(to_float(clips.light_clip_offset_x())),
                             at.y + offset_y + shake - to_float(clips.light_clip_offset_z()) -
                                 to_float(m_entity.z())});
    }
    DrawEntry entry;
    entry.layer = kLightDrawLayer;
    entry.y = to_float(m_entity.position().y);
    entry.clip = light;
    m_lists.add(entry);
}

// On the highest surface under the entity that is not above it, smaller the
// higher the entity is.
void EntityDrawing::add_shadow() {
    const uint16_t mask = m_entity.collision_mask() | EntityBase::kStaticCollisionBit;
    const Fixed ground = m_room.highest_top_under(m_entity, mask, kNoGroundHeight, m_entity.z());
    if (ground <= kNoGroundHeight)
        return;
    const float shrink = shadow_scale(m_entity.z(), ground, m_entity.has_flag(EntityBase::kFlagNoShadowScale));
    const Vec2 scale = entity_scale(m_entity);
    const float scale_x = (m_entity.facing() == 1 ? -shrink : shrink) * scale.x;
    const Vec2 at = anchored(m_entity);
    DrawEntry entry;
    entry.layer = kDepthDrawLayer;
    entry.key = shadow_depth_key(fixed_add(m_entity.position().y, m_entity.anchor_offset().y), ground);
    entry.y = to_float(m_entity.position().y);
    entry.sprite = m_entity.shadow_sprite();
    entry.transform = {scale_x, 0.0f, 0.0f, shrink * scale.y, at.x, at.y - to_float(ground)};
    entry.color = premultiplied(m_entity.color());
    m_lists.add(entry);
}

void EntityDrawing::add_collision_outline(const Sprite& white) {
    const CollisionBounds& bounds = m_entity.collision().m_bounds;
    const float z = to_float(m_entity.z());
    add_outline(m_lists, kDebugDrawLayer, white, {to_float(bounds.min_x), to_float(bounds.min_y) - z},
                {to_float(bounds.max_x), to_float(bounds.max_y) - z}, kOutlineThickness, premultiplied(kOutlineColor));
}

}  // namespace me
