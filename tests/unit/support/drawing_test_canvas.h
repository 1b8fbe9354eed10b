#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "gl_test_context.h"
#include "gpu/quad_batch.h"
#include "gpu/view2d.h"
#include "gpu/view2d_gl.h"
#include "image/png_decoder.h"
#include "image/png_writer.h"
#include "resources/resource_list.h"

namespace me::test {

// The demo game's fonts, which text drawing tests draw with.
inline const std::string kDemoFonts = std::string(QUILLMOOR_TEST_IMAGES_DIR) + "/../../games/demo/data/fonts/";

// Drawing tests: a GL test with a quad batch and an off-screen canvas of any
// size that is read back and compared with a reference picture in
// tests/images. Run with QUILLMOOR_UPDATE_IMAGES=1 to write the pictures
// afresh instead of comparing (then look at each one before committing it).
class DrawingTest : public GlTest {
protected:
    // Channels may differ this much: drivers round blending differently.
    static constexpr int kTolerance = 3;

    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure())
            return;
        m_previous_list = std::exchange(g_resource_list, &m_held);
        batch.emplace(*device);
        batch->create_buffers();
    }

    // The batch lets go of its shader and buffers, and the resources of
    // their textures, while the device lives.
    void TearDown() override {
        batch.reset();
        m_held.release_all();
        if (g_resource_list == &m_held)
            g_resource_list = m_previous_list;
        m_canvas.reset();
        m_target.reset();
        GlTest::TearDown();
    }

    // Binds a width × height canvas cleared to the colour, with a view whose
    // canvas covers it pixel for pixel.
    void start_canvas(int width, int height, const std::array<float, 4>& clear_color) {
        m_width = width;
        m_height = height;
        m_target = device->create_render_buffer_target(GL_RGBA8, width, height);
        m_canvas.emplace(device->create_frame_buffer_object(), std::vector<std::shared_ptr<RenderTarget>>{m_target},
                         nullptr);
        ASSERT_TRUE(device->set_frame_buffer(&*m_canvas)) << log_text();
        device->set_clear_color(clear_color);
        device->set_viewport(0, 0, width, height);
        device->clear();
        View2d view;
        view.set_canvas_size({static_cast<float>(width), static_cast<float>(height)});
        view.set_viewport_size({static_cast<float>(width), static_cast<float>(height)});
        use_view(view);
    }

    void use_view(const View2d& view) {
        batch->flush();
        load_view(*device, view, static_cast<float>(m_height));
    }

    // The canvas, top row first.
    Image read_canvas() {
        batch->flush();
        Image image(m_width, m_height, PixelType::Rgba8);
        std::vector<uint8_t> rows(static_cast<size_t>(m_width) * m_height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        const size_t row_bytes = static_cast<size_t>(m_width) * 4;
        for (int y = 0; y < m_height; ++y)
            std::memcpy(image.row(y), rows.data() + static_cast<size_t>(m_height - 1 - y) * row_bytes, row_bytes);
        return image;
    }

    static bool updating_references() {
        const char* update = std::getenv("QUILLMOOR_UPDATE_IMAGES");
        return update != nullptr && std::string(update) == "1";
    }

    // Compares the canvas with tests/images/<name>.png, or rewrites that
    // picture when references are being updated.
    void expect_canvas_matches(const std::string& name) {
        const Image drawn = read_canvas();
        const std::string path = std::string(QUILLMOOR_TEST_IMAGES_DIR) + "/" + name + ".png";
        if (updating_references()) {
            ASSERT_TRUE(write_png(path, m_width, m_height, std::span(drawn.pixels(), drawn.byte_size())));
            return;
        }
        const std::string bytes = read_file(path);
        ASSERT_FALSE(bytes.empty()) << path << " is missing; run with QUILLMOOR_UPDATE_IMAGES=1 to make it";
        auto reference = decode_png({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
        ASSERT_TRUE(reference.ok()) << reference.error();
        const ImageDifference difference = compare_images(drawn, reference.value(), kTolerance);
        EXPECT_TRUE(difference.comparable) << name;
        EXPECT_EQ(difference.differing_pixels, 0u)
            << name << ": largest channel difference " << difference.largest_channel_difference;
    }

    // The colour of one canvas pixel, top row first.
    static Rgba pixel(const Image& image, int x, int y) {
        const uint8_t* p = image.row(y) + x * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    std::optional<QuadBatch> batch;

private:
    ResourceList m_held;
    ResourceList* m_previous_list = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::shared_ptr<RenderTarget> m_target;
    std::optional<FrameBuffer> m_canvas;
};

}  // namespace me::test
