#include <gtest/gtest.h>

#include "gl_test_context.h"
#include "gpu/frame_buffer.h"
#include "resources/texture.h"

namespace me {
namespace {

class FrameBufferTest : public test::GlTest {
protected:
    using Targets = std::vector<std::shared_ptr<RenderTarget>>;

    void clear_to(std::array<float, 4> colour) {
        device->set_clear_color(colour);
        device->clear();
    }

    static Rgba texel_of(const RenderTarget& target) {
        std::vector<uint8_t> texels(static_cast<size_t>(target.width() * target.height()) * 4);
        glBindTexture(GL_TEXTURE_2D, target.gl_name());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return {texels[0], texels[1], texels[2], texels[3]};
    }
};

TEST_F(FrameBufferTest, ATextureTargetReceivesTheDrawing) {
    std::shared_ptr<RenderTarget> target = make_texture_target(*device);
    ASSERT_NE(target->gl_name(), 0u);
    EXPECT_EQ(target->kind(), RenderTargetKind::Texture);
    EXPECT_EQ(target->width(), 1024);
    EXPECT_EQ(target->height(), 1024);
    FrameBuffer frame_buffer(device->create_frame_buffer_object(), Targets{target}, nullptr);
    ASSERT_TRUE(device->set_frame_buffer(&frame_buffer)) << log_text();
    device->set_viewport(0, 0, 1024, 1024);
    clear_to({0.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_EQ(texel_of(*target), (Rgba{0, 255, 255, 255}));
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
}

TEST_F(FrameBufferTest, FrameBuffersSharingAnObjectAreReconfigured) {
    auto object = device->create_frame_buffer_object();
    std::shared_ptr<RenderTarget> red = device->create_render_buffer_target(GL_RGBA8, kSize, kSize);
    std::shared_ptr<RenderTarget> blue = device->create_render_buffer_target(GL_RGBA8, kSize, kSize);
    std::shared_ptr<RenderTarget> depth = device->create_render_buffer_target(GL_DEPTH_COMPONENT24, kSize, kSize);
    FrameBuffer first(object, Targets{red}, depth);
    FrameBuffer second(object, Targets{blue}, nullptr);
    device->set_viewport(0, 0, kSize, kSize);
    ASSERT_TRUE(device->set_frame_buffer(&first)) << log_text();
    clear_to({1.0f, 0.0f, 0.0f, 1.0f});
    ASSERT_TRUE(device->set_frame_buffer(&second)) << log_text();
    clear_to({0.0f, 0.0f, 1.0f, 1.0f});
    EXPECT_LE(difference_from(read_pixels(), {0, 0, 255, 255}), 1);
    ASSERT_TRUE(device->set_frame_buffer(&first));
    EXPECT_LE(difference_from(read_pixels(), {255, 0, 0, 255}), 1) << "the first target kept its picture";
    EXPECT_EQ(object->color_attachments(), 1u);
}

TEST_F(FrameBufferTest, SeveralColourTargetsAreAllDrawn) {
    Targets targets;
    for (int i = 0; i < 3; ++i)
        targets.push_back(device->create_render_buffer_target(GL_RGBA8, kSize, kSize));
    FrameBuffer frame_buffer(device->create_frame_buffer_object(), targets, nullptr);
    ASSERT_TRUE(device->set_frame_buffer(&frame_buffer)) << log_text();
    device->set_viewport(0, 0, kSize, kSize);
    clear_to({1.0f, 1.0f, 0.0f, 1.0f});
    for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT2}) {
        glReadBuffer(attachment);
        EXPECT_LE(difference_from(read_pixels(), {255, 255, 0, 255}), 1) << attachment;
    }
    GLint draw_buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER2, &draw_buffer);
    EXPECT_EQ(draw_buffer, GL_COLOR_ATTACHMENT2);
}

TEST_F(FrameBufferTest, AnIncompleteFrameBufferIsReported) {
    FrameBuffer empty(device->create_frame_buffer_object(), Targets{}, nullptr);
    EXPECT_FALSE(device->set_frame_buffer(&empty));
    EXPECT_TRUE(logged(format_message(
        "error: Frame buffer: Completeness test failed (%1), frame buffer configuration not supported.",
        GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT)))
        << log_text();
    GLint draw_buffer = -1;
    glGetIntegerv(GL_DRAW_BUFFER, &draw_buffer);
    EXPECT_EQ(draw_buffer, GL_NONE);
}

TEST_F(FrameBufferTest, TooManyColourTargetsAreRefused) {
    Targets targets(5, device->create_render_buffer_target(GL_RGBA8, kSize, kSize));
    FrameBuffer frame_buffer(device->create_frame_buffer_object(), targets, nullptr);
    EXPECT_EQ(frame_buffer.color_count(), 0u);
    EXPECT_TRUE(logged("error: Frame buffer: at most 4 colour targets can be attached."));
    EXPECT_EQ(device->create_render_buffer_target(GL_RGBA8, 0, 4), nullptr);
}

TEST_F(FrameBufferTest, DestroyingTheBoundObjectClearsTheBinding) {
    auto object = device->create_frame_buffer_object();
    {
        FrameBuffer frame_buffer(object, Targets{device->create_render_buffer_target(GL_RGBA8, 4, 4)}, nullptr);
        ASSERT_TRUE(device->set_frame_buffer(&frame_buffer));
    }
    EXPECT_EQ(device->gl().bound_framebuffer(), object->gl_name());
    object.reset();
    EXPECT_EQ(device->gl().bound_framebuffer(), 0u);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(FrameBufferTest, DestroyingATargetTextureUnbindsItEverywhere) {
    std::unique_ptr<RenderTarget> target = make_texture_target(*device);
    const GLuint name = target->gl_name();
    device->bind_texture(1, TextureTarget::Texture2D, name);
    device->bind_texture(4, TextureTarget::Texture2D, name);
    target.reset();
    for (int unit = 0; unit < TextureUnits::kUnits; ++unit)
        EXPECT_NE(device->bound_texture(unit, TextureTarget::Texture2D), name) << unit;
    device->gl().select_texture_unit(4);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
}  // namespace me
