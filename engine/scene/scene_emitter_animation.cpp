#include "scene/scene_emitter_animation.h"

#include <cmath>

namespace me {

void advance_particle_frame(Particle& particle, float dt) {
    const Sprite& sprite = *particle.sprite;
    const std::size_t count = sprite.frame_count();
    if (!sprite.is_animated() || count == 0)
        return;
    particle.frame_time += dt;
    // Whole cycles of a looping sprite land on the same frame; skipping them
    // bounds the walk below however large dt is.
    if (sprite.loops() && sprite.duration() > 0.0f && particle.frame_time >= sprite.duration())
        particle.frame_time = std::fmod(particle.frame_time, sprite.duration());
    for (std::size_t steps = 0; steps < count; ++steps) {
        const bool last = particle.frame + 1 >= count;
        const float duration = sprite.frame(particle.frame).duration;
        if ((last && !sprite.loops()) || particle.frame_time < duration)
            return;
        particle.frame_time -= duration;
        particle.frame = last ? 0 : particle.frame + 1;
    }
}

}  // namespace me
