#include "scene/scene_emitter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gpu/quad_batch.h"
#include "resources/sprite.h"
#include "scene/scene_emitter_animation.h"
#include "scene/scene_emitter_look.h"

namespace me {

namespace {

float draw(Xorshift128& random, const ParticleRange& range) {
    return range.start + random.next_float(0.0f, 1.0f) * range.extent;
}

float turns_to_radians(float turns) { return 2.0f * std::numbers::pi_v<float> * turns; }

// The texture a particle's quad is drawn with, or null when it draws none.
const Texture* drawn_texture(const Particle& particle) {
    const Sprite& drawn = drawn_sprite(particle);
    return drawn.is_special_texture() ? nullptr : drawn.texture();
}

// The particle's sprite rectangle around its pivot, scaled by the particle's
// scale, turned by its rotation and placed at its position.
void write_particle_quad(std::span<QuadVertex> quad, const Particle& particle,
                         const ParticleDescription& description) {
    const Sprite& drawn = drawn_sprite(particle);
    const float angle = turns_to_radians(particle.rotation);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const Matrix2d transform{c * particle.scale_x, s * particle.scale_x, -s * particle.scale_y,
                             c * particle.scale_y, particle.x, particle.y};
    write_quad(quad, transform, drawn.size(), drawn.pivot(), quad_uv(drawn.corners()),
               pack_quad_color(particle_color(description, particle)));
}

}  // namespace

const ClassRecord SceneEmitter::kClassRecord{"SceneEmitter", &Emitter2D::kClassRecord};

SceneEmitter::SceneEmitter() = default;
SceneEmitter::~SceneEmitter() = default;

void SceneEmitter::start(SceneEmitterResource& resource) {
    m_resource = ResourceRef<SceneEmitterResource>(&resource);
    start_pulses(resource);
    m_particles.clear();
}

void SceneEmitter::update(float dt, float world_x, float world_y) {
    if (!m_resource)
        return;
    const int64_t due = pulse(dt);
    const std::size_t room = kMaxLiveParticles - std::min(m_particles.size(), kMaxLiveParticles);
    const std::size_t spawned = std::min(static_cast<std::size_t>(due), room);
    for (std::size_t i = 0; i < spawned; ++i)
        spawn(world_x, world_y);
    std::erase_if(m_particles, [this, dt](Particle& particle) { return !advance(particle, dt); });
}

// The order of the draws is part of the behaviour: the area point from the
// emitter's own generator, then the particle's motion and look from the
// application's.
void SceneEmitter::spawn(float world_x, float world_y) {
    const ParticleDescription& description = m_resource->particle();
    Particle& particle = m_particles.emplace_back();
    const auto [x, y] = spawn_point(m_resource->area(), world_x, world_y);
    particle.x = x;
    particle.y = y;
    Xorshift128& random = application_random();
    const float direction = turns_to_radians(draw(random, description.direction));
    const float speed = draw(random, description.speed);
    particle.velocity_x = std::sin(direction) * speed;
    particle.velocity_y = -std::cos(direction) * speed;
    particle.alpha = draw(random, description.alpha);
    particle.gravity = draw(random, description.gravity);
    particle.rotation = draw(random, description.angle);
    const auto sprite_count = static_cast<int32_t>(description.sprites.size());
    const int32_t sprite_index = sprite_count > 1 ? random.next_int(0, sprite_count - 1) : 0;
    particle.sprite = description.sprites[static_cast<std::size_t>(sprite_index)].get();
    particle.life = description.duration.start > 0.0f ? draw(random, description.duration) : particle.sprite->duration();
}

bool SceneEmitter::advance(Particle& particle, float dt) const {
    particle.age += dt;
    if (particle.age >= particle.life)
        return false;
    advance_particle_frame(particle, dt);
    particle.velocity_y += dt * particle.gravity;
    particle.x += dt * particle.velocity_x;
    particle.y += dt * particle.velocity_y;
    const ParticleDescription& description = m_resource->particle();
    if (description.scale_run) {
        const ParticleScale scale = run_value(*description.scale_run, particle.age / particle.life);
        particle.scale_x = scale[0];
        particle.scale_y = scale[1];
    }
    particle.rotation += dt * description.rotation_speed;
    return true;
}

// Consecutive particles of one texture are reserved together, so that the
// batch is asked once per run instead of once per particle. A run never
// exceeds the batch's room, so batches fill and flush exactly where one
// reserve per particle would flush them.
void SceneEmitter::write_quads(QuadBatch& batch) const {
    if (!m_resource)
        return;
    const ParticleDescription& description = m_resource->particle();
    std::size_t next = 0;
    while (next < m_particles.size()) {
        const Texture* texture = drawn_texture(m_particles[next]);
        if (texture == nullptr) {
            ++next;
            continue;
        }
        const auto room = static_cast<std::size_t>(batch.room_for(static_cast<GLuint>(texture->gl_name())));
        const std::size_t count = texture_run(next, *texture, room);
        const std::span<QuadVertex> quads = reserve_quads(batch, *texture, static_cast<int>(count));
        if (quads.empty())
            return;
        for (std::size_t i = 0; i < count; ++i)
            write_particle_quad(quads.subspan(4 * i, 4), m_particles[next + i], description);
        next += count;
    }
}

std::size_t SceneEmitter::texture_run(std::size_t first, const Texture& texture, std::size_t limit) const {
    const std::size_t end = first + std::min(limit, m_particles.size() - first);
    std::size_t last = first + 1;
    while (last < end && drawn_texture(m_particles[last]) == &texture)
        ++last;
    return last - first;
}

}  // namespace me
