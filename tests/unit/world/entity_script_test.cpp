// Entities and rooms as scripts see them: callbacks and their order, vetoes,
// wall and ground reports, clips played by game ticks, and the setters that
// refuse values their saved width cannot hold.
#include <string>

#include "../clip/clip_test_fixture.h"

namespace me::test {
namespace {

constexpr const char* kScript = R"nut(
    ::trace <- [];
    ::log <- function(s) { ::trace.append(s); }
    ::trace_text <- function() {
        local s = ""; foreach (i, t in ::trace) s += (i > 0 ? " " : "") + t; ::trace.clear(); return s;
    }
    class Tracer extends EntityBase {
        name = "";
        leave_in_tick = false;
        veto = false;
        constructor(n) { base.constructor(); name = n; }
        function tick() { ::log(name + ".tick"); if (leave_in_tick) remove_from_room(); }
        function post_tick() { ::log(name + ".post"); }
        function on_clip_end() { ::log(name + ".end"); }
        function on_move(p) { ::log(name + ".move"); return veto ? null : true; }
        function on_collision(other) { ::log(name + ".hit(" + (other == null ? "static" : other.name) + ")"); }
        function on_wall_hit(which) { ::log(name + ".wall(" + which + ")"); }
        function on_ground_hit(bounced) { ::log(name + ".ground(" + bounced + ")"); }
        function added_to_room(room) { ::log(name + ".added"); }
        function removed_from_room(room) { ::log(name + ".removed"); }
    }
    class TracingRoom extends RoomBase {
        function entity_added(e) { ::log("room+" + e.name); }
        function entity_removed(e) { ::log("room-" + e.name); }
    }
    ::room <- TracingRoom();
    ::U <- 65536;
    // A clip resource of 10000 ticks whose root node moves by Fixed
    // positions 0, 10.0 and 30.0 along x and 2.0 along y.
    ::walk <- ClipResource();
    walk.set_duration_in_milliseconds(100);
    walk.init_channels(3, 2, 2);
    walk.set_fixed_channel_data(0, 0, [0, 10 * 65536, 30 * 65536]);
    walk.set_fixed_channel_data(1, 1, [0, 2 * 65536, 2 * 65536]);
    walk.set_instantiator(function(resource) {
        local clip = Clip();
        clip.init(resource);
        local root = ClipObject();
        root.set_name("root");
        clip.add_child(root);
        clip.add_controller(ClipTransformChannelController(clip, root, 0, -1, -1));
        return clip;
    });
    walk.finish();
    g_clip_resource_defs.walk <- { _clip_resource = walk };
)nut";

class EntityScriptTest : public ClipTest {
protected:
    void SetUp() override {
        ClipTest::SetUp();
        evaluate(kScript);
    }
    void TearDown() override {
        evaluate("::room <- null; ::a <- null; ::b <- null; ::walk <- null; return null;");
        ClipTest::TearDown();
    }
    std::string trace() { return evaluate_string("return ::trace_text();"); }
};

TEST_F(EntityScriptTest, ATickRunsTheCallbacksInOrderAndSkipsAnEntityThatLeft) {
    evaluate("::a <- Tracer(\"a\"); ::b <- Tracer(\"b\"); ::room.add_entity(a); ::room.add_entity(b);");
    EXPECT_EQ(trace(), "a.added room+a b.added room+b");
    evaluate("::room.tick(false, 0);");
    EXPECT_EQ(trace(), "a.tick a.post b.tick b.post") << "a new entity does not report a clip end";
    evaluate("a.reset_clip(true); a.leave_in_tick = true; ::room.tick(false, 1);");
    EXPECT_EQ(trace(), "a.end a.tick a.removed room-a b.tick b.post");
    evaluate("::room.tick(false, 2);");
    EXPECT_EQ(trace(), "b.tick b.post");
    EXPECT_EQ(evaluate_integer("return ::room.get_entity_count();"), 1);
    evaluate("b.set_grabbed(true, 0, 0); ::room.tick(false, 3);");
    EXPECT_EQ(trace(), "b.post") << "a grabbed entity gets no tick";
}

TEST_F(EntityScriptTest, BlockedMovesReportWallsCollisionsAndVetoes) {
    evaluate(R"(
        ::room.add_static_box_collision([0, 0], [10 * U, 10 * U], -999 * U);
        ::a <- Tracer("a");
        a.set_box_collision([0, 0], [4 * U, 4 * U], 10 * U);
        a.set_position(10 * U, 2 * U);
        a.set_collision_group_and_mask(2, 1);
        a.set_movable(true);
        a.set_move_flags(2);
        ::room.add_entity(a);
        a.set_velocity_x(-60 * U);
    )");
    trace();
    evaluate("a.move();");
    EXPECT_EQ(trace(), "a.hit(static) a.wall(1)") << "touching the right edge, it cannot move left";
    evaluate("a.set_move_flags(2 | 4); a.veto = true; a.set_velocity(60 * U, 0, 0); a.move();");
    EXPECT_EQ(trace(), "a.move a.wall(1)") << "a vetoed move is a wall hit";
    EXPECT_EQ(evaluate_integer("return a.get_x();"), 10 * 65536);
    evaluate("a.veto = false; a.move();");
    EXPECT_EQ(trace(), "a.move");
    EXPECT_EQ(evaluate_integer("return a.get_x();"), 11 * 65536);
}

TEST_F(EntityScriptTest, FallingOntoABoxTopLandsExactlyOnIt) {
    evaluate(R"(
        ::room.add_static_box_collision([0, 0], [10 * U, 10 * U], 5 * U);
        ::a <- Tracer("a");
        a.set_position(2 * U, 2 * U);
        a.set_collision_group_and_mask(0, 1);
        a.set_movable(true);
        a.set_z(5 * U + 100);
        a.set_velocity_z(-600 * U);
        ::room.add_entity(a);
    )");
    trace();
    evaluate("a.move();");
    EXPECT_EQ(trace(), "a.ground(false)");
    EXPECT_EQ(evaluate_integer("return a.get_z();"), 5 * 65536);
    EXPECT_TRUE(evaluate_bool("return a.is_standing_on_ground() && a.is_on_ground();"));
    EXPECT_EQ(evaluate_integer("return ::room.get_ground_height([10 * U - 1, 0], 1);"), 5 * 65536);
    EXPECT_EQ(evaluate_integer("return ::room.get_ground_height([10 * U, 0], 1);"), -999 * 65536)
        << "the max edge is not under the box";
    EXPECT_EQ(evaluate_integer("return ::room.get_ground_height([0, 0], 0);"), -999 * 65536);
    EXPECT_EQ(evaluate_integer("return ::room.get_ground_height_for_entity(a, -999 * U);"), 5 * 65536);
    EXPECT_EQ(evaluate_integer("return ::room.get_ground_height_for_entity(a, 7 * U);"), 7 * 65536);
}

TEST_F(EntityScriptTest, SettersRefuseWhatTheirSavedWidthCannotHold) {
    evaluate("::a <- Tracer(\"a\");");
    const struct {
        const char* call;
        const char* error;
    } kCases[] = {
        {"a.set_z_order(256)", "Value 256 of z order is out of range 0 to 255."},
        {"a.set_z_order(-1)", "Value -1 of z order is out of range 0 to 255."},
        {"a.set_renderable_type(4)", "Value 4 of renderable type is out of range 0 to 3."},
        {"a.set_renderable_type(-1)", "Value -1 of renderable type is out of range 0 to 3."},
        {"a.set_renderable_type(3)", "no error"},
        {"a.set_facing(-2)", "Value -2 of facing is out of range 0 to 255."},
        {"a.set_clip_speed(65536)", "Value 65536 of clip speed is out of range 0 to 65535."},
        {"a.set_z(1.5)", "Expecting integer (fixed-point)."},
        {"a.set_position([1])", "Vector array doesn't have right size."},
        {"a.set_z_order(255)", "no error"},
        {"a.set_clip_speed(0)", "no error"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
    EXPECT_EQ(evaluate_integer("return a.get_z_order();"), 255);
}

TEST_F(EntityScriptTest, ClipsAdvanceByGameTicksAndReportTheirEndOnce) {
    evaluate("::a <- Tracer(\"a\"); ::room.add_entity(a);");
    EXPECT_TRUE(evaluate_bool("return a.play_clip(\"walk\", 0, false, false);"));
    EXPECT_FALSE(evaluate_bool("return a.play_clip(\"no such clip\", 0, false, false);"));
    EXPECT_TRUE(evaluate_bool("return a.get_clip() == null && a.get_clip_name() == null;"));
    evaluate("a.play_clip(\"walk\", 0, false, false); a.set_clip_speed(50); ::room.tick(false, 0);");
    EXPECT_EQ(evaluate_integer("return a.get_clip().get_clip_time();"), 833);
    evaluate("a.set_slowdown(true); ::room.tick(false, 1);");
    EXPECT_EQ(evaluate_integer("return a.get_clip().get_clip_time();"), 833 + 416);
    evaluate("a.set_slowdown(false); a.update_clip(); a.update_clip();");
    EXPECT_EQ(evaluate_integer("return a.get_clip().get_clip_time();"), 833 + 416 + 833) << "once per tick";
    trace();
    evaluate("a.set_clip_speed(400); for (local t = 2; t < 7; t++) ::room.tick(false, t);");
    EXPECT_EQ(trace(), "a.tick a.post a.tick a.post a.tick a.post a.end a.tick a.post a.tick a.post")
        << "the end is reported once, at the first tick after it was reached";
    evaluate("a.play_clip(\"walk\", 0, false, true); for (local t = 6; t < 12; t++) ::room.tick(false, t);");
    EXPECT_EQ(trace().find("a.end"), std::string::npos) << "a looping clip never ends";
}

TEST_F(EntityScriptTest, AnimMoveHandsTheRootMotionToTheScript) {
    evaluate("::a <- Tracer(\"a\"); ::room.add_entity(a); a.play_clip(\"walk\", 1, true, false);");
    EXPECT_EQ(evaluate_string("local d = a.get_anim_move_delta(); return d[0] + \",\" + d[1];"), "0,0");
    evaluate("for (local t = 0; t < 7; t++) ::room.tick(false, t);");
    // 7 x 1666 ticks pass the clip's end: the root reached its last key.
    EXPECT_EQ(evaluate_string("local d = a.get_anim_move_delta(); return d[0] + \",\" + d[1];"),
              std::to_string(30 * 65536) + "," + std::to_string(2 * 65536));
    EXPECT_EQ(evaluate_string("local d = a.get_anim_move_delta(); return d[0] + \",\" + d[1];"), "0,0");
    EXPECT_EQ(evaluate_string("local p = a.get_clip().find_object_by_name(\"root\").get_position(); "
                              "return p[0] + \",\" + p[1];"),
              "0,0")
        << "the root itself stays at the origin";
}

TEST_F(EntityScriptTest, TwoEntitiesAtOnePositionPushNothing) {
    evaluate(R"(
        ::a <- Tracer("a"); ::b <- Tracer("b");
        foreach (e in [a, b]) { e.set_box_collision([-U, -U], [U, U], U); e.set_position(5 * U, 5 * U); ::room.add_entity(e); }
        a.do_move([0, 0], 0, false, true);
    )");
    EXPECT_EQ(evaluate_integer("return a.get_x();"), 5 * 65536);
    evaluate("b.set_position(5 * U + U / 2, 5 * U); a.do_move([0, 0], 0, false, true);");
    EXPECT_LT(evaluate_integer("return a.get_x();"), 5 * 65536) << "pushed away from b, to the left";
}

}  // namespace
}  // namespace me::test
