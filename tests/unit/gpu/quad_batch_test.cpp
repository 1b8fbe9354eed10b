#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "binding_test_vm.h"
#include "drawing_test_canvas.h"
#include "gpu/quad_batch.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/texture.h"

namespace me {
namespace {

std::array<uint8_t, 4> color_bytes(uint32_t packed) {
    std::array<uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &packed, sizeof(packed));
    return bytes;
}

TEST(Color, PacksRedFirstInMemoryClampedAndRounded) {
    EXPECT_EQ(color_bytes(pack_quad_color({1.0f, 0.5f, 0.0f, 0.25f})), (std::array<uint8_t, 4>{255, 128, 0, 64}));
    EXPECT_EQ(color_bytes(pack_quad_color({2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1.0f})),
              (std::array<uint8_t, 4>{255, 0, 0, 255}));
    EXPECT_EQ((Color{0.5f, 1.0f, 0.25f, 0.5f} * Color{0.5f, 0.5f, 1.0f, 0.0f}),
              (Color{0.25f, 0.5f, 0.25f, 0.0f}));
}

TEST(QuadWriting, CornersGoRightTopLeftTopRightBottomLeftBottomAroundThePivot) {
    std::array<QuadVertex, 4> quad{};
    const QuadUv uv{{0.1f, 0.2f}, {0.3f, 0.2f}, {0.1f, 0.4f}, {0.3f, 0.4f}};
    write_quad(quad, Matrix2d{1, 0, 0, 1, 100, 50}, {10, 20}, {2, 5}, uv, 0x01020304u);
    const std::array<std::array<float, 4>, 4> expected{{
        {108, 45, 0.3f, 0.2f},  // right-top
        {98, 45, 0.1f, 0.2f},   // left-top
        {108, 65, 0.3f, 0.4f},  // right-bottom
        {98, 65, 0.1f, 0.4f},   // left-bottom
    }};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(quad[i].x, expected[i][0]);
        EXPECT_FLOAT_EQ(quad[i].y, expected[i][1]);
        EXPECT_FLOAT_EQ(quad[i].u, expected[i][2]);
        EXPECT_FLOAT_EQ(quad[i].v, expected[i][3]);
        EXPECT_EQ(quad[i].color, 0x01020304u);
    }
}

TEST(QuadWriting, TheTransformMapsXToAbAndYToCd) {
    std::array<QuadVertex, 4> quad{};
    // A quarter turn (y down: x axis to +y) with a translation.
    write_quad(quad, Matrix2d{0, 1, -1, 0, 10, 10}, {4, 2}, {0, 0}, QuadUv{}, 0);
    EXPECT_FLOAT_EQ(quad[kQuadRightTop].x, 10);
    EXPECT_FLOAT_EQ(quad[kQuadRightTop].y, 14);
    EXPECT_FLOAT_EQ(quad[kQuadLeftBottom].x, 8);
    EXPECT_FLOAT_EQ(quad[kQuadLeftBottom].y, 10);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].x, 8);
    EXPECT_FLOAT_EQ(quad[kQuadRightBottom].y, 14);
}

TEST(QuadWriting, ASpanShorterThanAQuadIsLeftAlone) {
    std::array<QuadVertex, 3> short_span{};
    write_quad_corners(short_span, {}, QuadUv{{1, 1}, {1, 1}, {1, 1}, {1, 1}}, 7);
    EXPECT_EQ(short_span[0].color, 0u);
}

// Without a GL context the batch still gathers quads in client memory, and
// flushing draws nothing.
class QuadBatchWithoutGl : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = std::exchange(g_resource_list, &m_held);
    }

    void TearDown() override {
        m_held.release_all();
        g_resource_list = m_previous_list;
        BindingTest::TearDown();
    }

    RenderDevice device;

private:
    ResourceList m_held;
    ResourceList* m_previous_list = nullptr;
};

