#pragma once

#include <cstddef>
#include <vector>

#include "scene/emitter2d.h"
#include "scene/particle.h"

namespace me {

class QuadBatch;
class Texture;

// The running emitter of a SceneObject: spawns the particles its resource
// describes, moves them and writes one quad per particle.
class SceneEmitter : public Emitter2D {
public:
    static const ClassRecord kClassRecord;
    // Spawns beyond this many live particles are dropped, so that a def
    // asking for billions cannot exhaust memory.
    static constexpr std::size_t kMaxLiveParticles = std::size_t{1} << 20;

    SceneEmitter();
    ~SceneEmitter() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    // (Re)starts with resource, which the emitter holds; live particles are
    // dropped.
    void start(SceneEmitterResource& resource);
    // Spawns the particles due within dt around the world position, then
    // ages and moves every particle. Does nothing before start.
    void update(float dt, float world_x, float world_y);
    // One quad per live particle, in spawn order, until the batch refuses one.
    void write_quads(QuadBatch& batch) const;

    std::size_t live_particle_count() const { return m_particles.size(); }
    const std::vector<Particle>& particles() const { return m_particles; }
    // Null before start.
    const SceneEmitterResource* resource() const { return m_resource.get(); }

private:
    void spawn(float world_x, float world_y);
    // False once the particle's life is over.
    bool advance(Particle& particle, float dt) const;
    // How many particles from `first` on (at least that one, at most
    // `limit`) are drawn with the texture.
    std::size_t texture_run(std::size_t first, const Texture& texture, std::size_t limit) const;

    ResourceRef<SceneEmitterResource> m_resource;
    std::vector<Particle> m_particles;
};

}  // namespace me
