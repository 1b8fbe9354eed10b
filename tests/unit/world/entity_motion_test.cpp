// The move step against a model of its formulas written here in 64-bit
// integers: friction, gravity, impulse, slowdown, flying, levitation,
// landing and bouncing, step after step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "core/resource_ref.h"
#include "world/entity_base.h"
#include "world/room_base.h"

namespace me::test {
namespace {

constexpr int64_t U = 65536;
constexpr int64_t kNoGround = -999 * U;

// The motion of one entity over flat ground (or none), as the formulas give it.
struct Model {
    int64_t x = 0, y = 0, z = kNoGround, vx = 0, vy = 0, vz = 0, ix = 0, iy = 0;
    uint16_t flags = EntityBase::kFlagMovable;
    std::optional<int64_t> ground;
    int64_t friction = 55705, air_friction = U, gravity = 2000 * U;
    int64_t bounce = 52428, bounce_z = 26214, threshold = 0;
    int ground_hits = 0;
    bool last_bounced = false;

    bool has(uint16_t flag) const { return (flags & flag) != 0; }
    static int64_t mul(int64_t a, int64_t b) { return (a * b) >> 16; }

    bool standing() const { return z <= kNoGround || (ground && z == *ground); }
    bool on_ground() const {
        if (vz > 0)
            return false;
        if (has(EntityBase::kFlagLevitate) && z <= 0)
            return true;
        return standing();
    }

    void step() {
        const bool g = on_ground();
        const bool flying = has(EntityBase::kFlagFlying);
        if (!flying && !has(EntityBase::kFlagNoFriction)) {
            vx = mul(vx, g ? friction : air_friction);
            vy = mul(vy, g ? friction : air_friction);
        }
        if (!g && !flying && !has(EntityBase::kFlagNoGravity))
            vz += gravity / -60;
        int64_t bx = vx;
        int64_t by = vy;
        if (has(EntityBase::kFlagImpulseApplied)) {
            ix = iy = 0;
        } else {
            flags |= EntityBase::kFlagImpulseApplied;
            bx += ix;
            by += iy;
        }
        const int64_t divisor = has(EntityBase::kFlagSlowdown) ? 120 : 60;
        bx /= divisor;
        by /= divisor;
        int64_t dz = vz / 60;
        if (flying) {
            dz -= by;
            by = 0;
        }
        if (dz >= 0) {
            z += dz;
        } else if (z <= kNoGround) {
            z = kNoGround;
        } else {
            const int64_t top = ground && *ground <= z ? *ground : kNoGround;
            z = -dz >= z - top ? top : z + dz;
        }
        z = std::max(z, kNoGround);
        x += bx;
        y += by;
        if (has(EntityBase::kFlagLevitate) && z < 0)
            z = 0;
        if (vz < 0 && on_ground()) {
            const int64_t speed = vz < 0 ? -vz : vz;
            last_bounced = !(threshold <= 0 || speed < threshold);
            if (last_bounced) {
                vx = mul(vx, bounce);
                vy = mul(vy, bounce);
                vz = -mul(bounce_z, vz);
            } else {
                vz = 0;
            }
            ++ground_hits;
        }
    }
};

struct MotionCase {
    const char* what;
    uint16_t extra_flags;
    int64_t z, vx, vy, vz, ix, iy;
    std::optional<int64_t> ground;
    int64_t threshold;
};

const MotionCase kCases[] = {
    {"on the ground with friction", 0, kNoGround, 60 * U, 0, 0, 0, 0, std::nullopt, 0},
    {"negative velocities truncate toward zero", 0, kNoGround, -61 * U - 7, -13 * U - 1, 0, 0, 0, std::nullopt, 0},
    {"an impulse for one step only", 0, kNoGround, 0, 0, 0, 90 * U, -30 * U, std::nullopt, 0},
    {"falling from a height with gravity", 0, 300 * U, 0, 0, 0, 0, 0, std::nullopt, 0},
    {"falling onto ground at 10", 0, 40 * U + 123, 30 * U, 0, 0, 0, 0, 10 * U, 0},
    {"bouncing on ground at 0", 0, 200 * U, 20 * U, 10 * U, 0, 0, 0, 0, 100 * U},
    {"slowdown without gravity or friction", EntityBase::kFlagSlowdown | 0x3, 50 * U, 120 * U, 0, -60 * U, 0, 0,
     std::nullopt, 0},
    {"flying turns y into height", EntityBase::kFlagFlying, 0, 6 * U, -60 * U, 0, 0, 0, std::nullopt, 0},
    {"levitating never goes below 0", EntityBase::kFlagLevitate, 30 * U, 0, 0, -500 * U, 0, 0, std::nullopt, 0},
    {"rising against gravity", 0, 0, 0, 0, 700 * U, 0, 0, 0, 0},
};

class EntityMotionTest : public testing::TestWithParam<MotionCase> {
protected:
    void SetUp() override {
        room = ResourceRef<RoomBase>(new RoomBase);
        entity = ResourceRef<EntityBase>(new EntityBase);
        room->add_entity(*entity.get());
    }

