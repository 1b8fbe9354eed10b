// Entities and rooms in saved states: the native layout and its dump, a
// round trip, the check that refuses a damaged buffer before a rollback,
// and a 300-tick game whose rollback in the middle changes nothing after it.
#include <algorithm>
#include <string>
#include <vector>

#include "../network/state_test_fixture.h"

namespace me::test {
namespace {

// A world seed holding the room and the tick number, a static arena with
// walls, a floor and a skewed ramp, and balls that take scripted inputs,
// bounce off walls and count what they hit.
constexpr const char* kGameScript = R"(
    class World extends StateObject </ world_seed = true /> {
        </ type = "ref" /> room = null;
        </ type = "sint32" /> tick_number = 0;
        </ type = "sint32" /> next_id = 0;
    }
    class Arena extends RoomBase </ static_class = true, fn_destroy_dynamic_objects = "drop" /> {
        function drop() {}
    }
    class Ball extends EntityBase {
        </ type = "sint32" /> id = 0;
        </ type = "sint32" /> hits = 0;
        </ type = "sint32" /> walls = 0;
        function tick() {
            local k = (::world.tick_number * 7 + id * 13) % 17;
            if (k == 0) add_impulse(fixed_from_int(300), 0);
            else if (k == 4) add_impulse(0, fixed_from_int(-250));
            else if (k == 8) add_impulse(fixed_from_int(-200), fixed_from_int(180));
            else if (k == 11 && is_on_ground()) set_velocity_z(fixed_from_int(500));
            else if (k == 14) do_move([0, 0], 0, false, true);
        }
        function on_collision(other) { hits++; }
        function on_wall_hit(which) {
            walls++;
            if (which & 1) set_velocity_x(-get_velocity_x());
            if (which & 2) set_velocity_y(-get_velocity_y());
        }
    }
    Network.register_state_class("World");
    Network.register_state_class("Arena");
    Network.register_state_class("Ball");

    ::spawn <- function(x, y) {
        local b = Ball();
        b.id = ::world.next_id++;
        b.set_position(fixed_from_int(x), fixed_from_int(y));
        b.set_z(0);
        b.set_box_collision([fixed_from_int(-6), fixed_from_int(-4)], [fixed_from_int(6), fixed_from_int(4)],
                            fixed_from_int(20));
        b.set_collision_group_and_mask(2, 3);
        b.set_movable(true);
        b.set_bounciness(52428, 26214, fixed_from_int(100));
        ::world.room.add_entity(b);
        return b;
    }
    ::build_world <- function() {
        Network.creating_map();
        ::world <- World();
        local arena = Arena();
        ::world.room = arena;
        local wall = fixed_from_int(-999);
        arena.add_static_box_collision([fixed_from_int(-20), fixed_from_int(-20)], [fixed_from_int(420), 0], wall);
        arena.add_static_box_collision([fixed_from_int(-20), fixed_from_int(300)], [fixed_from_int(420), fixed_from_int(320)], wall);
        arena.add_static_box_collision([fixed_from_int(-20), 0], [0, fixed_from_int(300)], wall);
        arena.add_static_box_collision([fixed_from_int(400), 0], [fixed_from_int(420), fixed_from_int(300)], wall);
        arena.add_static_box_collision([0, 0], [fixed_from_int(400), fixed_from_int(300)], 0);
        arena.add_static_skewed_box_collision([fixed_from_int(150), fixed_from_int(100)],
                                              [fixed_from_int(200), fixed_from_int(160)], fixed_from_int(30),
                                              fixed_from_int(12));
        Network.map_created();
        for (local i = 0; i < 24; i++) ::spawn(20 + (i % 6) * 60, 20 + (i / 6) * 60);
    }
    ::run_tick <- function() {
        Network.tick_pregame();
        local t = ::world.tick_number;
        if (t == 40 || t == 170) ::spawn(200 + t % 7, 150);
        if (t == 120 || t == 230) ::world.room.remove_entity(::world.room.get_entities()[3]);
        ::world.room.tick(false, t);
        ::world.tick_number = t + 1;
        Network.tick_postgame();
    }
    ::snapshot <- function() {
        Network.save_state(1, 0);
        local s = "" + Network.get_state_crc(1);
        foreach (e in ::world.room.get_entities())
            s += " " + e.id + ":" + e.get_x() + "," + e.get_y() + "," + e.get_z() + "/" + e.hits;
        return s;
    }
    ::clear_room <- function() {
        foreach (e in ::world.room.get_entities()) ::world.room.remove_entity(e);
    }
    ::destroy_world <- function() {
        Network.destroying_map();
        ::clear_room();
        ::world = null;
        Network.map_destroyed();
    }
)";

class WorldStateTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        run(kGameScript);
    }

    // The snapshots after each of the ticks from..to-1.
    std::vector<std::string> run_ticks(int from, int to) {
        std::vector<std::string> snapshots;
        for (int t = from; t < to; ++t) {
            run("::run_tick();");
            snapshots.push_back(evaluate_string("return ::snapshot();"));
        }
        return snapshots;
    }

    std::vector<uint8_t> slot_bytes(int32_t slot) {
        const StateBuffer* buffer = manager().slot_buffer(slot);
        return std::vector<uint8_t>(buffer->bytes().begin(), buffer->bytes().end());
    }
};

