#include <gtest/gtest.h>

#include <algorithm>

#include "../clip/clip_test_fixture.h"
#include "world/debug_draw_areas.h"
#include "world/entity_shadow.h"
#include "world/room_decorations.h"
#include "world/room_draw_list.h"
#include "world/room_particles.h"

namespace me {
namespace {

constexpr Fixed kUnit = FIXED_ONE;

// A floor of height 0 everywhere and a wall filling x >= 10.
class FloorAndWall : public ParticleSurroundings {
public:
    static constexpr Fixed kWallX = 10 * kUnit;

    FixedVec2 sweep(const CollisionBounds& box, Fixed, int32_t mask, FixedVec2 delta) const override {
        masks_asked.push_back(mask);
        if (delta.x > 0 && box.max_x + delta.x > kWallX)
            delta.x = std::max(kWallX - box.max_x, 0);
        return delta;
    }
    Fixed ground_below(const CollisionBounds&, Fixed top, int32_t) const override { return top >= 0 ? 0 : kNoGroundHeight; }

    mutable std::vector<int32_t> masks_asked;
};

class RoomParticlesTest : public test::ClipTest {
protected:
    RoomParticle& make(Vec3 position, Vec3 velocity) {
        const int32_t index = particles.create("steps", {fixed_from_float(position.x), fixed_from_float(position.y)},
                                               fixed_from_float(position.z), 7, 0, 0);
        EXPECT_EQ(index, static_cast<int32_t>(particles.count()) - 1);
        RoomParticle& particle = *particles.find(index);
        particle.velocity = velocity;
        return particle;
    }
    void TearDown() override {
        particles.kill_all();
        test::ClipTest::TearDown();
    }

