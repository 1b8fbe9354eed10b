#pragma once

#include <cstdint>
#include <vector>

#include "clip/clip.h"
#include "core/color.h"
#include "core/fixed_vec2.h"
#include "core/resource_ref.h"
#include "resources/sprite.h"
#include "world/collision.h"

namespace me {

class RoomDrawLists;

// Where a static object stands and how it sorts: its ground position and
// height, the ground point that takes the place of its y in the depth key,
// its layer and renderable type, and its scale.
struct StaticPlacement {
    int32_t renderable_type = 0;
    FixedVec2 position;
    Fixed z = 0;
    FixedVec2 sort_position;
    int32_t layer = 0;
    FixedVec2 scale{FIXED_ONE, FIXED_ONE};
};

// A sprite or a clip that stays where the level put it, optionally marking
// a floor area (a decal that tells footsteps what they walk on).
struct StaticObject {
    StaticPlacement placement;
    float angle = 0.0f;
    ResourceRef<Sprite> sprite;
    ResourceRef<clip::Clip> clip;
    // Not premultiplied.
    Color color;
    bool has_floor_area = false;
    int32_t floor_type = 0;
    CollisionBounds floor_area;
};

struct OverlayClip {
    FixedVec2 position;
    Fixed z = 0;
    int32_t layer = 0;
    ResourceRef<clip::Clip> clip;
};

// The room's decorations: static sprite and clip objects (decals among
// them) and overlay clips. Indices are in the order of adding and never
// change, since nothing is removed before the room goes.
class RoomDecorations {
public:
    static constexpr int32_t kOverlayRenderableType = 3;

    // Index of the new object; -1 when there is nothing to show.
    int32_t add_sprite_object(const StaticPlacement& placement, ResourceRef<Sprite> sprite);
    // The clip is placed at its drawn position, set looping and scaled.
    int32_t add_clip_object(const StaticPlacement& placement, ResourceRef<clip::Clip> played);
    void add_overlay(FixedVec2 position, Fixed z, int32_t layer, ResourceRef<clip::Clip> played);

    size_t count() const { return m_objects.size(); }
    size_t overlay_count() const { return m_overlays.size(); }
    // Null for an index outside the objects.
    StaticObject* find(int64_t index);

    static void set_color(StaticObject& object, Color color);
    static void set_angle(StaticObject& object, float turns);
    // The area is the object's position plus the offsets scaled by the
    // object's scale, in Fixed so that every peer finds the same floor.
    static void set_floor_type(StaticObject& object, int32_t floor_type, FixedVec2 min, FixedVec2 max);
    // The floor type of the most recently added object whose area holds the
    // point; 0 when none does.
    int32_t floor_type_at(FixedVec2 point) const;

    // Advances every static object's clip by one game tick.
    void advance_clips();
    void add_draw_entries(RoomDrawLists& lists) const;

private:
    int32_t append(StaticObject object);

    std::vector<StaticObject> m_objects;
    std::vector<OverlayClip> m_overlays;
};

}  // namespace me
