#include "world/room_decorations.h"

#include <cmath>

#include "clip/clip_time.h"
#include "world/room_draw_list.h"

namespace me {

namespace {

Vec2 float_scale(FixedVec2 scale) { return {fixed_to_float(scale.x), fixed_to_float(scale.y)}; }

Vec2 drawn_position(FixedVec2 position, Fixed z) {
    return {fixed_to_float(position.x), fixed_to_float(fixed_sub(position.y, z))};
}

FixedVec2 scaled_offset(FixedVec2 offset, FixedVec2 scale) {
    return {fixed_mul(offset.x, scale.x), fixed_mul(offset.y, scale.y)};
}

Matrix2d sprite_transform(const StaticObject& object) {
    const Vec2 at = drawn_position(object.placement.position, object.placement.z);
    const Vec2 scale = float_scale(object.placement.scale);
    const float radians = object.angle * TURNS_TO_RADIANS;
    const float cosine = std::cos(radians);
    const float sine = std::sin(radians);
    return {cosine * scale.x, sine * scale.x, -sine * scale.y, cosine * scale.y, at.x, at.y};
}

DrawEntry placed_entry(int32_t layer, FixedVec2 sort_position, Fixed z, int32_t renderable_type) {
    DrawEntry entry;
    entry.layer = layer;
    entry.key = depth_key(layer, sort_position.y, z, renderable_type);
    entry.y = fixed_to_float(sort_position.y);
    return entry;
}

}  // namespace

int32_t RoomDecorations::add_sprite_object(const StaticPlacement& placement, ResourceRef<Sprite> sprite) {
    if (!sprite)
        return -1;
    StaticObject object;
    object.placement = placement;
    object.sprite = std::move(sprite);
    return append(std::move(object));
}

int32_t RoomDecorations::add_clip_object(const StaticPlacement& placement, ResourceRef<clip::Clip> played) {
    if (!played)
        return -1;
    played->set_position(drawn_position(placement.position, placement.z));
    played->set_looping(true);
    played->set_scale(float_scale(placement.scale));
    StaticObject object;
    object.placement = placement;
    object.clip = std::move(played);
    return append(std::move(object));
}

void RoomDecorations::add_overlay(FixedVec2 position, Fixed z, int32_t layer, ResourceRef<clip::Clip> played) {
    played->set_position(drawn_position(position, z));
    m_overlays.push_back({position, z, layer, std::move(played)});
}

int32_t RoomDecorations::append(StaticObject object) {
    m_objects.push_back(std::move(object));
    return static_cast<int32_t>(m_objects.size() - 1);
}

StaticObject* RoomDecorations::find(int64_t index) {
    if (index < 0 || static_cast<uint64_t>(index) >= m_objects.size())
        return nullptr;
    return &m_objects[static_cast<size_t>(index)];
}

void RoomDecorations::set_color(StaticObject& object, Color color) {
    object.color = color;
    if (object.clip)
        object.clip->set_color(color);
}

void RoomDecorations::set_angle(StaticObject& object, float turns) {
    object.angle = turns;
    if (object.clip)
        object.clip->set_rotation(turns);
}

void RoomDecorations::set_floor_type(StaticObject& object, int32_t floor_type, FixedVec2 min, FixedVec2 max) {
    const FixedVec2 position = object.placement.position;
    const FixedVec2 scale = object.placement.scale;
    const FixedVec2 low = position + scaled_offset(min, scale);
    const FixedVec2 high = position + scaled_offset(max, scale);
    object.floor_type = floor_type;
    object.has_floor_area = true;
    object.floor_area = {low.x, low.y, high.x, high.y};
}

int32_t RoomDecorations::floor_type_at(FixedVec2 point) const {
    for (auto object = m_objects.rbegin(); object != m_objects.rend(); ++object)
        if (object->has_floor_area && object->floor_area.contains(point))
            return object->floor_type;
    return 0;
}

void RoomDecorations::advance_clips() {
    for (StaticObject& object : m_objects)
        if (object.clip)
            object.clip->advance_in_time(clip::kClipTicksPerGameTick);
}

void RoomDecorations::add_draw_entries(RoomDrawLists& lists) const {
    for (const StaticObject& object : m_objects) {
        const StaticPlacement& placement = object.placement;
        DrawEntry entry = placed_entry(placement.layer, placement.sort_position, placement.z, placement.renderable_type);
        if (object.clip) {
            entry.clip = object.clip.get();
        } else {
            entry.sprite = object.sprite.get();
            entry.transform = sprite_transform(object);
            entry.color = premultiplied(object.color);
        }
        lists.add(entry);
    }
    for (const OverlayClip& overlay : m_overlays) {
        DrawEntry entry = placed_entry(overlay.layer, overlay.position, overlay.z, kOverlayRenderableType);
        entry.clip = overlay.clip.get();
        lists.add(entry);
    }
}

}  // namespace me
