// Saving, restoring, compaction, rollback and the refusals that keep a bad
// buffer from changing anything.
#include <algorithm>
#include <filesystem>

#include "core/log_format.h"
#include "core/paths.h"
#include "network/state_object.h"
#include "state_test_fixture.h"

namespace me::test {
namespace {

constexpr const char* kWorldScript = R"(
    ::destroy_calls <- 0;
    ::post_calls <- 0;
    class World extends StateObject </ world_seed = true /> {
        </ type = "sint32" /> turn = 0;
    }
    class Level extends StateObject </ static_class = true, fn_destroy_dynamic_objects = "drop_all",
                                       fn_post_rollback = "after" /> {
        </ type = "ref[]" /> things = null;
        constructor() { base.constructor(); things = []; }
        function drop_all() { ::destroy_calls++; things = []; }
        function after() { ::post_calls++; }
    }
    class Thing extends StateObject {
        </ type = "sint32" /> hp = 0;
        </ type = "string" /> name = null;
        </ type = "weakref", nullable = true /> target = null;
    }
    ::spawn <- function(hp, name) {
        local t = Thing(); t.hp = hp; t.name = name; ::level.things.append(t); return t;
    }
    Network.register_state_class("World");
    Network.register_state_class("Level");
    Network.register_state_class("Thing");
    Network.creating_map(); ::world <- World(); ::level <- Level(); Network.map_created();
)";

class StateManagerTest : public StateTest {
protected:
    void start_world() { run(kWorldScript); }

    std::vector<uint8_t> slot_bytes(int32_t slot) {
        const StateBuffer* buffer = manager().slot_buffer(slot);
        return buffer == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(buffer->bytes().begin(), buffer->bytes().end());
    }

    std::string things_text() {
        return evaluate_string("local s = \"\"; foreach (t in ::level.things) s += t.hp + \":\" + t.name + \" \"; return s;");
    }
};

TEST_F(StateManagerTest, AWorldSeedAloneSavesToThirteenBytes) {
    run("class Seed extends StateObject </ world_seed = true /> {} Network.register_state_class(\"Seed\");"
        "Network.creating_map(); ::seed <- Seed(); Network.map_created();");
    const std::vector<uint8_t> bytes = state_bytes();
    ASSERT_EQ(bytes.size(), 13u);
    EXPECT_EQ(hex(std::span(bytes).first(9)), "000100010100000000");
    EXPECT_EQ(hex(bytes), hex(with_crc(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 9))));
}

TEST_F(StateManagerTest, TwoHundredFiftySixObjectsOfOneClassMakeTwoRuns) {
    start_world();
    run("for (local i = 0; i < 256; i++) ::spawn(i, null);");
    const std::vector<uint8_t> bytes = state_bytes();
    EXPECT_EQ(hex(std::span(bytes).first(16)), "00020102" "010000" "010001" "ff0002" "010002");
}

TEST_F(StateManagerTest, AStringUsedByAThousandObjectsIsStoredOnce) {
    start_world();
    run("for (local i = 0; i < 1000; i++) ::spawn(1, \"shared text\");");
    const std::vector<uint8_t> bytes = state_bytes();
    const std::string text(bytes.begin(), bytes.end());
    const size_t first = text.find("shared text");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find("shared text", first + 1), std::string::npos);
    // Per thing: class index 2, hp 4, string index 1, null target flag 1;
    // the first use adds the text and its length byte.
    const size_t header = 4 + 6 * 3, world = 2 + 4, level = 2 + 2 + 2 * 1000;
    EXPECT_EQ(bytes.size(), header + world + level + 1000 * 8 + 12 + 4);
}

TEST_F(StateManagerTest, RollbackToASlotSavedInTheSameTickChangesNothing) {
    start_world();
    run("local a = ::spawn(10, \"a\"); local b = ::spawn(20, \"b\"); a.target = b.weakref(); b.target = a.weakref();"
        "::spawn(30, null); Network.save_state(1, 0);");
    const std::vector<uint8_t> saved = slot_bytes(1);
    const uint32_t crc = manager().get_state_crc(1);
    run("Network.rollback(1); Network.save_state(2, 0);");
    EXPECT_EQ(manager().get_state_crc(2), crc);
    EXPECT_EQ(hex(slot_bytes(2)), hex(saved));
    EXPECT_EQ(evaluate_integer("return ::destroy_calls;"), 1);
    EXPECT_EQ(evaluate_integer("return ::post_calls;"), 1);
    EXPECT_TRUE(evaluate_bool("return ::level.things[0].target.ref() == ::level.things[1];"));
}