TEST_F(WorldStateTest, ARollbackInTheMiddleReplaysTheSameTicks) {
    run("::build_world();");
    const std::vector<std::string> straight = run_ticks(0, 300);
    run("::destroy_world(); ::build_world();");

    std::vector<std::string> replayed = run_ticks(0, 150);
    run("Network.save_state(7, 0);");
    run_ticks(150, 215);
    run("Network.rollback(7);");
    EXPECT_EQ(evaluate_integer("return ::world.tick_number;"), 150);
    const std::vector<std::string> after = run_ticks(150, 300);
    replayed.insert(replayed.end(), after.begin(), after.end());

    ASSERT_EQ(replayed.size(), straight.size());
    for (size_t t = 0; t < straight.size(); ++t)
        ASSERT_EQ(replayed[t], straight[t]) << "tick " << t;
    // The game did something worth replaying: balls hit each other and walls.
    EXPECT_GT(evaluate_integer("local n = 0; foreach (e in ::world.room.get_entities()) n += e.hits; return n;"), 0);
    EXPECT_GT(evaluate_integer("local n = 0; foreach (e in ::world.room.get_entities()) n += e.walls; return n;"), 0);
}

TEST_F(WorldStateTest, AnEntitySavesItsMembersInOrderWithTheirWidths) {
    run("::build_world();");
    const size_t with_24 = state_bytes().size();
    run("::spawn(10, 10);");
    const size_t with_25 = state_bytes().size();
    // Class index 2; native members 153 bytes without hit box, shadow or
    // clips; script members 3 x 4; and 2 more in the room's entity list.
    EXPECT_EQ(with_25 - with_24, 2u + 153u + 12u + 2u);
    run("::world.room.get_entities()[24].set_hit_box([1, 2], [3, 4], [5, 6]);");
    EXPECT_EQ(state_bytes().size() - with_25, 24u);

    const std::string dump = manager().dump_text();
    const char* kOrder[] = {
        "EntityBase::m_room = Arena(1)", "EntityBase::m_position.x", "EntityBase::m_position.y", "EntityBase::m_scale.x",
        "EntityBase::m_scale.y", "EntityBase::m_z", "EntityBase::m_z_order = 7", "EntityBase::m_renderable_type = 3",
        "EntityBase::m_anchor_offset.x", "EntityBase::m_anchor_offset.y", "EntityBase::m_facing", "Collision::m_type = 1",
        "Collision::m_x", "Collision::m_y", "Collision::m_width", "Collision::m_depth", "Collision::m_skew",
        "Collision::m_height", "EntityBase::m_collision_enabled = 1", "EntityBase::m_collision_group = 2",
        "EntityBase::m_collision_mask = 3", "EntityBase::m_hit_box_valid = 1", "EntityBase::m_hit_box_mmm[ 0 ]",
        "EntityBase::m_hit_box_MMM[ 2 ]", "EntityBase::m_grabbed", "EntityBase::m_grabbed_offset_x",
        "EntityBase::m_grabbed_offset_y", "EntityBase::m_velocity_x", "EntityBase::m_velocity_z",
        "EntityBase::m_impulse_x", "EntityBase::m_impulse_y", "EntityBase::m_flags = 256", "EntityBase::m_ifriction",
        "EntityBase::m_air_ifriction", "EntityBase::m_gravity = 2000:0", "EntityBase::m_bounciness",
        "EntityBase::m_bounciness_z", "EntityBase::m_bounce_threshold = 100:0", "EntityBase::m_shadow_sprite = 0",
        "EntityBase::m_clip = 0", "EntityBase::m_light_clip = 0", "EntityBase::m_light_clip_offset_x",
        "EntityBase::m_light_clip_offset_z", "EntityBase::m_clip_speed = 100", "EntityBase::m_clip_updated = 0",
        "EntityBase::m_clip_end_reported = 1", "EntityBase::m_anim_move_controller = 0",
        "EntityBase::m_anim_move_old_position.x", "EntityBase::m_anim_move_old_position.y",
        "EntityBase::m_hit_shake_timeout = 0", "EntityBase::m_small_hit_shake = 0", "EntityBase::m_color.r = 255",
        "EntityBase::m_color.a = 255", "id = 24",
    };
    size_t at = dump.find("Ball 26 {");
    ASSERT_NE(at, std::string::npos) << dump.substr(0, 2000);
    for (const char* name : kOrder) {
        const size_t found = dump.find(name, at);
        ASSERT_NE(found, std::string::npos) << name;
        at = found;
    }
    for (const char* name : {"RoomBase::m_entities = 25[", "RoomBase::m_ambient_color.r = 255",
                             "RoomBase::m_ambient_color.a = 255", "RoomBase::m_is_jng_room = 0"})
        EXPECT_NE(dump.find(name), std::string::npos) << name;
}

