// Sweeps of one mover against one obstacle: where the mover stops, worked
// out by hand from the geometry (units of 1.0 unless a fraction is written).
#include <gtest/gtest.h>

#include "world/collision.h"
#include "world/collision_sweep.h"

namespace me::test {
namespace {

constexpr Fixed U = 65536;

struct Rect {
    double min_x, min_y, max_x, max_y;
};

Fixed fx(double units) { return static_cast<Fixed>(units * U); }

CollisionBounds bounds_of(const Rect& r) { return {fx(r.min_x), fx(r.min_y), fx(r.max_x), fx(r.max_y)}; }

Collision obstacle(CollisionType type, const Rect& near_edge_box, double skew) {
    Collision shape;
    shape.m_type = type;
    shape.m_x = fx(near_edge_box.min_x);
    shape.m_y = fx(near_edge_box.min_y);
    shape.m_width = fx(near_edge_box.max_x - near_edge_box.min_x);
    shape.m_depth = fx(near_edge_box.max_y - near_edge_box.min_y);
    shape.m_skew = fx(skew);
    shape.place({});
    return shape;
}

struct SweepCase {
    const char* what;
    CollisionType type;
    Rect shape;  // x from min_x, width and depth from the rest
    double skew;
    Rect mover;
    double dx, dy;
    double expected_dx, expected_dy;
    bool hit;
};

const SweepCase kCases[] = {
    // Boxes: obstacle [0, 10) x [0, 10).
    {"box ahead on the right stops at its edge", CollisionType::Box, {0, 0, 10, 10}, 0, {-20, 0, -10, 10}, 15, 0, 10, 0, true},
    {"box out of reach changes nothing", CollisionType::Box, {0, 0, 10, 10}, 0, {-20, 0, -10, 10}, 5, 0, 5, 0, false},
    {"touching the right edge cannot move left", CollisionType::Box, {0, 0, 10, 10}, 0, {10, 0, 20, 10}, -5, 0, 0, 0, true},
    {"touching the right edge may move away", CollisionType::Box, {0, 0, 10, 10}, 0, {10, 0, 20, 10}, 5, 0, 5, 0, false},
    {"y ranges that only touch let x pass", CollisionType::Box, {0, 0, 10, 10}, 0, {-20, 10, -10, 20}, 30, 0, 30, 0, false},
    {"corner contact blocks the move into the corner's y", CollisionType::Box, {0, 0, 10, 10}, 0, {10, 10, 20, 20}, -5, -5, -5, 0, true},
    {"falling onto the top edge", CollisionType::Box, {0, 0, 10, 10}, 0, {2, -8, 6, -3}, 0, 9, 0, 3, true},
    {"already overlapping is a hit that changes nothing", CollisionType::Box, {0, 0, 10, 10}, 0, {5, 5, 15, 15}, 3, 3, 3, 3, true},
    {"the swept x range catches a diagonal", CollisionType::Box, {0, 0, 10, 10}, 0, {-6, -6, -2, -2}, 4, 8, 4, 2, true},
    {"fractions stop exactly at the edge", CollisionType::Box, {0, 0, 10, 10}, 0, {-20.25, 0, -10.25, 10}, 15, 0, 10.25, 0, true},

    // Skew 10: near edge y = 0 spans 0..10, far edge y = 10 spans 10..20;
    // left side (0,0)-(10,10), right side (10,0)-(20,10).
    {"moving left against the right side backs off by whole units", CollisionType::SkewedBox, {0, 0, 10, 10}, 10,
     {20, 0, 25, 5}, -10, 0, -5, 0, true},
    {"back-off keeps the fraction of the target", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {20, 0, 25, 5},
     -10.5, 0, -4.5, 0, true},
    {"a corner exactly on the side cannot move into it", CollisionType::SkewedBox, {0, 0, 10, 10}, 10,
     {15, 0, 20, 5}, -3, 0, 0, 0, true},
    {"a target short of the side is left alone", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {20, 0, 25, 5}, -4,
     0, -4, 0, false},
    {"moving right against the left side", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {-5, 5, 0, 10}, 10, 0, 5,
     0, true},
    {"falling onto the near edge stops on it", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {2, -10, 6, -2}, 0, 10,
     0, 2, true},
    {"rising under the far edge stops below it", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {12, 12, 16, 16}, 0,
     -10, 0, -2, true},
    {"rising beside the far edge backs off from the left side", CollisionType::SkewedBox, {0, 0, 10, 10}, 10,
     {0, 12, 4, 16}, 0, -10, 0, -8, true},
    {"a second case of backing off along y", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {2, 12, 6, 16}, 0, -10,
     0, -6, true},
    {"an overlap alone is no hit for a skewed box", CollisionType::SkewedBox, {0, 0, 10, 10}, 10, {5, 2, 8, 4}, 0,
     0.5, 0, 0.5, false},

    // Skew -10: bounds [-10, 10); near edge y = 0 spans 0..10, far edge
    // y = 10 spans -10..0; left side (0,0)-(-10,10), right side (10,0)-(0,10).
    {"negative skew: moving left against the right side", CollisionType::SkewedBox, {0, 0, 10, 10}, -10,
     {20, 0, 25, 5}, -15, 0, -10, 0, true},
    {"negative skew: a target that does not reach the bounds", CollisionType::SkewedBox, {0, 0, 10, 10}, -10,
     {20, 0, 25, 5}, -10, 0, -10, 0, false},
    {"negative skew: falling onto the near edge", CollisionType::SkewedBox, {0, 0, 10, 10}, -10, {2, -10, 6, -4},
     0, 10, 0, 4, true},
    {"negative skew: falling beside the near edge backs off", CollisionType::SkewedBox, {0, 0, 10, 10}, -10,
     {-6, -10, -2, -4}, 0, 10, 0, 6, true},
};

class CollisionSweepTest : public testing::TestWithParam<SweepCase> {};

TEST_P(CollisionSweepTest, StopsWhereTheGeometrySays) {
    const SweepCase& c = GetParam();
    const Collision shape = obstacle(c.type, c.shape, c.skew);
    CollisionSweep sweep(bounds_of(c.mover), 0, 1, {fx(c.dx), fx(c.dy)}, true);
    sweep.test_static(shape);
    EXPECT_EQ(sweep.delta().x, fx(c.expected_dx)) << c.what;
    EXPECT_EQ(sweep.delta().y, fx(c.expected_dy)) << c.what;
    EXPECT_EQ(sweep.hit(), c.hit) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Shapes, CollisionSweepTest, testing::ValuesIn(kCases));

TEST(CollisionShapeTest, SkewedBoundsAndMirroring) {
    const Collision skewed = obstacle(CollisionType::SkewedBox, {0, 0, 10, 10}, -4);
    EXPECT_EQ(skewed.m_bounds.min_x, fx(-4));
    EXPECT_EQ(skewed.m_bounds.max_x, fx(10));
    Collision box = obstacle(CollisionType::Box, {-10, 0, 30, 5}, 0);
    box.mirror();
    box.place({});
    EXPECT_EQ(box.m_bounds.min_x, fx(-30));
    EXPECT_EQ(box.m_bounds.max_x, fx(10));
}

TEST(CollisionShapeTest, HalfOpenIntervals) {
    const CollisionBounds b = bounds_of({0, 0, 10, 10});
    EXPECT_TRUE(b.contains({0, 0}));
    EXPECT_FALSE(b.contains({fx(10), 0}));
    EXPECT_FALSE(b.overlaps(bounds_of({10, 0, 20, 10})));
    EXPECT_TRUE(b.overlaps(bounds_of({9.5, 9.5, 20, 20})));
}

}  // namespace
}  // namespace me::test