TEST_F(StateManagerTest, RollbackBringsBackDestroyedObjectsAndOldValues) {
    start_world();
    run("::spawn(1, \"one\"); ::spawn(2, \"two\"); ::spawn(3, \"three\"); ::world.turn = 5; Network.save_state(0, 0);");
    run("::level.things.remove(1); ::spawn(9, \"new\"); ::level.things[0].hp = 100; ::world.turn = 6;"
        "Network.tick_postgame();");
    EXPECT_EQ(things_text(), "100:one 3:three 9:new ");
    run("Network.rollback(0);");
    EXPECT_EQ(things_text(), "1:one 2:two 3:three ");
    EXPECT_EQ(evaluate_integer("return ::world.turn;"), 5);
    EXPECT_EQ(manager().objects().size(), 5u);
}

TEST_F(StateManagerTest, CompactionMovesOnlyTheLastObjectIntoAHole) {
    start_world();
    run("for (local i = 1; i <= 4; i++) ::spawn(i, null);");
    const std::vector<StateObject*> before(manager().objects().begin(), manager().objects().end());
    ASSERT_EQ(before.size(), 6u);
    run("::level.things.remove(1);");
    EXPECT_EQ(manager().objects()[3], nullptr);
    run("Network.tick_postgame();");
    const std::vector<StateObject*> after(manager().objects().begin(), manager().objects().end());
    EXPECT_EQ(after, (std::vector<StateObject*>{before[0], before[1], before[2], before[5], before[4]}));
    EXPECT_EQ(before[5]->object_index(), 3);
    EXPECT_EQ(before[4]->object_index(), 4);
}

TEST_F(StateManagerTest, UnusedBytesAfterTheLastRecordFailOnlyWhenTheEndIsRequired) {
    start_world();
    std::vector<uint8_t> bytes = state_bytes();
    bytes.resize(bytes.size() - 4);
    bytes.push_back(0);
    for (const bool require_end : {true, false}) {
        StateBuffer buffer(with_crc(bytes));
        ASSERT_TRUE(buffer.verify());
        ASSERT_TRUE(manager().verify_static_objects(buffer));
        EXPECT_EQ(manager().restore_objects(buffer, require_end), !require_end);
    }
    EXPECT_TRUE(logged("warning: 1 bytes of unused data still remaining in state buffer after all objects have been "
                       "restored"));
}

TEST_F(StateManagerTest, ABlobThatFailsItsCheckLeavesTheSlotAsItWas) {
    start_world();
    run("::spawn(4, \"x\"); Network.save_state(3, 0);");
    const std::vector<uint8_t> good = slot_bytes(3);
    const uint32_t crc = manager().get_state_crc(3);
    struct Damage {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> flipped = good;
    flipped[6] ^= 0x10;
    const Damage damages[] = {
        {"a flipped bit", flipped},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"empty", {}},
        {"three bytes", {1, 2, 3}},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        EXPECT_FALSE(manager().restore_from_blob(damage.bytes, 3));
        EXPECT_TRUE(manager().is_state(3));
        EXPECT_EQ(manager().get_state_crc(3), crc);
        EXPECT_FALSE(manager().restore_from_blob(damage.bytes, 4));
        EXPECT_FALSE(manager().is_state(4));
    }
}

TEST_F(StateManagerTest, AStateThatFailsItsCheckIsNeverAState) {
    start_world();
    run("Network.save_state(1, 0); Network.destroying_map(); ::world = null; ::level = null; Network.map_destroyed();");
    std::vector<uint8_t> bytes = slot_bytes(1);
    run("Network.delete_all_states();");
    bytes[5] ^= 1;
    EXPECT_FALSE(manager().receive_complete_state(bytes));
    EXPECT_FALSE(manager().is_state(0));
    EXPECT_TRUE(logged("warning: Failed to finish initial state message, probably crc mismatch"));
    bytes[5] ^= 1;
    EXPECT_TRUE(manager().receive_complete_state(bytes));
    EXPECT_TRUE(manager().is_state(0));
}