    ResourceRef<RoomBase> room;
    ResourceRef<EntityBase> entity;
};

TEST_P(EntityMotionTest, FollowsTheFormulasStepByStep) {
    const MotionCase& c = GetParam();
    Model model;
    model.flags |= c.extra_flags;
    model.z = c.z;
    model.vx = c.vx;
    model.vy = c.vy;
    model.vz = c.vz;
    model.ix = c.ix;
    model.iy = c.iy;
    model.ground = c.ground;
    model.threshold = c.threshold;

    entity->set_flag(model.flags, true);
    entity->set_z(static_cast<Fixed>(c.z));
    entity->set_velocity(static_cast<Fixed>(c.vx), static_cast<Fixed>(c.vy), static_cast<Fixed>(c.vz));
    entity->set_impulse(static_cast<Fixed>(c.ix), static_cast<Fixed>(c.iy));
    entity->set_bounce_threshold(static_cast<Fixed>(c.threshold));
    if (c.ground) {
        room->add_static_box_collision({-1000 * U, -1000 * U}, {1000 * U, 1000 * U}, static_cast<Fixed>(*c.ground));
        entity->set_collision_group_and_mask(0, EntityBase::kStaticCollisionBit);
    }
    for (int step = 0; step < 40; ++step) {
        model.step();
        entity->move();
        ASSERT_EQ(entity->position().x, model.x) << c.what << " step " << step;
        ASSERT_EQ(entity->position().y, model.y) << c.what << " step " << step;
        ASSERT_EQ(entity->z(), model.z) << c.what << " step " << step;
        ASSERT_EQ(entity->velocity_x(), model.vx) << c.what << " step " << step;
        ASSERT_EQ(entity->velocity_y(), model.vy) << c.what << " step " << step;
        ASSERT_EQ(entity->velocity_z(), model.vz) << c.what << " step " << step;
        ASSERT_EQ(entity->impulse_x(), model.ix) << c.what << " step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, EntityMotionTest, testing::ValuesIn(kCases));

TEST(EntityMotionEdgeTest, TheNumbersGivenForTheCommonCases) {
    const ResourceRef<RoomBase> room(new RoomBase);
    const ResourceRef<EntityBase> walker(new EntityBase);
    room->add_entity(*walker.get());
    EXPECT_EQ(walker->z(), kNoGround);
    EXPECT_TRUE(walker->is_on_ground());
    walker->set_z(-2000 * U);
    EXPECT_EQ(walker->z(), kNoGround);

    walker->set_flag(EntityBase::kFlagMovable, true);
    walker->set_velocity_x(3932160);
    walker->move();
    EXPECT_EQ(walker->velocity_x(), 3342300);
    EXPECT_EQ(walker->position().x, 55705);

    const ResourceRef<EntityBase> bouncer(new EntityBase);
    room->add_entity(*bouncer.get());
    room->add_static_box_collision({-100 * U, -100 * U}, {100 * U, 100 * U}, 0);
    bouncer->set_collision_group_and_mask(0, EntityBase::kStaticCollisionBit);
    bouncer->set_flag(EntityBase::kFlagMovable | EntityBase::kFlagNoGravity, true);
    bouncer->set_bounce_threshold(100 * U);
    bouncer->set_z(1 * U);
    bouncer->set_velocity(0, 0, -150 * U);
    bouncer->move();
    EXPECT_EQ(bouncer->z(), 0);
    EXPECT_EQ(bouncer->velocity_z(), 3932100);
    bouncer->set_z(U / 2);
    bouncer->set_velocity(0, 0, -50 * U);
    bouncer->move();
    EXPECT_EQ(bouncer->velocity_z(), 0);
}

TEST(EntityMotionEdgeTest, ImpulsesLastOneMove) {
    const ResourceRef<RoomBase> room(new RoomBase);
    const ResourceRef<EntityBase> entity(new EntityBase);
    room->add_entity(*entity.get());
    entity->set_flag(EntityBase::kFlagMovable | EntityBase::kFlagNoFriction, true);
    entity->set_impulse(60 * U, 0);
    entity->move();
    EXPECT_EQ(entity->position().x, U);
    entity->add_impulse(120 * U, 0);
    EXPECT_EQ(entity->impulse_x(), 120 * U) << "after a move, add_impulse replaces";
    entity->add_impulse(60 * U, 0);
    EXPECT_EQ(entity->impulse_x(), 180 * U) << "before the next move, add_impulse adds";
    entity->move();
    EXPECT_EQ(entity->position().x, 4 * U);
    entity->move();
    EXPECT_EQ(entity->impulse_x(), 0);
    EXPECT_EQ(entity->position().x, 4 * U);
}

TEST(EntityMotionEdgeTest, MirroringAndHitBoxes) {
    const ResourceRef<EntityBase> entity(new EntityBase);
    entity->set_box_collision({-10 * U, 0}, {30 * U, 5 * U}, 10 * U);
    entity->toggle_facing();
    EXPECT_EQ(entity->collision().m_bounds.min_x, -30 * U);
    EXPECT_EQ(entity->collision().m_bounds.max_x, 10 * U);
    EXPECT_FALSE(entity->set_facing(1));
    EXPECT_TRUE(entity->set_facing(0));
    EXPECT_EQ(entity->collision().m_bounds.min_x, -10 * U);

    entity->set_position({100 * U, 50 * U});
    entity->set_z(0);
    entity->set_hit_box({-2 * U, -1 * U, 0}, {6 * U, 1 * U, 20 * U});
    EXPECT_EQ(entity->hit_box_min_in_room()[0], 98 * U);
    entity->toggle_facing();
    EXPECT_EQ(entity->hit_box_min_in_room()[0], 94 * U);
    EXPECT_EQ(entity->hit_box_max_in_room()[0], 102 * U);
    EXPECT_EQ(entity->hit_box_max_in_room()[2], 20 * U);
}

TEST(EntityMotionEdgeTest, RoughSpeedIsTheLargerPlusHalfTheSmaller) {
    const ResourceRef<EntityBase> entity(new EntityBase);
    entity->set_velocity(-3 * U, 2 * U, -7 * U);
    entity->set_impulse(0, 1);
    EXPECT_EQ(entity->effective_velocity_rough_speed_xy(), 3 * U + (2 * U + 1) / 2);
    EXPECT_EQ(entity->effective_velocity_speed_z(), 7 * U);
}

}  // namespace
}  // namespace me::test