TEST_F(WorldStateTest, RestoringGivesBackEveryMemberAndTheSameBytes) {
    run("::build_world(); ::run_tick(); ::run_tick();");
    run(R"(
        local b = ::world.room.get_entities()[5];
        b.set_hit_box([1, 2], [3, 4], [5, 6]); b.set_facing(1); b.set_rgb(10, 20, 30); b.set_alpha(40);
        b.set_clip_speed(250); b.set_z_order(9); b.set_renderable_type(2); b.set_grabbed(true, 7, 8);
        b.set_skewed_box_collision([-65536, -65536], [65536, 65536], 32768, -1);
        ::world.room.set_ambient_color(1, 2, 3, 4); ::world.room.set_jng_room();
        Network.save_state(3, 0);
    )");
    const std::vector<uint8_t> saved = slot_bytes(3);
    run(R"(
        local b = ::world.room.get_entities()[5];
        b.set_none_hit_box(); b.set_facing(0); b.set_rgb(0, 0, 0); b.set_clip_speed(100); b.set_position(1, 1);
        b.set_grabbed(false, 0, 0); ::world.room.set_ambient_color(255, 255, 255, 255);
        ::run_tick(); ::spawn(50, 50);
    )");
    run("Network.rollback(3); Network.save_state(4, 0);");
    EXPECT_EQ(hex(slot_bytes(4)), hex(saved));
    EXPECT_EQ(evaluate_string(R"(
        local b = ::world.room.get_entities()[5];
        local box = b.get_collision_bounding_box();
        return b.get_facing() + " " + b.get_alpha() + " " + b.get_z_order() + " " + b.is_grabbed() + " "
            + b.get_hit_box_mmm_in_room().len() + " " + (box[2] - box[0]) + " " + ::world.room.get_ambient_blue()
            + " " + ::world.room.is_jng_room() + " " + ::world.room.get_entity_count();
    )"),
              "1 40 9 true 3 163840 3 true 24");
}