TEST_F(QuadBatchWithoutGl, ReservesOnlyWithBuffersAndWithinOneBatch) {
    QuadBatch batch(device);
    EXPECT_TRUE(batch.reserve(1, 1).empty());
    batch.create_buffers();
    ASSERT_TRUE(batch.has_buffers());
    EXPECT_TRUE(batch.reserve(1, 0).empty());
    EXPECT_TRUE(batch.reserve(1, -3).empty());
    EXPECT_TRUE(batch.reserve(1, QuadBatch::kMaxQuads + 1).empty());
    EXPECT_EQ(batch.pending_quads(), 0);
    EXPECT_EQ(batch.reserve(1, QuadBatch::kMaxQuads).size(), 4u * QuadBatch::kMaxQuads);
    EXPECT_EQ(batch.pending_quads(), QuadBatch::kMaxQuads);
}

TEST_F(QuadBatchWithoutGl, SlotsFollowEachOtherUntilATextureChangeStartsOver) {
    QuadBatch batch(device);
    batch.create_buffers();
    const std::span<QuadVertex> first = batch.reserve(7, 2);
    const std::span<QuadVertex> second = batch.reserve(7, 3);
    ASSERT_EQ(first.size(), 8u);
    ASSERT_EQ(second.size(), 12u);
    EXPECT_EQ(second.data(), first.data() + 8);
    EXPECT_EQ(batch.draw_calls(), 0u);
    const std::span<QuadVertex> other = batch.reserve(8, 1);
    EXPECT_EQ(other.data(), first.data());
    EXPECT_EQ(batch.draw_calls(), 1u);
    EXPECT_EQ(batch.pending_quads(), 1);
    EXPECT_EQ(batch.pending_texture(), 8u);
    batch.flush();
    EXPECT_EQ(batch.draw_calls(), 2u);
    EXPECT_EQ(device.triangles_this_frame(), 0u);
}

TEST_F(QuadBatchWithoutGl, TheNullTextureReservesNothingAndPlainTexturesDo) {
    evaluate("g_texture_defs.nothing <- { _special_ = \"_null_\" };"
             "g_texture_defs.blank <- { dynamic = true, width = 4, height = 4, format = \"rgba\" }; return null;");
    const ResourceRef<Texture> nothing = load_texture("nothing");
    const ResourceRef<Texture> blank = load_texture("blank");
    ASSERT_TRUE(nothing && blank) << log_text();
    QuadBatch batch(device);
    batch.create_buffers();
    EXPECT_TRUE(reserve_quads(batch, *nothing.get(), 1).empty());
    EXPECT_EQ(batch.pending_quads(), 0);
    EXPECT_EQ(reserve_quads(batch, *blank.get(), 2).size(), 8u);
    EXPECT_TRUE(reserve_quads(batch, *nothing.get(), 1).empty());
    EXPECT_EQ(batch.pending_quads(), 2);
    EXPECT_EQ(batch.draw_calls(), 0u);
}

class QuadBatchTest : public test::DrawingTest {
protected:
    // One white 1 × 1 quad at each of `count` canvas pixels, row by row.
    void draw_pixels(int count, int canvas_width) {
        for (int i = 0; i < count; ++i) {
            const std::span<QuadVertex> quad = batch->reserve(device->white_texture(), 1);
            ASSERT_EQ(quad.size(), 4u);
            write_quad(quad, Matrix2d{1, 0, 0, 1, static_cast<float>(i % canvas_width), static_cast<float>(i / canvas_width)},
                       {1, 1}, {0, 0}, QuadUv{}, pack_quad_color({}));
        }
    }
};

