#pragma once

namespace me {

class EntityBase;
class RoomBase;
class RoomDrawLists;
class Sprite;

// What an entity shows, placed for this frame and entered into its room's
// lists: the main clip (or, while it hangs under another entity's clip, just
// placed there), the light clip, the shadow on the ground below and, when
// collisions are drawn, the outline of its shape.
class EntityDrawing {
public:
    static constexpr float kOutlineThickness = 2.0f;

    EntityDrawing(EntityBase& entity, const RoomBase& room, RoomDrawLists& lists)
        : m_entity(entity), m_room(room), m_lists(lists) {}

    void add_entries(const Sprite* white, bool draw_collisions);

private:
    void place_main_clip(float shake);
    void place_light_clip(float shake);
    void add_shadow();
    void add_collision_outline(const Sprite& white);
    float mirrored(float x) const;

    EntityBase& m_entity;
    const RoomBase& m_room;
    RoomDrawLists& m_lists;
};

}  // namespace me
