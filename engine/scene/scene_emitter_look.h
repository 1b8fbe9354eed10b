#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gpu/quad_batch_vertex.h"
#include "resources/emitter_resource.h"
#include "scene/particle.h"

namespace me {

// The run's value at fraction f of a particle's life.
inline float run_value(const ParticleRun<float>& run, float f) { return run.start + f * (run.end - run.start); }

template <std::size_t N>
std::array<float, N> run_value(const ParticleRun<std::array<float, N>>& run, float f) {
    std::array<float, N> value{};
    for (std::size_t i = 0; i < N; ++i)
        value[i] = run.start[i] + f * (run.end[i] - run.start[i]);
    return value;
}

// The particle's premultiplied colour now: its alpha faded by the alpha run,
// tinted by the colour run, with the occlusion run thinning only the alpha.
// The sprite's own colour plays no part. Inline because every particle's
// quad asks for it.
inline Color particle_color(const ParticleDescription& description, const Particle& particle) {
    const float f = particle.age / particle.life;
    const float alpha = particle.alpha * (description.alpha_run ? run_value(*description.alpha_run, f) : 1.0f);
    const ParticleColor rgb = description.color_run ? run_value(*description.color_run, f) : ParticleColor{1, 1, 1};
    const float occlusion = description.occlusion_run ? run_value(*description.occlusion_run, f) : 1.0f;
    return {alpha * rgb[0], alpha * rgb[1], alpha * rgb[2], alpha * occlusion};
}

}  // namespace me
