#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/resource_ref.h"
#include "resources/emitter_resource_ranges.h"
#include "resources/resource_object.h"

namespace me {

class DefReader;
class Sprite;

// What every emitter def describes: when its pulses come and how many
// particles each brings. No factory: only the 2D scene class can be named.
class EmitterResource : public ResourceObject {
public:
    static const ClassRecord kClassRecord;

    EmitterResource();
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    // Stored for the def's sake; spawning does not consult it.
    int32_t maximum_particle_count() const { return m_maximum_particle_count; }
    const EmitterRange& initial_delay() const { return m_initial_delay; }
    // Negative: no limit.
    const EmitterRange& duration() const { return m_duration; }
    // Negative: no limit.
    const EmitterIntRange& pulse_count() const { return m_pulse_count; }
    const EmitterRange& pulse_delay() const { return m_pulse_delay; }
    const EmitterIntRange& pulse_particle_count() const { return m_pulse_particle_count; }

private:
    int32_t m_maximum_particle_count = 0;
    EmitterRange m_initial_delay{0.0f, 0.0f};
    EmitterRange m_duration{-1.0f, -1.0f};
    EmitterIntRange m_pulse_count{-1, -1};
    EmitterRange m_pulse_delay{1.0f, 1.0f};
    EmitterIntRange m_pulse_particle_count{1, 1};
};

// The box new particles appear in, centred on the emitter's position plus
// center.
struct Emitter2DArea {
    std::array<float, 2> center{0.0f, 0.0f};
    std::array<float, 2> size{0.0f, 0.0f};
};

// An emitter that spawns in a 2D area.
class Emitter2DResource : public EmitterResource {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    const Emitter2DArea& area() const { return m_area; }

private:
    Emitter2DArea m_area;
};

// A value running linearly from start to end over a particle's life.
template <class T>
struct ParticleRun {
    T start;
    T end;
};

using ParticleColor = std::array<float, 3>;
using ParticleScale = std::array<float, 2>;

// How each particle of a scene emitter moves and looks. Angles are in turns.
struct ParticleDescription {
    std::vector<ResourceRef<Sprite>> sprites;
    ParticleRange direction{0.0f, 0.0f};
    ParticleRange speed{0.0f, 0.0f};
    ParticleRange gravity{1.0f, 0.0f};
    // A start <= 0 gives each particle the life of its animated sprite.
    ParticleRange duration{0.0f, 0.0f};
    ParticleRange angle{0.0f, 0.0f};
    float rotation_speed = 0.0f;
    ParticleRange alpha{1.0f, 0.0f};
    std::optional<ParticleRun<float>> alpha_run;
    std::optional<ParticleRun<ParticleColor>> color_run;
    std::optional<ParticleRun<ParticleScale>> scale_run;
    std::optional<ParticleRun<float>> occlusion_run;
};

// The one emitter class defs can name: 2D particles drawn as sprites through
// the quad batch.
class SceneEmitterResource : public Emitter2DResource {
public:
    static const ClassRecord kClassRecord;

    SceneEmitterResource();
    ~SceneEmitterResource() override;
    const ClassRecord& class_record() const override { return kClassRecord; }
    bool load() override;

    const ParticleDescription& particle() const { return m_particle; }

private:
    ParticleDescription m_particle;
};

}  // namespace me
