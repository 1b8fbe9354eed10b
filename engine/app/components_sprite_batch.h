#pragma once

#include "render/quad_batch.h"

namespace me {

// The shared 1024-quad batch that sprites, text and particles draw through.
extern QuadBatch* g_sprite_batch;

}  // namespace me
