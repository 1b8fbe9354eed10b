#include "gpu/render_state.h"

#include <array>

namespace me {
namespace {

GLenum depth_function(int test) {
    static constexpr std::array<GLenum, 8> kFunctions{GL_ALWAYS, GL_NEVER,   GL_LESS,   GL_LEQUAL,
                                                      GL_EQUAL,  GL_GREATER, GL_GEQUAL, GL_NOTEQUAL};
    return kFunctions[static_cast<size_t>(test)];
}

void apply_depth(const RenderState* from, const RenderState& to, GlStateCache& gl) {
    const int test = to.depth_test();
    if (from == nullptr || from->depth_test() != test) {
        const bool was_on = from != nullptr && from->depth_test() != kDepthTestOff;
        if (test == kDepthTestOff) {
            gl.enable(GL_DEPTH_TEST, false);
        } else {
            if (!was_on)
                gl.enable(GL_DEPTH_TEST, true);
            gl.depth_func(depth_function(test));
        }
    }
    if (from == nullptr || from->depth_write() != to.depth_write())
        gl.depth_mask(to.depth_write());
}

void apply_cull(const RenderState* from, const RenderState& to, GlStateCache& gl) {
    if (from != nullptr && from->cull == to.cull)
        return;
    if (to.cull == CullMode::Off) {
        gl.enable(GL_CULL_FACE, false);
        return;
    }
    if (from == nullptr || from->cull == CullMode::Off)
        gl.enable(GL_CULL_FACE, true);
    gl.cull_face(to.cull == CullMode::Back ? GL_BACK : GL_FRONT);
}

void apply_blend(const RenderState* from, const RenderState& to, GlStateCache& gl) {
    if (from != nullptr && from->blend == to.blend)
        return;
    if (to.blend.disables_blending()) {
        gl.enable(GL_BLEND, false);
        return;
    }
    if (from == nullptr || from->blend.disables_blending())
        gl.enable(GL_BLEND, true);
    gl.blend_func(to.blend.source, to.blend.destination);
}

}  // namespace

RenderState make_render_state(int depth_test, bool depth_write, CullMode cull, int blend_mode) {
    RenderState state;
    const int test = depth_test >= 0 && depth_test <= 7 ? depth_test : kDepthTestOff;
    state.depth_bits = static_cast<uint8_t>(test | (depth_write ? kDepthWriteBit : 0));
    state.cull = cull;
    state.blend = blend_factors(blend_mode);
    return state;
}

void apply_render_state(const RenderState* from, const RenderState& to, GlStateCache& gl) {
    apply_depth(from, to, gl);
    apply_cull(from, to, gl);
    apply_blend(from, to, gl);
}

}  // namespace me
