#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "render/particle.h"
#include "render/quad_batch_vertex.h"
#include "resources/emitter_resource.h"
#include "resources/sprite_geometry.h"

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
// The sprite's own colour plays no part.
QuadColor particle_color(const ParticleDescription& description, const Particle& particle);

QuadUv quad_uv(const TextureCorners& corners);

}  // namespace me
