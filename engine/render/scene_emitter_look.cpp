#include "render/scene_emitter_look.h"

namespace me {

QuadColor particle_color(const ParticleDescription& description, const Particle& particle) {
    const float f = particle.age / particle.life;
    const float alpha = particle.alpha * (description.alpha_run ? run_value(*description.alpha_run, f) : 1.0f);
    const ParticleColor rgb = description.color_run ? run_value(*description.color_run, f) : ParticleColor{1, 1, 1};
    const float occlusion = description.occlusion_run ? run_value(*description.occlusion_run, f) : 1.0f;
    return {alpha * rgb[0], alpha * rgb[1], alpha * rgb[2], alpha * occlusion};
}

QuadUv quad_uv(const TextureCorners& corners) {
    return {{corners.top_left.u, corners.top_left.v},
            {corners.top_right.u, corners.top_right.v},
            {corners.bottom_left.u, corners.bottom_left.v},
            {corners.bottom_right.u, corners.bottom_right.v}};
}

}  // namespace me
