#pragma once

#include <cstddef>

namespace me {

class Sprite;

// One live particle of a scene emitter. Rotation is in turns.
struct Particle {
    float x = 0.0f;
    float y = 0.0f;
    float velocity_x = 0.0f;
    float velocity_y = 0.0f;
    float alpha = 1.0f;
    float gravity = 0.0f;
    float rotation = 0.0f;
    float scale_x = 1.0f;
    float scale_y = 1.0f;
    float age = 0.0f;
    float life = 0.0f;
    // Owned by the emitter's resource, which outlives the particle.
    const Sprite* sprite = nullptr;
    std::size_t frame = 0;
    float frame_time = 0.0f;
    // How long the current frame lasts: its duration and, for frames with a
    // random extra, the extra drawn when the frame was entered. Negative until
    // the first frame is entered.
    float frame_duration = -1.0f;
};

}  // namespace me