    RoomParticles particles;
    FloorAndWall room;
};

TEST_F(RoomParticlesTest, StepsOncePerTickNumber) {
    RoomParticle& particle = make({0, 0, 50}, {60, 0, 0});
    particles.set_duration_and_fade(particle, 10.0f, 0.0f);
    particles.tick(5, room);
    EXPECT_NEAR(particles.find(0)->position.x, 1.0f, 1e-4f);
    particles.tick(5, room);
    EXPECT_NEAR(particles.find(0)->position.x, 1.0f, 1e-4f) << "the same tick number again";
    particles.tick(4, room);
    EXPECT_NEAR(particles.find(0)->position.x, 1.0f, 1e-4f) << "an earlier tick number, re-run after a rollback";
    particles.tick(6, room);
    EXPECT_NEAR(particles.find(0)->position.x, 2.0f, 1e-4f);
}

TEST_F(RoomParticlesTest, DiesByDurationOrAtTheEndOfAClipThatDoesNotLoop) {
    RoomParticle& timed = make({0, 0, 0}, {});
    particles.set_duration_and_fade(timed, 0.04f, 0.0f);
    make({0, 0, 0}, {});  // "steps" lasts 1000 clip ticks, less than one game tick
    particles.tick(1, room);
    EXPECT_EQ(particles.count(), 2u);
    particles.tick(2, room);
    ASSERT_EQ(particles.count(), 1u) << "the clip ended in the first step";
    EXPECT_GT(particles.find(0)->duration, 0.0f) << "the survivor is the timed one, moved down";
    particles.tick(3, room);
    EXPECT_EQ(particles.count(), 0u) << "three steps are older than 0.04 s";
}

TEST_F(RoomParticlesTest, FadesOverTheLastPartOfItsDuration) {
    RoomParticle& particle = make({0, 0, 0}, {});
    particles.set_duration_and_fade(particle, 0.1f, 0.05f);
    const float expected[] = {1.0f, 1.0f, 1.0f, 1.0f - (4.0f / 60 - 0.05f) / 0.05f, 1.0f - (5.0f / 60 - 0.05f) / 0.05f};
    for (int tick = 0; tick < 5; ++tick) {
        particles.tick(tick, room);
        EXPECT_NEAR(particles.find(0)->clip->color().alpha, expected[tick], 1e-3f) << "after step " << tick + 1;
    }
}

TEST_F(RoomParticlesTest, MovesWithDampingGravityAndSpin) {
    RoomParticle& particle = make({0, 0, 100}, {60, -120, 30});
    particles.set_duration_and_fade(particle, 10.0f, 0.0f);
    particle.damping = 0.5f;
    particle.gravity = 600.0f;
    particle.rotation_speed = 3.0f;
    particles.tick(1, room);
    const RoomParticle& moved = *particles.find(0);
    EXPECT_NEAR(moved.velocity.x, 30.0f, 1e-3f);
    EXPECT_NEAR(moved.velocity.z, 0.5f * (30.0f - 10.0f), 1e-3f);
    EXPECT_NEAR(moved.position.x, 0.5f, 1e-4f);
    EXPECT_NEAR(moved.position.y, -1.0f, 1e-4f);
    EXPECT_NEAR(moved.position.z, 100.0f + 10.0f / 60, 1e-4f);
    EXPECT_NEAR(moved.angle, 0.05f, 1e-5f);
}

TEST_F(RoomParticlesTest, BoxBouncesOffAWallAndLandsOnTheFloor) {
    RoomParticle& flying = make({8, 0, 50}, {120, 0, 0});
    particles.set_duration_and_fade(flying, 10.0f, 0.0f);
    flying.has_box = true;
    flying.box = {{0, 0}, {kUnit, kUnit}, kUnit};
    particles.tick(1, room);
    EXPECT_NEAR(particles.find(0)->position.x, 9.0f, 1e-4f) << "stopped with its box against the wall";
    EXPECT_NEAR(particles.find(0)->velocity.x, -60.0f, 1e-3f) << "halved and reversed";
    EXPECT_EQ(room.masks_asked, std::vector<int32_t>{RoomParticles::kCollisionMask});

    RoomParticle& falling = make({0, 0, 0.5f}, {10, 0, -60});
    particles.set_duration_and_fade(falling, 10.0f, 0.0f);
    falling.has_box = true;
    falling.box = {{0, 0}, {kUnit, kUnit}, kUnit};
    falling.rotation_speed = 1.0f;
    particles.tick(2, room);
    const RoomParticle& landed = *particles.find(1);
    EXPECT_EQ(landed.position.z, 0.0f) << "held on the floor";
    EXPECT_NEAR(landed.velocity.z, 30.0f, 1e-3f);
    EXPECT_NEAR(landed.rotation_speed, 0.4f * 0.8f, 1e-5f) << "landing, then rolling on the floor";
    EXPECT_NEAR(landed.velocity.x, 8.0f, 1e-4f);
}

TEST_F(RoomParticlesTest, GroupsKillingAndIndices) {
    make({0, 0, 0}, {}).group = 1;
    make({0, 0, 0}, {}).group = 2;
    make({0, 0, 0}, {}).group = 1;
    particles.find(0)->base_position.z = 7;
    particles.update_group_base_position(1, {5, 6});
    EXPECT_EQ(particles.find(0)->room_position(), (Vec3{5, 6, 7})) << "the base keeps its height";
    EXPECT_EQ(particles.find(1)->room_position(), (Vec3{0, 0, 0}));
    EXPECT_EQ(particles.find(2)->base_position, (Vec3{5, 6, 0}));
    EXPECT_EQ(particles.find(3), nullptr);
    EXPECT_EQ(particles.find(-1), nullptr);
    EXPECT_EQ(particles.create("no_such_clip", {}, 0, 7, 0, 0), -1);
    EXPECT_EQ(particles.count(), 3u);
    particles.kill_newer(5);
    EXPECT_EQ(particles.count(), 3u);
    particles.kill_newer(1);
    ASSERT_EQ(particles.count(), 1u);
    EXPECT_EQ(particles.find(0)->group, 1);
    particles.kill_all();
    EXPECT_EQ(particles.count(), 0u);
}

TEST_F(RoomParticlesTest, DrawsTheClipAtItsHeightAndTheShadowOnTheFloor) {
    RoomParticle& particle = make({30, 20, 400}, {});
    particle.shadow_sprite = load_sprite("spark");
    particle.facing = 1;
    RoomDrawLists lists;
    particles.add_draw_entries(lists, room);
    const std::vector<DrawEntry>& main = lists.list(RoomDrawLists::kMain);
    ASSERT_EQ(main.size(), 2u);
    EXPECT_EQ(main[0].clip, particle.clip.get());
    EXPECT_EQ(particle.clip->position(), (Vec2{30, -380}));
    EXPECT_EQ(particle.clip->scale().x, -1.0f) << "mirrored";
    EXPECT_EQ(main[1].sprite, particle.shadow_sprite.get());
    EXPECT_EQ(main[1].key, shadow_depth_key(20 * kUnit, 0));
    EXPECT_NEAR(main[1].transform.a, 0.5f, 1e-5f) << "half size 400 units up";
    EXPECT_EQ(main[1].transform.ty, 20.0f);
}

class RoomDecorationsTest : public test::ClipTest {
protected:
    int32_t add_sprite(FixedVec2 position, FixedVec2 scale = {kUnit, kUnit}) {
        StaticPlacement placement;
        placement.position = position;
        placement.scale = scale;
        return decorations.add_sprite_object(placement, load_sprite("spark"));
    }
    void TearDown() override {
        decorations = RoomDecorations();
        test::ClipTest::TearDown();
    }

