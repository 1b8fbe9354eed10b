#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/color.h"
#include "core/resource_ref.h"
#include "resources/sprite.h"
#include "world/collision.h"
#include "world/debug_draw_areas.h"
#include "world/room_decorations.h"
#include "world/room_draw_list.h"
#include "world/room_particles.h"

namespace me {

class RoomRenderer;
class View2d;

// The side of a room that only shows: decorations, particles, debug areas
// and the lists it draws through. Nothing here is saved with the game or
// read by the simulation, so peers may differ in it freely.
class RoomScenery {
public:
    // Whether rooms outline every collision shape, and show their light map
    // instead of the lit scene.
    static bool draws_collisions();
    static bool shows_lights();

    RoomDecorations& decorations() { return m_decorations; }
    RoomParticles& particles() { return m_particles; }
    DebugDrawAreas& debug_areas() { return m_debug_areas; }
    RoomDrawLists& draw_lists() { return m_draw_lists; }
    // The solid white sprite outlines and fades are drawn with; null when
    // it cannot be had.
    const Sprite* white();

    // The room tick's steps before its entities: debug areas count down,
    // static clips advance unless paused, particles step.
    void tick(bool pause_static_clips, int64_t tick_number, const ParticleSurroundings& surroundings);

    // Adds what the room shows itself to the entries its entities added,
    // then draws all of it into the view.
    void render(const View2d& view, RoomRenderer& renderer, const ParticleSurroundings& surroundings,
                std::span<const Collision> statics, const std::array<uint8_t, 4>& ambient);
    void render_fade(const View2d& view, RoomRenderer& renderer, float amount);

private:
    void add_static_outlines(std::span<const Collision> statics);

    RoomDecorations m_decorations;
    RoomParticles m_particles;
    DebugDrawAreas m_debug_areas;
    RoomDrawLists m_draw_lists;
    ResourceRef<Sprite> m_white;
};

}  // namespace me
