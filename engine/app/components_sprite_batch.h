#pragma once

namespace me {

// The shared 1024-quad batch that sprites, text and particles draw through.
// Not built yet: it has no buffers.
class SpriteBatch {
public:
    void create_buffers() {}
};

extern SpriteBatch* g_sprite_batch;

}  // namespace me
