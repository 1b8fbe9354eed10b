#include "world/room_scenery.h"

#include "core/builtin_cvars.h"
#include "world/entity_drawing.h"
#include "world/room_renderer.h"

namespace me {

namespace {

constexpr Color kStaticOutlineColor{0.5f, 0.5f, 0.5f, 0.5f};

Color ambient_color(const std::array<uint8_t, 4>& ambient) {
    return {ambient[0] * kColorByteScale, ambient[1] * kColorByteScale, ambient[2] * kColorByteScale,
            ambient[3] * kColorByteScale};
}

}  // namespace

bool RoomScenery::draws_collisions() { return cvars::draw_collisions.bool_value(); }

bool RoomScenery::shows_lights() { return cvars::debug_lights.bool_value(); }

const Sprite* RoomScenery::white() {
    if (!m_white)
        m_white = load_sprite("_white_");
    return m_white.get();
}

void RoomScenery::tick(bool pause_static_clips, int64_t tick_number, const ParticleSurroundings& surroundings) {
    m_debug_areas.tick();
    if (!pause_static_clips)
        m_decorations.advance_clips();
    m_particles.tick(tick_number, surroundings);
}

void RoomScenery::render(const View2d& view, RoomRenderer& renderer, const ParticleSurroundings& surroundings,
                         std::span<const Collision> statics, const std::array<uint8_t, 4>& ambient) {
    m_decorations.add_draw_entries(m_draw_lists);
    m_particles.add_draw_entries(m_draw_lists, surroundings);
    const Sprite* solid = white();
    if (solid != nullptr) {
        m_debug_areas.add_draw_entries(m_draw_lists, *solid);
        if (draws_collisions())
            add_static_outlines(statics);
    }
    renderer.render(view, m_draw_lists, ambient_color(ambient), shows_lights());
}

void RoomScenery::render_fade(const View2d& view, RoomRenderer& renderer, float amount) {
    if (const Sprite* solid = white())
        renderer.render_fade(view, *solid, amount);
}

// Static shapes stand on the ground: their footprints are outlined there.
void RoomScenery::add_static_outlines(std::span<const Collision> statics) {
    for (const Collision& collision : statics) {
        if (!collision.has_shape())
            continue;
        const CollisionBounds& bounds = collision.m_bounds;
        add_outline(m_draw_lists, kDebugDrawLayer, *m_white.get(),
                    {fixed_to_float(bounds.min_x), fixed_to_float(bounds.min_y)},
                    {fixed_to_float(bounds.max_x), fixed_to_float(bounds.max_y)}, EntityDrawing::kOutlineThickness,
                    premultiplied(kStaticOutlineColor));
    }
}

}  // namespace me
