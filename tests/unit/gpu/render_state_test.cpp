#include <gtest/gtest.h>

#include "gl_test_context.h"
#include "gpu/render_state.h"
#include "gpu/render_state_table.h"

namespace me {
namespace {

TEST(BlendModeTest, EachModeHasItsFactors) {
    EXPECT_EQ(blend_factors(0), (BlendFactors{GL_ONE, GL_ZERO}));
    EXPECT_EQ(blend_factors(1), (BlendFactors{GL_ONE, GL_ONE}));
    EXPECT_EQ(blend_factors(2), (BlendFactors{GL_SRC_ALPHA, GL_ONE}));
    EXPECT_EQ(blend_factors(3), (BlendFactors{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(blend_factors(4), (BlendFactors{GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(blend_factors(5), (BlendFactors{GL_ZERO, GL_SRC_COLOR}));
    EXPECT_EQ(blend_factors(6), (BlendFactors{GL_DST_COLOR, GL_ONE}));
}

TEST(BlendModeTest, UnknownModesDrawOpaque) {
    for (int mode : {-1, 7, 1000}) {
        EXPECT_EQ(blend_factors(mode), BlendFactors{}) << mode;
        EXPECT_TRUE(blend_factors(mode).disables_blending());
    }
    EXPECT_FALSE(blend_factors(4).disables_blending());
}

TEST(RenderStateTest, DepthBitsHoldTheTestAndTheWriteFlag) {
    const RenderState state = make_render_state(7, true, CullMode::Front, 3);
    EXPECT_EQ(state.depth_bits, 0x0F);
    EXPECT_EQ(state.depth_test(), 7);
    EXPECT_TRUE(state.depth_write());
    EXPECT_EQ(make_render_state(3, false, CullMode::Off, 0).depth_bits, 0x03);
    EXPECT_EQ(make_render_state(8, false, CullMode::Off, 0).depth_test(), kDepthTestOff);
    EXPECT_EQ(make_render_state(-2, true, CullMode::Off, 0).depth_bits, kDepthWriteBit);
}

TEST(RenderStateTest, StatesWithTheSameSettingsAreInternedOnce) {
    InternTable<RenderState> table("full");
    const RenderState* alpha = table.intern(make_render_state(2, true, CullMode::Back, 3));
    const RenderState* again = table.intern(make_render_state(2, true, CullMode::Back, 3));
    const RenderState* opaque = table.intern(make_render_state(2, true, CullMode::Back, 0));
    // Unknown blend modes share the opaque state.
    const RenderState* unknown = table.intern(make_render_state(2, true, CullMode::Back, 99));
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha, again);
    EXPECT_NE(alpha, opaque);
    EXPECT_EQ(opaque, unknown);
    EXPECT_EQ(alpha->index, 0);
    EXPECT_EQ(opaque->index, 1);
    EXPECT_EQ(table.size(), 2u);
}

class RenderStateTableLimitTest : public test::SpineTest {};

TEST_F(RenderStateTableLimitTest, TheTableRefusesStatesBeyondItsCapacity) {
    InternTable<RenderState> table("Too many render states.");
    int interned = 0;
    for (int depth = 0; depth < 8; ++depth) {
        for (int blend = 0; blend < 7; ++blend) {
            for (CullMode cull : {CullMode::Off, CullMode::Back, CullMode::Front})
                interned += table.intern(make_render_state(depth, blend % 2 == 0, cull, blend)) != nullptr;
        }
    }
    EXPECT_EQ(interned, 128);
    EXPECT_EQ(table.size(), 128u);
    EXPECT_TRUE(logged("error: Too many render states."));
    EXPECT_NE(table.intern(make_render_state(0, true, CullMode::Off, 0)), nullptr) << "existing states still found";
}

class RenderStateGlTest : public test::GlTest {
protected:
    uint64_t calls_for(const RenderState* state) {
        const uint64_t before = device->gl().call_count();
        device->set_render_state(state);
        return device->gl().call_count() - before;
    }

    static GLint gl_integer(GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }
};

TEST_F(RenderStateGlTest, ApplyingTheCurrentStateAgainMakesNoCalls) {
    const RenderState* state = device->render_state(3, true, CullMode::Front, 3);
    EXPECT_GT(calls_for(state), 0u);
    EXPECT_EQ(calls_for(state), 0u);
    EXPECT_EQ(device->current_render_state(), state);
}

TEST_F(RenderStateGlTest, ChangingOneSettingMakesOnlyTheCallsForIt) {
    device->set_render_state(device->render_state(0, false, CullMode::Off, 0));
    // Blending turned on: enable and factors.
    EXPECT_EQ(calls_for(device->render_state(0, false, CullMode::Off, 3)), 2u);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(gl_integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(gl_integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    // Other factors while on: the factors only.
    EXPECT_EQ(calls_for(device->render_state(0, false, CullMode::Off, 1)), 1u);
    EXPECT_EQ(gl_integer(GL_BLEND_DST), GL_ONE);
    // Back to opaque: disabled only.
    EXPECT_EQ(calls_for(device->render_state(0, false, CullMode::Off, 0)), 1u);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    // Depth test turned on: enable and function; then another function alone.
    EXPECT_EQ(calls_for(device->render_state(2, false, CullMode::Off, 0)), 2u);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_integer(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(calls_for(device->render_state(6, false, CullMode::Off, 0)), 1u);
    EXPECT_EQ(gl_integer(GL_DEPTH_FUNC), GL_GEQUAL);
    // The write bit alone.
    EXPECT_EQ(calls_for(device->render_state(6, true, CullMode::Off, 0)), 1u);
    EXPECT_EQ(gl_integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    // Culling on, then the other face, then off.
    EXPECT_EQ(calls_for(device->render_state(6, true, CullMode::Back, 0)), 2u);
    EXPECT_EQ(gl_integer(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(calls_for(device->render_state(6, true, CullMode::Front, 0)), 1u);
    EXPECT_EQ(gl_integer(GL_CULL_FACE_MODE), GL_FRONT);
    EXPECT_EQ(calls_for(device->render_state(6, true, CullMode::Off, 0)), 1u);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    // Depth test off: disabled only, the write flag is left alone.
    EXPECT_EQ(calls_for(device->render_state(0, true, CullMode::Off, 0)), 1u);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(RenderStateGlTest, StartUpLeavesTheFixedStateInGl) {
    EXPECT_EQ(device->current_render_state()->depth_bits, 0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(gl_integer(GL_DEPTH_WRITEMASK), GL_FALSE);
    EXPECT_EQ(gl_integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
}

TEST_F(RenderStateGlTest, FramesStartInTheDefaultStateAndClearInTheClearState) {
    device->begin_frame();
    EXPECT_EQ(device->current_render_state(), device->frame_default_state());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    device->clear();
    EXPECT_EQ(device->current_render_state(), device->clear_state());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_integer(GL_DEPTH_WRITEMASK), GL_TRUE);
}

}  // namespace
}  // namespace me
