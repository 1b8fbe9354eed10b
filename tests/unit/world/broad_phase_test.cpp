// The broad phase narrows what each query looks at and must change nothing:
// the same crowded world run with and without it gives the same positions
// and the same callbacks in the same order, tick after tick.
#include <string>

#include "binding_test_vm.h"
#include "world/room_base.h"

namespace me::test {
namespace {

constexpr const char* kScript = R"nut(
    ::U <- 65536;
    class Bumper extends EntityBase {
        id = 0;
        log = null;
        function tick() {
            local k = (::tick_number * 5 + id * 11) % 23;
            if (k == 0) add_impulse(fixed_from_int(240), fixed_from_int(-90));
            else if (k == 7) add_impulse(fixed_from_int(-300), fixed_from_int(60));
            else if (k == 13 && is_on_ground()) set_velocity_z(fixed_from_int(350));
            else if (k == 17) do_move([U / 3, -U / 5], 0, false, true);
        }
        function on_collision(other) { log.append("c" + id + ":" + (other == null ? -1 : other.id)); }
        function on_wall_hit(which) {
            log.append("w" + id + ":" + which);
            if (which & 1) set_velocity_x(-get_velocity_x());
            if (which & 2) set_velocity_y(-get_velocity_y());
        }
        function on_ground_hit(bounced) { log.append("g" + id + ":" + bounced); }
    }
    ::build <- function(log) {
        local room = RoomBase();
        local wall = -999 * U;
        room.add_static_box_collision([-50 * U, -50 * U], [650 * U, 0], wall);
        room.add_static_box_collision([-50 * U, 600 * U], [650 * U, 650 * U], wall);
        room.add_static_box_collision([-50 * U, 0], [0, 600 * U], wall);
        room.add_static_box_collision([600 * U, 0], [650 * U, 600 * U], wall);
        room.add_static_box_collision([0, 0], [600 * U, 600 * U], 0);
        room.add_static_skewed_box_collision([200 * U, 200 * U], [260 * U, 240 * U], 25 * U, 15 * U);
        room.add_static_box_collision([400 * U, 100 * U], [460 * U, 180 * U], 30 * U);
        local rng = { seed = 7 };
        local next = function(n) {
            rng.seed = (rng.seed * 1103515245 + 12345) & 0x7fffffff;
            return (rng.seed >> 8) % n;
        };
        for (local i = 0; i < 160; i++) {
            local b = Bumper();
            b.id = i;
            b.log = log;
            b.set_position(next(560) * U + 20 * U, next(560) * U + 20 * U);
            b.set_z(next(3) == 0 ? next(40) * U : 0);
            local w = (4 + next(10)) * U, d = (3 + next(6)) * U;
            if (i % 5 == 0) b.set_skewed_box_collision([-w, -d], [w, d], (next(9) - 4) * U, (5 + next(20)) * U);
            else if (i % 17 == 0) b.set_box_collision([-90 * U, -3 * U], [90 * U, 3 * U], -999 * U);
            else b.set_box_collision([-w, -d], [w, d], (5 + next(20)) * U);
            b.set_collision_group_and_mask(1 << (1 + i % 3), 1 | (i % 4 == 0 ? 6 : 14));
            b.set_movable(true);
            b.set_bounciness(52428, 26214, 120 * U);
            b.set_velocity((next(400) - 200) * U, (next(400) - 200) * U, 0);
            if (i % 9 == 0) b.set_facing(1);
            room.add_entity(b);
        }
        return room;
    }
    // One tick; what every entity's position became and what was called.
    ::step <- function(room, log) {
        room.tick(false, ::tick_number);
        local s = "";
        foreach (e in room.get_entities()) s += e.get_x() + "," + e.get_y() + "," + e.get_z() + " ";
        foreach (l in log) s += l + " ";
        log.clear();
        return s;
    }
    ::tick_number <- 0;
    ::with_log <- [];
    ::without_log <- [];
    ::with_grid <- ::build(::with_log);
    ::without_grid <- ::build(::without_log);
)nut";

class BroadPhaseTest : public BindingTest {
protected:
    void TearDown() override {
        evaluate("::with_grid <- null; ::without_grid <- null; return null;");
        BindingTest::TearDown();
    }

    RoomBase& room(const char* name) {
        evaluate(std::string("return ::") + name + ";").push(vm());
        SQUserPointer pointer = nullptr;
        sq_getinstanceup(vm(), -1, &pointer, nullptr);
        sq_pop(vm(), 1);
        return *static_cast<RoomBase*>(static_cast<GameObject*>(pointer));
    }
};

TEST_F(BroadPhaseTest, ACrowdedWorldRunsTheSameWithAndWithoutIt) {
    evaluate(kScript);
    room("without_grid").set_broad_phase(false);
    constexpr int kTicks = 100;
    size_t collisions = 0;
    size_t walls = 0;
    for (int t = 0; t < kTicks; ++t) {
        evaluate("::tick_number = " + std::to_string(t) + ";");
        const std::string with = evaluate_string("return ::step(::with_grid, ::with_log);");
        const std::string without = evaluate_string("return ::step(::without_grid, ::without_log);");
        ASSERT_EQ(with, without) << "tick " << t;
        for (size_t at = with.find(" c"); at != std::string::npos; at = with.find(" c", at + 1))
            ++collisions;
        for (size_t at = with.find(" w"); at != std::string::npos; at = with.find(" w", at + 1))
            ++walls;
    }
    // Busy enough to mean something.
    EXPECT_GT(collisions, 200u);
    EXPECT_GT(walls, 200u);
}

}  // namespace
}  // namespace me::test
