#pragma once

#include "render/particle.h"

namespace me {

// Moves an animated particle sprite on by dt: through as many frames as dt
// covers, wrapping when the sprite loops, else holding the last one.
void advance_particle_frame(Particle& particle, float dt);

// The sprite a particle shows now: its animation's current frame, or the
// sprite itself.
const Sprite& drawn_sprite(const Particle& particle);

}  // namespace me