// Buffers with a correct CRC whose content does not fit: each is refused
// before anything is destroyed.
TEST_F(StateManagerTest, RollbackRefusesMalformedContentWithoutChangingAnything) {
    start_world();
    run("::spawn(1, \"a\"); ::spawn(2, \"b\"); Network.save_state(1, 0);");
    std::vector<uint8_t> payload = slot_bytes(1);
    payload.resize(payload.size() - 4);
    // Layout: counts 0..3, runs (1, World) (1, Level) (2, Thing) 4..12, the
    // world 13..18, the level 19..26 (its references at 23..26), the things.
    struct Damage {
        const char* what;
        size_t offset;
        std::vector<uint8_t> replacement;
        bool cut_last_byte;
    };
    const Damage damages[] = {
        {"dynamic run naming the static world class", 11, {0x00, 0x00}, false},
        {"class index beyond the registry", 11, {0x00, 0x07}, false},
        {"total count above the runs", 2, {0x00, 0x05}, false},
        {"run longer than the total", 10, {0x03}, false},
        {"record cut short", 0, {}, true},
        {"string index beyond the table", payload.size() - 4, {0x05}, false},
        {"reference beyond the objects", 23, {0x00, 0x09}, false},
    };
    const std::vector<uint8_t> before = state_bytes();
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<uint8_t> bad = payload;
        std::copy(damage.replacement.begin(), damage.replacement.end(), bad.begin() + static_cast<long>(damage.offset));
        if (damage.cut_last_byte)
            bad.pop_back();
        ASSERT_TRUE(manager().restore_from_blob(with_crc(bad), 5));
        run("Network.rollback(5);");
        EXPECT_EQ(hex(state_bytes()), hex(before));
        EXPECT_EQ(evaluate_integer("return ::destroy_calls;"), 0);
    }
    EXPECT_TRUE(logged("warning: Saved buffer at slot index 5 does not fit the registered classes, rollback refused"));
}

TEST_F(StateManagerTest, NegativeSlotsAreRefusedAndGrowNothing) {
    start_world();
    run("Network.save_state(0, 0); ::blob <- Network.store_state_to_blob(0);");
    const char* calls[] = {
        "Network.save_state(-1, 0)",       "Network.delete_state(-1)",
        "Network.restore_state_from_blob(::blob, -1)", "Network.store_state_to_blob(-1)",
        "Network.rollback(-1)",            "Network.is_state(-1)",
        "Network.get_state_crc(-1)",
    };
    for (const char* call : calls) {
        SCOPED_TRACE(call);
        evaluate(std::string(call) + ";");
    }
    EXPECT_TRUE(logged("warning: Invalid save slot index -1"));
    EXPECT_TRUE(logged("warning: Invalid rollback slot index -1"));
    EXPECT_FALSE(evaluate_bool("return Network.is_state(-1) || Network.get_state_crc(-1) != 0;"));
    EXPECT_TRUE(evaluate_bool("return Network.store_state_to_blob(-1) == null;"));
    EXPECT_TRUE(manager().is_state(0));
    EXPECT_EQ(manager().slot_buffer(1), nullptr);
}

TEST_F(StateManagerTest, ABlobRoundTripThroughScriptKeepsTheState) {
    start_world();
    run("::spawn(7, \"seven\"); Network.save_state(1, 0); local b = Network.store_state_to_blob(1);"
        "::restored <- Network.restore_state_from_blob(b, 6);");
    EXPECT_TRUE(evaluate_bool("return ::restored && Network.is_state(6);"));
    EXPECT_EQ(hex(slot_bytes(6)), hex(slot_bytes(1)));
    EXPECT_EQ(error_of("Network.is_state(\"one\")"), "Expecting integer.");
    EXPECT_EQ(error_of("Network.register_state_class(3)"), "Expecting string.");
}

