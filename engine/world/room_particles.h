#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "clip/clip.h"
#include "core/color.h"
#include "core/fixed_vec2.h"
#include "core/float_vector.h"
#include "core/resource_ref.h"
#include "resources/sprite.h"
#include "world/particle_surroundings.h"

namespace me {

class RoomDrawLists;

// A particle's box, relative to its position, with the height it stands.
struct ParticleBox {
    FixedVec2 min;
    FixedVec2 max;
    Fixed height = 0;
};

// A cosmetic particle: single-precision floats, never saved with the game,
// stepped at most once per tick number so that re-running ticks after a
// rollback does not speed it up.
struct RoomParticle {
    Vec3 position;
    Vec3 velocity;
    ResourceRef<clip::Clip> clip;
    float damping = 1.0f;
    float gravity = 0.0f;
    float angle = 0.0f;
    float rotation_speed = 0.0f;
    bool has_box = false;
    ParticleBox box;
    float duration = 0.0f;
    float fade_time = 0.0f;
    float age = 0.0f;
    int32_t facing = 0;
    ResourceRef<Sprite> shadow_sprite;
    Vec2 scale{1.0f, 1.0f};
    float length_scale = 0.0f;
    bool turn_to_velocity = false;
    Vec3 base_position;
    int32_t group = 0;
    int32_t layer = 0;
    int32_t renderable_type = 0;
    // Not premultiplied; its alpha is the particle's base alpha.
    Color color;
    int64_t last_tick = std::numeric_limits<int64_t>::min();

    // Where the particle is in the room: its base position plus its own.
    Vec3 room_position() const;
};

// The particles of one room, in creation order.
class RoomParticles {
public:
    // Particles collide with static collisions and the first two entity
    // groups.
    static constexpr int32_t kCollisionMask = 7;
    static constexpr float kStepSeconds = 0.0166667f;

    // Index of the new particle; -1 (nothing created) when the clip does not
    // instantiate.
    int32_t create(const std::string& clip_name, FixedVec2 position, Fixed z, int32_t layer, int32_t renderable_type,
                   int32_t group);
    size_t count() const { return m_particles.size(); }
    // Null for an index outside the particles.
    RoomParticle* find(int64_t index);

    // Also sets the clip looping: the duration decides when it ends.
    static void set_duration_and_fade(RoomParticle& particle, float duration, float fade_time);
    // The ground position of each particle's base; its height stays.
    void update_group_base_position(int32_t group, Vec2 base);
    void kill_all() { m_particles.clear(); }
    // Keeps the first count particles.
    void kill_newer(size_t count);

    // Steps every particle not yet stepped with this tick number, removes
    // the dead and stamps the survivors.
    void tick(int64_t tick_number, const ParticleSurroundings& surroundings);
    // Places each particle's clip and enters it (and its shadow) into the
    // room's lists.
    void add_draw_entries(RoomDrawLists& lists, const ParticleSurroundings& surroundings);

private:
    // False when the particle dies.
    static bool step(RoomParticle& particle, const ParticleSurroundings& surroundings);
    static void move_against_room(RoomParticle& particle, Vec3 displacement, const ParticleSurroundings& surroundings);
    static void fade(RoomParticle& particle);
    static void add_shadow_entry(RoomParticle& particle, RoomDrawLists& lists, const ParticleSurroundings& surroundings);

    std::vector<RoomParticle> m_particles;
};

}  // namespace me
