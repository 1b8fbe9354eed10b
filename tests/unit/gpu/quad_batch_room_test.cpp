#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "gpu/quad_batch.h"
#include "gpu/render_device.h"

namespace me {
namespace {

std::array<uint8_t, 4> color_bytes(uint32_t packed) {
    std::array<uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &packed, sizeof(packed));
    return bytes;
}

TEST(QuadColorPacking, EndsAndTiesOfEachComponent) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(color_bytes(pack_quad_color({kInfinity, -kInfinity, -0.0f, 1e-30f})),
              (std::array<uint8_t, 4>{255, 0, 0, 0}));
    // 0.5 × 255 = 127.5 rounds up; just under 1 still rounds to 255.
    EXPECT_EQ(color_bytes(pack_quad_color({0.5f, 0.9999f, 1.0f / 255.0f, 0.499f / 255.0f})),
              (std::array<uint8_t, 4>{128, 255, 1, 0}));
    EXPECT_EQ(color_bytes(pack_quad_color({-std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f, 0.0f})),
              (std::array<uint8_t, 4>{0, 0, 255, 0}));
}

// A batch over client memory, as without a GL context.
class QuadBatchRoom : public testing::Test {
protected:
    void SetUp() override { batch.create_buffers(); }

    RenderDevice device;
    QuadBatch batch{device};
};

TEST_F(QuadBatchRoom, IsWhatIsLeftForTheGatheredTextureAndAWholeBatchOtherwise) {
    EXPECT_EQ(batch.room_for(7), QuadBatch::kMaxQuads);
    ASSERT_FALSE(batch.reserve(7, 1000).empty());
    EXPECT_EQ(batch.room_for(7), 24);
    EXPECT_EQ(batch.room_for(8), QuadBatch::kMaxQuads);
    ASSERT_FALSE(batch.reserve(7, 24).empty());
    EXPECT_EQ(batch.draw_calls(), 0u) << "the room was taken without a flush";
    // Full: the next reserve of any texture flushes and gets a whole batch.
    EXPECT_EQ(batch.room_for(7), QuadBatch::kMaxQuads);
    ASSERT_FALSE(batch.reserve(7, 1).empty());
    EXPECT_EQ(batch.draw_calls(), 1u);
    EXPECT_EQ(batch.pending_quads(), 1);
}

TEST_F(QuadBatchRoom, OneQuadMoreThanTheRoomFlushesFirst) {
    const std::span<QuadVertex> first = batch.reserve(7, 1000);
    const std::span<QuadVertex> over = batch.reserve(7, 25);
    ASSERT_EQ(over.size(), 4u * 25);
    EXPECT_EQ(over.data(), first.data()) << "a fresh batch starts at the first slot";
    EXPECT_EQ(batch.draw_calls(), 1u);
    EXPECT_EQ(batch.pending_quads(), 25);
}

TEST_F(QuadBatchRoom, BadCountsAreRefusedWhileGatheringTheSameTexture) {
    ASSERT_FALSE(batch.reserve(7, 3).empty());
    EXPECT_TRUE(batch.reserve(7, 0).empty());
    EXPECT_TRUE(batch.reserve(7, -1).empty());
    EXPECT_TRUE(batch.reserve(7, std::numeric_limits<int>::min()).empty());
    EXPECT_TRUE(batch.reserve(7, QuadBatch::kMaxQuads + 1).empty());
    EXPECT_EQ(batch.pending_quads(), 3);
    EXPECT_EQ(batch.draw_calls(), 0u);
    // Too many to fit after the three, but a valid count: flush and take it.
    EXPECT_EQ(batch.reserve(7, std::numeric_limits<int>::max()).size(), 0u);
    EXPECT_EQ(batch.reserve(7, QuadBatch::kMaxQuads).size(), 4u * QuadBatch::kMaxQuads);
    EXPECT_EQ(batch.draw_calls(), 1u);
}

TEST_F(QuadBatchRoom, TheSameTextureAfterAFlushStartsAtTheFirstSlotAgain) {
    const std::span<QuadVertex> first = batch.reserve(7, 2);
    batch.flush();
    const std::span<QuadVertex> again = batch.reserve(7, 1);
    EXPECT_EQ(again.data(), first.data());
    EXPECT_EQ(batch.pending_quads(), 1);
    batch.reset();
    EXPECT_EQ(batch.reserve(7, 1).data(), first.data());
    EXPECT_EQ(batch.draw_calls(), 2u);
}

}  // namespace
}  // namespace me