TEST_F(StateManagerTest, AJoiningPeerRebuildsTheWorldFromASavedState) {
    start_world();
    run("::spawn(5, \"five\"); ::spawn(6, \"six\"); ::world.turn = 42; Network.save_state(1, 0);"
        "::blob <- Network.store_state_to_blob(1);"
        "Network.destroying_map(); ::world = null; ::level = null; Network.map_destroyed(); Network.delete_all_states();");
    run("Network.restore_state_from_blob(::blob, 0); Network.creating_map(); ::world <- World();"
        "::loaded <- Network.load_world_object(0);");
    EXPECT_TRUE(evaluate_bool("return ::loaded && ::world.turn == 42;"));
    run("::level <- Level(); Network.map_created(); Network.rollback(0);");
    EXPECT_EQ(things_text(), "5:five 6:six ");
}

TEST_F(StateManagerTest, DebugLevelTwoWritesBothDumpsAndTheLogLine) {
    run("class Seed extends StateObject </ world_seed = true /> {"
        " </ type = \"fixed\" /> x = 98304; </ type = \"uint8[]\" /> bits = null; </ type = \"ref\" /> me = null; }"
        "Network.register_state_class(\"Seed\"); Network.creating_map(); ::seed <- Seed();"
        "::seed.bits = [1, 2]; ::seed.me = ::seed; Network.map_created(); Network.save_state(2, 2);");
    std::string text_dump;
    std::string binary_dump;
    for (const auto& entry : std::filesystem::directory_iterator(paths::save_dir())) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("save_debug_") && name.ends_with("_2.txt"))
            text_dump = read_file(entry.path().string());
        else if (name.starts_with("save_") && name.ends_with("_2.bin"))
            binary_dump = read_file(entry.path().string());
    }
    EXPECT_EQ(text_dump,
              "static_count = 1\ncount = 1\nSeed = 1\nSeed 0 {\n  x = 1:32768\n  bits = 2[ 1 2 ]\n  me = Seed(0)\n}\n");
    EXPECT_EQ(hex(std::vector<uint8_t>(binary_dump.begin(), binary_dump.end())), hex(slot_bytes(2)));
    EXPECT_TRUE(logged(format_message("State saved to slot index 2, size %1, CRC 0x%2",
                                      slot_bytes(2).size() - 4, Hex{manager().get_state_crc(2)})));
}

using StateManagerDeathTest = StateManagerTest;

TEST_F(StateManagerDeathTest, ValuesThatDoNotFitTheirTypeStopTheProcess) {
    struct Misuse {
        const char* type;
        const char* value;
        const char* message;
    };
    const Misuse misuses[] = {
        {"uint8", "256", "Value 256 of integer v of class Bad is out of UINT8 range"},
        {"sint8", "-129", "Value -129 of integer v of class Bad is out of SINT8 range"},
        {"bool", "1", "Failed to get boolean v of class Bad"},
        {"string", "5", "Value of v in class Bad is neither string nor null"},
        {"ref", "5", "Type of v of class Bad is integer, not instance"},
    };
    for (const Misuse& misuse : misuses) {
        SCOPED_TRACE(misuse.type);
        run(std::string("class Bad extends StateObject </ world_seed = true /> { </ type = \"") + misuse.type +
            "\" /> v = " + misuse.value + "; }");
        replace_manager();
        run("Network.register_state_class(\"Bad\"); Network.creating_map(); ::bad <- Bad(); Network.map_created();");
        EXPECT_EXIT(manager().build_state(), ::testing::ExitedWithCode(1), misuse.message);
        run("Network.destroying_map(); ::bad = null; Network.map_destroyed();");
    }
}

TEST_F(StateManagerDeathTest, ADynamicObjectLeftAliveByTheDestroyCallbackStopsTheRollback) {
    start_world();
    run("::spawn(1, \"kept\"); ::kept <- ::level.things[0]; Network.save_state(1, 0);");
    EXPECT_EXIT(evaluate("Network.rollback(1);"), ::testing::ExitedWithCode(1),
                "1 dynamic state object\\(s\\) still alive after destroy_dynamic_objects\\(\\), one of them of type "
                "Thing");
}

TEST_F(StateManagerDeathTest, MapStateRulesStopMisuse) {
    run(kWorldScript);
    EXPECT_EXIT(evaluate("Network.creating_map();"), ::testing::ExitedWithCode(1),
                "Can't start creating map in state game");
    EXPECT_EXIT(evaluate("Network.load_world_object(0);"), ::testing::ExitedWithCode(1),
                "Can load world object only in creating map state, not in game");
}

}  // namespace
}  // namespace me::test
