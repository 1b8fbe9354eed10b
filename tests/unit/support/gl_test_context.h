#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/main_window_libraries.h"
#include "binding_test_vm.h"
#include "gpu/render_device.h"
#include "image/image.h"
#include "image/image_compare.h"
#include "resources/builtin_resources.h"
#include "xvfb_display.h"

namespace me::test {

// Sets an environment variable for the life of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const char* value) : m_name(name) {
        if (const char* previous = getenv(name))
            m_previous = previous;
        setenv(name, value, 1);
    }
    ~EnvironmentOverride() {
        if (m_previous)
            setenv(m_name, m_previous->c_str(), 1);
        else
            unsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

// A render device started in a real OpenGL context (Mesa's software driver on
// a private Xvfb display), drawing into a small off-screen frame buffer that
// the test reads back. It is the process's render device, beside a script VM
// whose resource registry holds the device's built-in textures.
class GlTest : public BindingTest {
protected:
    static constexpr int kSize = 32;

    static void SetUpTestSuite() { s_display = std::make_unique<XvfbDisplay>(); }
    static void TearDownTestSuite() { s_display.reset(); }

    void SetUp() override {
        BindingTest::SetUp();
        ASSERT_FALSE(s_display->name().empty()) << "Xvfb could not be started";
        m_display.emplace("DISPLAY", s_display->name().c_str());
        m_driver.emplace("SDL_VIDEODRIVER", "x11");
        const std::vector<std::string> libraries_before_video = loaded_libraries();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        m_window = SDL_CreateWindow("gl test", 0, 0, kSize, kSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(m_window, nullptr) << SDL_GetError();
        m_context = SDL_GL_CreateContext(m_window);
        // The driver's process-long memory would read as leaks once it is
        // unloaded at the end of the test, as for the engine's own window.
        keep_libraries_loaded_since(libraries_before_video);
        ASSERT_NE(m_context, nullptr) << SDL_GetError();
        device.emplace();
        m_previous_device = std::exchange(g_render_device, &*device);
        ASSERT_TRUE(device->initialize_gl()) << log_text();
        device->start();
        load_builtin_resources(*device);
    }

    void TearDown() override {
        m_frame_buffer.reset();
        m_color.reset();
        if (device) {
            device->release_shared_object();
            g_render_device = m_previous_device;
            device.reset();
        }
        if (m_context != nullptr)
            SDL_GL_DeleteContext(m_context);
        if (m_window != nullptr)
            SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_driver.reset();
        m_display.reset();
        BindingTest::TearDown();
    }

    // Binds the test's kSize x kSize colour render buffer as the frame buffer.
    void bind_off_screen() {
        if (!m_frame_buffer) {
            m_color = device->create_render_buffer_target(GL_RGBA8, kSize, kSize);
            m_frame_buffer.emplace(device->create_frame_buffer_object(),
                                   std::vector<std::shared_ptr<RenderTarget>>{m_color}, nullptr);
        }
        ASSERT_TRUE(device->set_frame_buffer(&*m_frame_buffer)) << log_text();
        device->set_viewport(0, 0, kSize, kSize);
    }

    // Two triangles covering the whole view, each vertex a position and a
    // colour, in buffers of the given kind; indexed when asked. Laid out for
    // the given shader, or the fixed one.
    std::shared_ptr<VertexGeometry> make_full_quad(std::array<float, 4> colour, BufferUsage usage, bool indexed,
                                                   const Shader* shader = nullptr) {
        VertexDeclaration declaration;
        declaration.append(VertexSemantic::Position, kFloat3);
        declaration.append(VertexSemantic::Color, kColorBytes);
        const std::array<std::array<float, 2>, 6> corners{{{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}}};
        const size_t vertex_count = indexed ? 4 : 6;
        std::vector<uint8_t> bytes(vertex_count * declaration.vertex_size());
        const std::array<size_t, 4> indexed_corners{0, 1, 2, 5};
        for (size_t v = 0; v < vertex_count; ++v) {
            const auto& corner = corners[indexed ? indexed_corners[v] : v];
            std::span<uint8_t> vertex(bytes.data() + v * declaration.vertex_size(), declaration.vertex_size());
            write_vertex_element(kFloat3, std::array<float, 3>{corner[0], corner[1], 0.0f}, vertex);
            write_vertex_element(kColorBytes, colour, vertex.subspan(12));
        }
        auto buffer = device->create_vertex_buffer(declaration, vertex_count, usage);
        EXPECT_TRUE(buffer->upload(bytes, vertex_count));
        std::shared_ptr<IndexBuffer> indices;
        if (indexed) {
            indices = device->create_index_buffer(6, usage);
            EXPECT_TRUE(indices->upload(std::array<uint16_t, 6>{0, 1, 2, 0, 2, 3}));
        }
        return device->create_geometry(shader != nullptr ? *shader : device->fixed_shader(), {buffer, nullptr},
                                       indices);
    }

    // The bound frame buffer's pixels, bottom row first as GL reads them.
    Image read_pixels() const {
        Image image(kSize, kSize, PixelType::Rgba8);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels());
        return image;
    }

    static Image filled(Rgba colour) {
        Image image(kSize, kSize, PixelType::Rgba8);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                uint8_t* pixel = image.row(y) + x * 4;
                pixel[0] = colour.r;
                pixel[1] = colour.g;
                pixel[2] = colour.b;
                pixel[3] = colour.a;
            }
        }
        return image;
    }

    // Largest channel difference from a picture of one colour.
    static int difference_from(const Image& image, Rgba colour) {
        const ImageDifference difference = compare_images(image, filled(colour), 0);
        return difference.comparable ? difference.largest_channel_difference : 256;
    }

    std::optional<RenderDevice> device;

private:
    static inline std::unique_ptr<XvfbDisplay> s_display;
    std::optional<EnvironmentOverride> m_display;
    std::optional<EnvironmentOverride> m_driver;
    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    RenderDevice* m_previous_device = nullptr;
    std::shared_ptr<RenderTarget> m_color;
    std::optional<FrameBuffer> m_frame_buffer;
};

}  // namespace me::test
