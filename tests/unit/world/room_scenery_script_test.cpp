// The room's scenery as scripts reach it: the tick steps it once per tick
// number, indices are checked at both ends, renderable types are limited to
// the depth key's four, and floor types are found by position.
#include <string>

#include "../clip/clip_test_fixture.h"

namespace me::test {
namespace {

class RoomSceneryScriptTest : public ClipTest {
protected:
    void SetUp() override {
        ClipTest::SetUp();
        evaluate(R"(
            const U = 65536;
            ::room <- RoomBase();
            ::decal <- room.add_decal("spark", 0, [10 * U, 10 * U], 7, 0, [U, U]);
            ::particle <- room.create_particle("steps", [0, 0], 50 * U, 7, 1, 4);
            room.set_particle_duration_and_fade(particle, 10.0, 0.0);
            room.add_particle_velocity(particle, [60.0, 0.0, 0.0]);
            return null;)");
    }
    void TearDown() override {
        evaluate("::room <- null; return null;");
        ClipTest::TearDown();
    }
};

TEST_F(RoomSceneryScriptTest, MistakesAreScriptErrorsAndANegativeIndexIsLetPass) {
    const struct {
        const char* call;
        const char* error;
    } kCases[] = {
        {"room.set_static_object_color(1, 1, 2, 3, 4)", "Invalid static object index 1."},
        {"room.set_decal_angle(7, 0.5)", "Invalid static object index 7."},
        {"room.set_decal_floor_type(1, 2, [0, 0], [U, U])", "Invalid static object index 1."},
        {"room.set_static_object_color(-1, 1, 2, 3, 4)", "no error"},
        {"room.set_decal_angle(0, 0.5)", "no error"},
        {"room.set_particle_damping(1, 0.5)", "Invalid particle index 1."},
        {"room.set_particle_color(5, 1, 2, 3, 4)", "Invalid particle index 5."},
        {"room.set_particle_gravity(-1, 9.0)", "no error"},
        {"room.set_particle_damping(0, \"x\")", "Expecting float."},
        {"room.add_static_sprite_object(4, [0, 0], 0, [0, 0], 7, \"spark\", [U, U])",
         "Value 4 of renderable type is out of range 0 to 3."},
        {"room.add_decal(\"spark\", 0, [0, 0], 7, -1, [U, U])", "Value -1 of renderable type is out of range 0 to 3."},
        {"room.create_particle(\"steps\", [0, 0], 0, 7, 9, 0)", "Value 9 of renderable type is out of range 0 to 3."},
        {"room.add_overlay_clip_object([0, 0], 0, 7, null)", "Expecting clip::ClipObject"},
        {"room.render(null)", "Expecting View2d"},
        {"room.render_fade(View2d(), null)", "Expecting float."},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
    EXPECT_EQ(evaluate_integer("return room.add_static_sprite_object(3, [0, 0], 0, [0, 0], 7, null, [U, U]);"), -1)
        << "nothing to show";
    EXPECT_EQ(evaluate_integer("return room.create_particle(\"no such clip\", [0, 0], 0, 7, 0, 0);"), -1);
    EXPECT_EQ(evaluate_integer("return room.get_particle_count();"), 1);
}

// "steps" lasts less than a game tick: a particle of it that does not loop
// ends in its first step and dies in its second.
TEST_F(RoomSceneryScriptTest, TheRoomTickStepsParticlesOncePerTickNumber) {
    evaluate("room.create_particle(\"steps\", [0, 0], 0, 7, 0, 0);");
    evaluate("room.tick(false, 3); room.tick(false, 3);");
    EXPECT_EQ(evaluate_integer("return room.get_particle_count();"), 2) << "stepped once";
    evaluate("room.tick(true, 4);");
    EXPECT_EQ(evaluate_integer("return room.get_particle_count();"), 1) << "stepped again with a new number";
    evaluate("room.kill_newer_particles(-3);");
    EXPECT_EQ(evaluate_integer("return room.get_particle_count();"), 0);
}

TEST_F(RoomSceneryScriptTest, FloorTypesByPosition) {
    evaluate("room.set_decal_floor_type(decal, 5, [-2 * U, -2 * U], [2 * U, 2 * U]);"
             "::second <- room.add_decal(\"spark\", 0, [11 * U, 10 * U], 7, 0, [2 * U, U]);"
             "room.set_decal_floor_type(second, 6, [-U, -U], [U, U]); return null;");
    const struct {
        const char* point;
        SQInteger floor;
    } kCases[] = {
        {"[8 * U, 8 * U]", 5}, {"[9 * U, 10 * U]", 6}, {"[13 * U - 1, 10 * U]", 6}, {"[13 * U, 10 * U]", 0},
        {"[12 * U - 1, 8 * U]", 5}, {"[12 * U, 8 * U]", 0}, {"[7 * U, 10 * U]", 0}, {"[10 * U, 12 * U]", 0},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(evaluate_integer(std::string("return room.get_floor_type_at_position(") + c.point + ");"), c.floor)
            << c.point;
}

}  // namespace
}  // namespace me::test
