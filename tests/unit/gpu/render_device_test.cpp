#include <gtest/gtest.h>

#include "gl_test_context.h"
#include "gpu/render_device.h"
#include "resources/texture.h"

namespace me {
namespace {

TEST(CapabilityReportTest, NamesTheDriverAndBufferObjects) {
    GlCapabilities capabilities{"4.5 (Compatibility Profile) Mesa", "llvmpipe", "Mesa", true, true};
    const std::vector<std::string> lines = capability_report(capabilities);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "OpenGL version: 4.5 (Compatibility Profile) Mesa");
    EXPECT_EQ(lines[1], "Running on llvmpipe from Mesa");
    EXPECT_EQ(lines[2], "ARB_vertex_buffer_object: yes");
    capabilities.buffer_objects = false;
    EXPECT_EQ(capability_report(capabilities)[2], "ARB_vertex_buffer_object: NO");
}

// A device that never got a context: everything works on its data and not a
// single GL call is made (there is no context to make it in).
class RenderDeviceWithoutGlTest : public test::SpineTest {
protected:
    RenderDevice device;
};

TEST_F(RenderDeviceWithoutGlTest, NothingReachesGl) {
    device.start();
    device.begin_frame();
    device.set_render_state(device.render_state(3, true, CullMode::Front, 4));
    device.clear();
    device.begin_view();
    device.set_viewport(0, 0, 10, 10);
    EXPECT_TRUE(device.bind_texture(2, TextureTarget::CubeMap, 5));
    device.forget_texture(5);
    device.set_shader(&device.fixed_shader());
    VertexDeclaration declaration;
    declaration.append(VertexSemantic::Position, kFloat3);
    auto buffer = device.create_vertex_buffer(declaration, 3, BufferUsage::Static);
    EXPECT_EQ(buffer->storage().usage(), BufferUsage::ClientMemory);
    auto indices = device.create_index_buffer(3, BufferUsage::Dynamic);
    EXPECT_EQ(indices->storage().usage(), BufferUsage::ClientMemory);
    auto geometry = device.create_geometry(device.fixed_shader(), {buffer, nullptr}, indices);
    ASSERT_NE(geometry, nullptr);
    device.set_geometry(geometry);
    device.draw_triangles(0, 3);
    device.draw_indexed_triangles(3);
    auto target = make_texture_target(device);
    EXPECT_EQ(target->gl_name(), 0u);
    FrameBuffer frame_buffer(device.create_frame_buffer_object(), {}, nullptr);
    EXPECT_FALSE(device.set_frame_buffer(&frame_buffer));
    device.end_frame();
    device.begin_frame();
    device.release_shared_object();

    EXPECT_EQ(device.gl().call_count(), 0u);
    EXPECT_EQ(device.rendered_triangle_count(), 0u) << "nothing was drawn";
    EXPECT_EQ(device.white_texture(), 0u);
}

TEST_F(RenderDeviceWithoutGlTest, TheBuiltInFixedShaderIsValid) {
    const Shader& fixed = device.fixed_shader();
    EXPECT_TRUE(fixed.loaded());
    EXPECT_EQ(fixed.kind(), ShaderKind::Fixed);
    ASSERT_EQ(fixed.attributes().size(), 3u);
    EXPECT_EQ(fixed.attributes()[0].name, "gl_Vertex");
    EXPECT_EQ(fixed.attributes()[1].semantic, VertexSemantic::Color);
    EXPECT_EQ(fixed.attributes()[2].components, 2);
    ASSERT_EQ(fixed.samplers().size(), 1u);
    EXPECT_EQ(fixed.samplers()[0].type, kUniformTexture);
}

TEST_F(RenderDeviceWithoutGlTest, DefaultStatesAreInternedFirst) {
    EXPECT_EQ(device.current_render_state()->index, 0);
    EXPECT_EQ(device.frame_default_state()->index, 1);
    EXPECT_EQ(device.frame_default_state()->depth_test(), kDepthTestLess);
    EXPECT_TRUE(device.frame_default_state()->depth_write());
    EXPECT_EQ(device.frame_default_state()->cull, CullMode::Back);
    EXPECT_EQ(device.clear_state()->index, 2);
    EXPECT_TRUE(device.clear_state()->depth_write());
    EXPECT_EQ(device.clear_state()->depth_test(), kDepthTestOff);
    EXPECT_EQ(device.render_state(2, true, CullMode::Back, 0), device.frame_default_state());
}

class RenderDeviceTest : public test::GlTest {
protected:
    void fill_frame_with(std::array<float, 4> colour) {
        device->begin_frame();
        bind_off_screen();
        device->set_shader(&device->fixed_shader());
        device->set_geometry(make_full_quad(colour, BufferUsage::Dynamic, false));
        device->draw_triangles(0, 6);
    }
};

TEST_F(RenderDeviceTest, StartUpLogsTheCapabilityReport) {
    EXPECT_TRUE(logged("Initializing GLEW..."));
    const std::string log = log_text();
    EXPECT_NE(log.find("OpenGL version: " + device->capabilities().version + "\n"), std::string::npos);
    EXPECT_NE(log.find("Running on " + device->capabilities().renderer + " from " + device->capabilities().vendor),
              std::string::npos);
    EXPECT_TRUE(logged("ARB_vertex_buffer_object: yes"));
    EXPECT_FALSE(device->capabilities().version.empty());
}

TEST_F(RenderDeviceTest, ClearUsesTheClearColour) {
    bind_off_screen();
    device->set_clear_color({1.0f, 0.5f, 0.0f, 1.0f});
    device->clear();
    EXPECT_LE(difference_from(read_pixels(), {255, 128, 0, 255}), 1);
    device->set_clear_color({0.0f, 0.0f, 1.0f, 0.0f});
    device->clear();
    EXPECT_LE(difference_from(read_pixels(), {0, 0, 255, 0}), 1);
    EXPECT_EQ(device->clear_color()[2], 1.0f);
}

TEST_F(RenderDeviceTest, OnlyTheFirstViewOfAFrameClears) {
    device->set_clear_color({0.0f, 1.0f, 0.0f, 1.0f});
    fill_frame_with({1.0f, 0.0f, 0.0f, 1.0f});
    device->begin_view();
    EXPECT_EQ(device->views_drawn(), 1);
    EXPECT_LE(difference_from(read_pixels(), {0, 255, 0, 255}), 1);
    device->set_geometry(make_full_quad({1.0f, 0.0f, 0.0f, 1.0f}, BufferUsage::Static, false));
    device->draw_triangles(0, 6);
    device->begin_view();
    EXPECT_EQ(device->views_drawn(), 2);
    EXPECT_LE(difference_from(read_pixels(), {255, 0, 0, 255}), 1) << "the second view keeps the first's drawing";
    device->end_frame();
    EXPECT_EQ(device->views_drawn(), 2);
}

TEST_F(RenderDeviceTest, AFrameWithoutViewsIsStillCleared) {
    device->begin_frame();
    device->set_clear_color({0.0f, 0.0f, 1.0f, 1.0f});
    device->end_frame();
    EXPECT_EQ(device->views_drawn(), 1);
    EXPECT_EQ(device->gl().bound_framebuffer(), 0u);
    EXPECT_LE(difference_from(read_pixels(), {0, 0, 255, 255}), 1);
}

TEST_F(RenderDeviceTest, ClearScreenOffLeavesThePicture) {
    fill_frame_with({1.0f, 1.0f, 0.0f, 1.0f});
    device->set_clear_screen(false);
    device->begin_frame();
    device->begin_view();
    EXPECT_EQ(device->gl().bound_framebuffer(), 0u) << "views draw to the window";
    bind_off_screen();
    EXPECT_LE(difference_from(read_pixels(), {255, 255, 0, 255}), 1);
}

TEST_F(RenderDeviceTest, TrianglesAreCountedPerFrame) {
    device->begin_frame();
    EXPECT_EQ(device->rendered_triangle_count(), 0u) << "first frame";
    fill_frame_with({1.0f, 1.0f, 1.0f, 1.0f});
    device->draw_triangles(0, 3);
    EXPECT_EQ(device->triangles_this_frame(), 3u);
    EXPECT_EQ(device->rendered_triangle_count(), 0u);
    device->begin_frame();
    EXPECT_EQ(device->rendered_triangle_count(), 3u);
    EXPECT_EQ(device->triangles_this_frame(), 0u);
    device->begin_frame();
    EXPECT_EQ(device->rendered_triangle_count(), 0u);
}

TEST_F(RenderDeviceTest, DrawsOutsideTheGeometryAreNotMade) {
    fill_frame_with({1.0f, 1.0f, 1.0f, 1.0f});
    device->draw_triangles(-1, 3);
    device->draw_triangles(0, 0);
    device->draw_indexed_triangles(3);
    EXPECT_EQ(device->triangles_this_frame(), 2u) << "the quad alone; it has no indices";
}

TEST_F(RenderDeviceTest, TextureUnitsAreSelectedAndBoundOnlyWhenTheyChange) {
    ASSERT_NE(device->white_texture(), 0u);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    EXPECT_TRUE(device->bind_texture(3, TextureTarget::Texture2D, texture));
    EXPECT_EQ(device->gl().active_texture_unit(), 3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);
    const uint64_t before = device->gl().call_count();
    EXPECT_TRUE(device->bind_texture(3, TextureTarget::Texture2D, texture));
    EXPECT_EQ(device->gl().call_count(), before);
    EXPECT_TRUE(device->bind_texture(4, TextureTarget::CubeMap, texture + 0));
    EXPECT_FALSE(device->bind_texture(5, TextureTarget::Texture2D, texture));
    EXPECT_FALSE(device->bind_texture(-1, TextureTarget::Texture2D, texture));

    device->forget_texture(texture);
    EXPECT_EQ(device->bound_texture(3, TextureTarget::Texture2D), 0u);
    EXPECT_EQ(device->bound_texture(4, TextureTarget::CubeMap), 0u);
    device->gl().select_texture_unit(3);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    glDeleteTextures(1, &texture);
}

TEST_F(RenderDeviceTest, StartingGlAgainMakesTheDevicesObjectsAgain) {
    device->bind_texture(2, TextureTarget::Texture2D, device->white_texture());
    device->set_render_state(device->render_state(4, true, CullMode::Front, 2));
    ASSERT_TRUE(device->initialize_gl());
    EXPECT_NE(device->white_texture(), 0u);
    EXPECT_EQ(device->bound_texture(2, TextureTarget::Texture2D), 0u) << "old bindings are forgotten";
    EXPECT_EQ(device->current_render_state()->depth_bits, 0) << "the fixed state is applied again";
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    bind_off_screen();
    device->set_clear_color({1.0f, 0.0f, 1.0f, 1.0f});
    device->clear();
    EXPECT_LE(difference_from(read_pixels(), {255, 0, 255, 255}), 1);
}

TEST_F(RenderDeviceTest, ShadersSwitchPrograms) {
    device->set_shader(&device->fixed_shader());
    EXPECT_EQ(device->current_shader(), &device->fixed_shader());
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    device->set_shader(nullptr);
    EXPECT_EQ(device->current_shader(), nullptr);
}

}  // namespace
}  // namespace me
