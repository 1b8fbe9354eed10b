#pragma once

#include <cstdint>

#include "gpu/blend_mode.h"
#include "gpu/gl_state_cache.h"

namespace me {

enum class CullMode { Off = 0, Back = 1, Front = 2 };

// Depth test values 1-7 pick a GL depth function; 0 turns the test off.
constexpr int kDepthTestOff = 0;
constexpr int kDepthTestLess = 2;
constexpr uint8_t kDepthWriteBit = 0x08;

// An interned combination of depth, cull and blend settings. States are
// compared by address once interned.
struct RenderState {
    uint8_t depth_bits = 0;
    CullMode cull = CullMode::Off;
    BlendFactors blend;
    int index = -1;

    int depth_test() const { return depth_bits & 0x07; }
    bool depth_write() const { return (depth_bits & kDepthWriteBit) != 0; }
    bool same_settings(const RenderState& other) const {
        return depth_bits == other.depth_bits && cull == other.cull && blend == other.blend;
    }
};

// depth_test outside 0-7 is taken as off.
RenderState make_render_state(int depth_test, bool depth_write, CullMode cull, int blend_mode);

// Issues only the GL calls that turn `from` into `to`; without `from` every
// setting is issued.
void apply_render_state(const RenderState* from, const RenderState& to, GlStateCache& gl);

}  // namespace me
