#include "world/room_particles.h"

#include <cmath>

#include "clip/clip_resource.h"
#include "clip/clip_time.h"
#include "world/entity_shadow.h"
#include "world/room_draw_list.h"

namespace me {

namespace {

constexpr float kBounceFactor = -0.5f;
constexpr float kLandingSpinFactor = 0.4f;
constexpr float kGroundFriction = 0.8f;

CollisionBounds box_at(const ParticleBox& box, Vec3 position) {
    const Fixed x = fixed_from_float(position.x);
    const Fixed y = fixed_from_float(position.y);
    return {fixed_add(x, box.min.x), fixed_add(y, box.min.y), fixed_add(x, box.max.x), fixed_add(y, box.max.y)};
}

CollisionBounds point_box(Vec3 position) {
    return CollisionBounds::unit_at({fixed_from_float(position.x), fixed_from_float(position.y)});
}

// The direction the particle is seen moving in on screen, where height goes up.
Vec2 screen_velocity(const RoomParticle& particle) {
    return {particle.velocity.x, particle.velocity.y - particle.velocity.z};
}

}  // namespace

Vec3 RoomParticle::room_position() const {
    return {base_position.x + position.x, base_position.y + position.y, base_position.z + position.z};
}

int32_t RoomParticles::create(const std::string& clip_name, FixedVec2 position, Fixed z, int32_t layer,
                              int32_t renderable_type, int32_t group) {
    ResourceRef<clip::Clip> played = clip::instantiate_clip(clip_name);
    if (!played)
        return -1;
    RoomParticle& particle = m_particles.emplace_back();
    particle.clip = std::move(played);
    particle.position = {fixed_to_float(position.x), fixed_to_float(position.y), fixed_to_float(z)};
    particle.layer = layer;
    particle.renderable_type = renderable_type;
    particle.group = group;
    return static_cast<int32_t>(m_particles.size() - 1);
}

RoomParticle* RoomParticles::find(int64_t index) {
    if (index < 0 || static_cast<uint64_t>(index) >= m_particles.size())
        return nullptr;
    return &m_particles[static_cast<size_t>(index)];
}

void RoomParticles::set_duration_and_fade(RoomParticle& particle, float duration, float fade_time) {
    particle.duration = duration;
    particle.fade_time = fade_time;
    particle.clip->set_looping(true);
}

void RoomParticles::update_group_base_position(int32_t group, Vec2 base) {
    for (RoomParticle& particle : m_particles) {
        if (particle.group == group) {
            particle.base_position.x = base.x;
            particle.base_position.y = base.y;
        }
    }
}

void RoomParticles::kill_newer(size_t count) {
    if (count < m_particles.size())
        m_particles.erase(m_particles.begin() + static_cast<std::ptrdiff_t>(count), m_particles.end());
}

void RoomParticles::tick(int64_t tick_number, const ParticleSurroundings& surroundings) {
    size_t kept = 0;
    for (size_t i = 0; i < m_particles.size(); ++i) {
        RoomParticle& particle = m_particles[i];
        if (particle.last_tick < tick_number && !step(particle, surroundings))
            continue;
        particle.last_tick = tick_number;
        if (kept != i)
            m_particles[kept] = std::move(particle);
        ++kept;
    }
    m_particles.resize(kept);
}

bool RoomParticles::step(RoomParticle& particle, const ParticleSurroundings& surroundings) {
    clip::Clip& played = *particle.clip.get();
    if (played.is_at_end())
        return false;
    particle.age += kStepSeconds;
    if (particle.duration > 0.0f && particle.age > particle.duration)
        return false;
    played.advance_in_time(clip::kClipTicksPerGameTick);
    Vec3& velocity = particle.velocity;
    velocity.x *= particle.damping;
    velocity.y *= particle.damping;
    velocity.z = particle.damping * (velocity.z - particle.gravity * kStepSeconds);
    const Vec3 displacement{velocity.x * kStepSeconds, velocity.y * kStepSeconds, velocity.z * kStepSeconds};
    if (particle.has_box) {
        move_against_room(particle, displacement, surroundings);
    } else {
        particle.position.x += displacement.x;
        particle.position.y += displacement.y;
        particle.position.z += displacement.z;
    }
    fade(particle);
    particle.angle += particle.rotation_speed * kStepSeconds;
    return true;
}

// Walls halve and reverse the velocity across them, the ground halves and
// reverses the fall and slows the spin, and a particle lying on the ground
// rolls to a stop.
void RoomParticles::move_against_room(RoomParticle& particle, Vec3 displacement,
                                      const ParticleSurroundings& surroundings) {
    const Vec3 at = particle.room_position();
    const FixedVec2 wanted{fixed_from_float(displacement.x), fixed_from_float(displacement.y)};
    const FixedVec2 allowed =
        surroundings.sweep(box_at(particle.box, at), fixed_from_float(at.z), kCollisionMask, wanted);
    if (allowed.x != wanted.x)
        particle.velocity.x *= kBounceFactor;
    if (allowed.y != wanted.y)
        particle.velocity.y *= kBounceFactor;
    particle.position.x += fixed_to_float(allowed.x);
    particle.position.y += fixed_to_float(allowed.y);

    const Vec3 moved = particle.room_position();
    const CollisionBounds box = box_at(particle.box, moved);
    const float ground = fixed_to_float(surroundings.ground_below(box, fixed_from_float(moved.z), kCollisionMask));
    const bool has_ground = ground > fixed_to_float(kNoGroundHeight);
    if (has_ground && moved.z + displacement.z < ground) {
        particle.position.z += ground - moved.z;
        particle.velocity.z *= kBounceFactor;
        particle.rotation_speed *= kLandingSpinFactor;
    } else {
        particle.position.z += displacement.z;
    }
    const float z = particle.room_position().z;
    const Fixed under = surroundings.ground_below(box, fixed_from_float(z), kCollisionMask);
    if (std::trunc(z) == std::trunc(fixed_to_float(under))) {
        particle.rotation_speed *= kGroundFriction;
        particle.velocity.x *= kGroundFriction;
        particle.velocity.y *= kGroundFriction;
    }
}

void RoomParticles::fade(RoomParticle& particle) {
    const float fade_start = particle.duration - particle.fade_time;
    float alpha = particle.color.alpha;
    if (particle.fade_time > 0.0f && particle.duration > 0.0f && particle.age > fade_start)
        alpha *= 1.0f - (particle.age - fade_start) / particle.fade_time;
    particle.clip->set_alpha(alpha);
}

void RoomParticles::add_draw_entries(RoomDrawLists& lists, const ParticleSurroundings& surroundings) {
    for (RoomParticle& particle : m_particles) {
        const Vec3 at = particle.room_position();
        const Vec2 seen = screen_velocity(particle);
        const float speed = std::hypot(seen.x, seen.y);
        Vec2 scale = particle.scale;
        if (particle.length_scale != 0.0f)
            scale.x *= 1.0f + speed * particle.length_scale;
        if (particle.facing > 0)
            scale.x = -scale.x;
        float angle = particle.angle;
        if (particle.turn_to_velocity && speed > 0.0f)
            angle = std::atan2(seen.y, seen.x) * RADIANS_TO_TURNS;
        clip::Clip& played = *particle.clip.get();
        played.set_position({at.x, at.y - at.z});
        played.set_scale(scale);
        played.set_rotation(angle);
        played.set_color({particle.color.red, particle.color.green, particle.color.blue, played.color().alpha});
        DrawEntry entry;
        entry.layer = particle.layer;
        entry.key = depth_key(particle.layer, fixed_from_float(at.y), fixed_from_float(at.z), particle.renderable_type);
        entry.y = at.y;
        entry.clip = &played;
        lists.add(entry);
        if (particle.shadow_sprite)
            add_shadow_entry(particle, lists, surroundings);
    }
}

// The shadow lies on the surface under the particle, shrinking with height.
void RoomParticles::add_shadow_entry(RoomParticle& particle, RoomDrawLists& lists,
                                     const ParticleSurroundings& surroundings) {
    const Vec3 at = particle.room_position();
    const Fixed z = fixed_from_float(at.z);
    const Fixed ground = surroundings.ground_below(point_box(at), z, kCollisionMask);
    if (ground <= kNoGroundHeight)
        return;
    const float shrink = shadow_scale(z, ground, false);
    const float ground_y = at.y - fixed_to_float(ground);
    DrawEntry entry;
    entry.layer = kDepthDrawLayer;
    entry.key = shadow_depth_key(fixed_from_float(at.y), ground);
    entry.y = at.y;
    entry.sprite = particle.shadow_sprite.get();
    entry.transform = {shrink * particle.scale.x, 0.0f, 0.0f, shrink * particle.scale.y, at.x, ground_y};
    entry.color = premultiplied({1.0f, 1.0f, 1.0f, particle.clip->color().alpha});
    lists.add(entry);
}

}  // namespace me