TEST_F(WorldStateTest, ClipsComeBackByNameAtTheirSavedTime) {
    run(R"(
        ::walk <- ClipResource();
        walk.set_duration_in_milliseconds(100);
        walk.init_channels(3, 2, 2);
        walk.set_fixed_channel_data(0, 0, [0, 655360, 1966080]);
        walk.set_fixed_channel_data(1, 1, [0, 131072, 131072]);
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
        ::build_world();
        ::world.room.get_entities()[2].play_clip("walk", 1, true, true);
        ::world.room.get_entities()[4].play_light_clip("walk", false);
        ::run_tick(); ::run_tick();
        Network.save_state(5, 0);
    )");
    const std::vector<uint8_t> saved = slot_bytes(5);
    run(R"(
        ::world.room.get_entities()[2].reset_clip(false);
        ::world.room.get_entities()[4].play_light_clip("walk", true);
        ::run_tick(); ::run_tick(); ::run_tick();
    )");
    run("Network.rollback(5); Network.save_state(6, 0);");
    EXPECT_EQ(hex(slot_bytes(6)), hex(saved));
    EXPECT_EQ(evaluate_string(R"(
        local a = ::world.room.get_entities()[2], b = ::world.room.get_entities()[4];
        return a.get_clip_name() + " " + a.get_clip().get_clip_time() + " " + b.get_light_clip_name() + " "
            + b.get_light_clip().get_clip_time();
    )"),
              "walk 3332 walk 3332");
    run("::run_tick(); ::run_tick();");
    EXPECT_NE(evaluate_string("local d = ::world.room.get_entities()[2].get_anim_move_delta(); return d[0] + \"\";"),
              "0")
        << "the anim-move controller was found again in the restored clip";
    run("::walk <- null;");
}

TEST_F(WorldStateTest, ADamagedEntityRecordIsRefusedBeforeTheRollbackDestroysAnything) {
    run("::build_world(); ::world.room.get_entities()[0].set_box_collision([0x1234, 0], [0x5678, 1], 0);");
    run("Network.save_state(2, 0);");
    std::vector<uint8_t> bytes = slot_bytes(2);
    bytes.resize(bytes.size() - StateBuffer::kCrcSize);
    // Collision::m_x (0x1234) follows the collision type byte.
    const std::vector<uint8_t> marker{0x00, 0x00, 0x12, 0x34};
    const auto found = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    ASSERT_NE(found, bytes.end());
    ASSERT_EQ(*(found - 1), 1) << "the box type before m_x";
    *(found - 1) = 9;
    ASSERT_TRUE(manager().restore_from_blob(with_crc(bytes), 2));
    run("::run_tick(); ::spawn(30, 30);");
    const std::string before = evaluate_string("return ::snapshot();");
    run("Network.rollback(2);");
    EXPECT_EQ(evaluate_string("return ::snapshot();"), before);
    EXPECT_EQ(evaluate_integer("return ::world.tick_number;"), 1);
}

// Entities and rooms are written out from the bytes of a slot, native
// members included, exactly as the save's own debug dump showed them.
TEST_F(WorldStateTest, ASlotWrittenOutReadsAsItsDebugDumpAndDiffersMemberByMember) {
    run("::build_world(); ::run_tick(); ::run_tick();");
    run(R"(
        local b = ::world.room.get_entities()[5];
        b.set_hit_box([1, 2], [3, 4], [5, 6]); b.set_grabbed(true, 7, 8); b.set_rgb(10, 20, 30);
        ::world.room.set_ambient_color(1, 2, 3, 4);
        Network.save_state(3, 2);
    )");
    run_ticks(2, 6);
    EXPECT_TRUE(evaluate_bool("return Network.write_state_dump(3, \"world3.txt\");"));
    const std::string written = read_file(paths::save_file("world3.txt"));
    EXPECT_EQ(written, debug_dump_of(3));
    EXPECT_NE(written.find("EntityBase::m_room = Arena(1)"), std::string::npos);
    EXPECT_NE(written.find("RoomBase::m_entities = 24["), std::string::npos);

    run("Network.save_state(4, 0); ::world.room.get_entities()[0].set_position(fixed_from_int(1), 0);"
        "Network.save_state(5, 0);");
    const std::vector<std::string> lines = state_differences(4, 5);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].starts_with("object 2 (Ball) member EntityBase::m_position.x: ")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(" in slot 4, 1:0 in slot 5")) << lines[0];
}

}  // namespace
}  // namespace me::test