TEST_F(QuadBatchTest, FifteenHundredQuadsOfOneTextureTakeTwoDrawsAndThreeThousandTriangles) {
    start_canvas(40, 40, {0, 0, 0, 1});
    const uint64_t triangles_before = device->triangles_this_frame();
    draw_pixels(1500, 40);
    EXPECT_EQ(batch->draw_calls(), 1u);
    EXPECT_EQ(batch->pending_quads(), 1500 - QuadBatch::kMaxQuads);
    batch->flush();
    EXPECT_EQ(batch->draw_calls(), 2u);
    EXPECT_EQ(batch->pending_quads(), 0);
    EXPECT_EQ(device->triangles_this_frame() - triangles_before, 3000u);
    batch->flush();
    EXPECT_EQ(batch->draw_calls(), 2u);

    // Every quad covered its own pixel and nothing else: the indices of both
    // batches reach the right vertices.
    const Image canvas = read_canvas();
    int white = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            white += pixel(canvas, x, y) == Rgba{255, 255, 255, 255} ? 1 : 0;
    EXPECT_EQ(white, 1500);
    EXPECT_EQ(pixel(canvas, 19, 37), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(pixel(canvas, 20, 37), (Rgba{0, 0, 0, 255}));
}

TEST_F(QuadBatchTest, ATextureChangeFlushesAndTheSameTextureDoesNot) {
    start_canvas(8, 8, {0, 0, 0, 1});
    GLuint second = 0;
    glGenTextures(1, &second);
    batch->reserve(device->white_texture(), 3);
    batch->reserve(device->white_texture(), 3);
    EXPECT_EQ(batch->draw_calls(), 0u);
    batch->reserve(second, 1);
    EXPECT_EQ(batch->draw_calls(), 1u);
    batch->reserve(second, 1);
    batch->reserve(device->white_texture(), 1);
    EXPECT_EQ(batch->draw_calls(), 2u);
    batch->flush();
    EXPECT_EQ(batch->draw_calls(), 3u);
    EXPECT_EQ(device->bound_texture(0, TextureTarget::Texture2D), device->white_texture());
    device->forget_texture(second);
    glDeleteTextures(1, &second);
}

TEST_F(QuadBatchTest, DrawingUsesTheBatchStateWhateverWasSetMeanwhile) {
    start_canvas(8, 8, {1, 0, 0, 1});
    const std::span<QuadVertex> quad = batch->reserve(device->white_texture(), 1);
    // Half-transparent black, premultiplied: blended it halves the red;
    // drawn opaque it would replace it.
    write_quad(quad, Matrix2d{}, {8, 8}, {0, 0}, QuadUv{}, pack_quad_color({0, 0, 0, 0.5f}));
    device->set_render_state(device->render_state(kDepthTestOff, false, CullMode::Off, 0));
    batch->flush();
    EXPECT_EQ(device->current_render_state(), batch->render_state());
    EXPECT_EQ(device->current_shader(), &batch->shader());
    EXPECT_NEAR(pixel(read_canvas(), 4, 4).r, 127, 2);
}

TEST_F(QuadBatchTest, ResetDrawsWhatIsPendingAndTakesBackTheBatchState) {
    start_canvas(8, 8, {0, 0, 0, 1});
    batch->reserve(device->white_texture(), 2);
    device->set_render_state(device->clear_state());
    device->set_shader(nullptr);
    batch->reset();
    EXPECT_EQ(batch->draw_calls(), 1u);
    EXPECT_EQ(batch->pending_quads(), 0);
    EXPECT_EQ(device->current_render_state(), batch->render_state());
    EXPECT_EQ(device->current_shader(), &batch->shader());
    batch->reset();
    EXPECT_EQ(batch->draw_calls(), 1u);
}

TEST_F(QuadBatchTest, ALetterboxedViewMatchesItsReferencePicture) {
    start_canvas(80, 60, {0.25f, 0.25f, 0.25f, 1});
    // A 40 × 20 canvas shown at twice its size in the middle band.
    View2d view;
    view.set_canvas_size({40, 20});
    view.set_viewport_size({80, 40});
    view.set_viewport_position({0, 10});
    use_view(view);
    const auto square = [&](float x, float y, float size, Color color) {
        write_quad(batch->reserve(device->white_texture(), 1), Matrix2d{1, 0, 0, 1, x, y}, {size, size}, {0, 0},
                   QuadUv{}, pack_quad_color(color));
    };
    square(-10, -10, 60, {0, 0, 0.5f, 1});
    square(0, 0, 4, {1, 0, 0, 1});
    square(36, 16, 4, {0, 1, 0, 1});
    square(18, 8, 4, {1, 1, 1, 1});
    expect_canvas_matches("letterboxed_view");
    const Image canvas = read_canvas();
    EXPECT_EQ(pixel(canvas, 40, 5), (Rgba{64, 64, 64, 255}));
    EXPECT_EQ(pixel(canvas, 1, 11), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(pixel(canvas, 78, 48), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(pixel(canvas, 40, 54), (Rgba{64, 64, 64, 255}));
}

}  // namespace
}  // namespace me