    RoomDecorations decorations;
};

TEST_F(RoomDecorationsTest, MostRecentFloorAreaWinsAndEdgesAreHalfOpen) {
    const int32_t wide = add_sprite({0, 0}, {2 * kUnit, kUnit});
    const int32_t narrow = add_sprite({10 * kUnit, 0});
    add_sprite({0, 0});  // no floor type
    RoomDecorations::set_floor_type(*decorations.find(wide), 3, {-10 * kUnit, -5 * kUnit}, {10 * kUnit, 5 * kUnit});
    RoomDecorations::set_floor_type(*decorations.find(narrow), 4, {-kUnit, -kUnit}, {kUnit, kUnit});
    struct Case {
        FixedVec2 point;
        int32_t floor;
    };
    const Case cases[] = {
        {{0, 0}, 3},
        {{-20 * kUnit, -5 * kUnit}, 3},      // min corner, scaled by 2 in x
        {{20 * kUnit - 1, 5 * kUnit - 1}, 3},
        {{20 * kUnit, 0}, 0},                // max x is outside
        {{0, 5 * kUnit}, 0},                 // max y is outside
        {{-20 * kUnit - 1, 0}, 0},
        {{9 * kUnit, -kUnit}, 4},            // inside both: the later one
        {{11 * kUnit - 1, kUnit - 1}, 4},
        {{11 * kUnit, 0}, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decorations.floor_type_at(c.point), c.floor) << c.point.x << ", " << c.point.y;
}

TEST_F(RoomDecorationsTest, ObjectsNeedSomethingToShowAndIndicesAreChecked) {
    EXPECT_EQ(decorations.add_sprite_object({}, ResourceRef<Sprite>()), -1);
    EXPECT_EQ(decorations.add_clip_object({}, ResourceRef<clip::Clip>()), -1);
    EXPECT_EQ(add_sprite({0, 0}), 0);
    StaticPlacement placement;
    placement.position = {10 * kUnit, 40 * kUnit};
    placement.z = 15 * kUnit;
    placement.scale = {2 * kUnit, kUnit};
    EXPECT_EQ(decorations.add_clip_object(placement, clip::instantiate_clip("steps")), 1);
    EXPECT_EQ(decorations.find(2), nullptr);
    EXPECT_EQ(decorations.find(-1), nullptr);
    clip::Clip& shown = *decorations.find(1)->clip.get();
    EXPECT_EQ(shown.position(), (Vec2{10, 25}));
    EXPECT_EQ(shown.scale(), (Vec2{2, 1}));
    EXPECT_TRUE(shown.looping());
    RoomDecorations::set_color(*decorations.find(1), {0.5f, 0.25f, 1.0f, 0.5f});
    EXPECT_EQ(shown.color(), (Color{0.5f, 0.25f, 1.0f, 0.5f}));
    RoomDecorations::set_angle(*decorations.find(1), 0.25f);
    EXPECT_EQ(shown.rotation(), 0.25f);
    decorations.advance_clips();
    EXPECT_GT(shown.time(), 0u);
    EXPECT_FALSE(shown.is_at_end()) << "set looping";
}

TEST_F(RoomDecorationsTest, EntriesSortByTheirSortPosition) {
    StaticPlacement placement;
    placement.layer = kDepthDrawLayer;
    placement.renderable_type = 1;
    placement.position = {0, 0};
    placement.sort_position = {0, 300 * kUnit};
    placement.z = 20 * kUnit;
    decorations.add_sprite_object(placement, load_sprite("flash"));
    decorations.add_overlay({0, 50 * kUnit}, 0, kDepthDrawLayer, clip::instantiate_clip("steps"));
    RoomDrawLists lists;
    decorations.add_draw_entries(lists);
    const std::vector<DrawEntry>& main = lists.list(RoomDrawLists::kMain);
    ASSERT_EQ(main.size(), 2u);
    EXPECT_EQ(main[0].key, depth_key(kDepthDrawLayer, 300 * kUnit, 20 * kUnit, 1));
    EXPECT_EQ(main[0].y, 300.0f);
    EXPECT_EQ(main[0].transform.ty, -20.0f) << "drawn at its own position, raised by z";
    EXPECT_EQ(main[1].key, depth_key(kDepthDrawLayer, 50 * kUnit, 0, RoomDecorations::kOverlayRenderableType));
}

TEST(DebugDrawAreas, EachTickCountsDownAndRemovesTheSpent) {
    DebugDrawAreas areas;
    for (int32_t ticks : {1, 3, 0, 2}) {
        DebugDrawArea area;
        area.ticks_left = ticks;
        areas.add(area);
    }
    areas.tick();
    ASSERT_EQ(areas.count(), 2u) << "one tick removes the area added with 1, and the one with none";
    EXPECT_EQ(areas.area(0).ticks_left, 2);
    EXPECT_EQ(areas.area(1).ticks_left, 1);
    areas.tick();
    ASSERT_EQ(areas.count(), 1u);
    EXPECT_EQ(areas.area(0).ticks_left, 1);
    areas.tick();
    EXPECT_EQ(areas.count(), 0u);
}

}  // namespace
}  // namespace me
