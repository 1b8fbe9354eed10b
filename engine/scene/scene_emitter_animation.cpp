#include "scene/scene_emitter_animation.h"

#include <cmath>

namespace me {

void advance_particle_frame(Particle& particle, float dt) {
    const Sprite& sprite = *particle.sprite;
    const std::size_t count = sprite.frame_count();
    if (!sprite.is_animated() || count == 0)
        return;
    if (particle.frame_duration < 0.0f)
        particle.frame_duration = sprite.frame_duration(particle.frame);
    particle.frame_time += dt;
    // Time beyond the longest possible cycle of a looping sprite is skipped
    // whole, which bounds the walk below however large dt is.
    const float longest_cycle = sprite.duration() + sprite.duration_range();
    if (sprite.loops() && sprite.duration() > 0.0f && particle.frame_time >= longest_cycle)
        particle.frame_time = std::fmod(particle.frame_time, longest_cycle);
    for (std::size_t steps = 0; steps < 2 * count; ++steps) {
        const bool last = particle.frame + 1 >= count;
        if ((last && !sprite.loops()) || particle.frame_time < particle.frame_duration)
            return;
        particle.frame_time -= particle.frame_duration;
        particle.frame = last ? 0 : particle.frame + 1;
        particle.frame_duration = sprite.frame_duration(particle.frame);
    }
}

}  // namespace me
