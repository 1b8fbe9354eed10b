#pragma once

#include "resources/sprite.h"
#include "scene/particle.h"

namespace me {

// Moves an animated particle sprite on by dt: through as many frames as dt
// covers, wrapping when the sprite loops, else holding the last one. Each
// frame lasts its duration plus, for frames given a range, a random extra
// drawn from the application's generator when the frame is entered.
void advance_particle_frame(Particle& particle, float dt);

// The sprite a particle shows now: its animation's current frame, or the
// sprite itself. Inline because writing quads asks it for every particle.
inline const Sprite& drawn_sprite(const Particle& particle) {
    const Sprite& sprite = *particle.sprite;
    if (sprite.is_animated() && particle.frame < sprite.frame_count() && sprite.frame(particle.frame).sprite)
        return *sprite.frame(particle.frame).sprite.get();
    return sprite;
}

}  // namespace me
