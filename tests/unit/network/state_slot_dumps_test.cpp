// Saved states shown to a person: slot comparison, text dumps written from
// slots, and slots copied into replays.
#include <filesystem>
#include <functional>

#include "core/paths.h"
#include "state_test_fixture.h"

namespace me::test {
namespace {

constexpr const char* kClasses = R"(
    class World extends StateObject </ world_seed = true /> {
        </ type = "uint32" /> seed = 7;
    }
    class Mob extends StateObject {
        </ type = "sint16" /> hp = 10;
        </ type = "fixed" /> x = 65536;
        </ type = "string" /> name = "a";
        </ type = "ref", nullable = true /> target = null;
    }
    class Other extends StateObject {}
    Network.register_state_class("World");
    Network.register_state_class("Mob");
    Network.register_state_class("Other");
    ::build <- function(mobs) {
        Network.creating_map(); ::world <- World(); Network.map_created();
        ::mobs <- [];
        for (local i = 0; i < mobs; i++) ::mobs.append(Mob());
    }
    ::destroy <- function() {
        Network.destroying_map(); ::mobs = null; ::world = null; Network.map_destroyed();
    }
)";

class StateSlotDumpsTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        run(kClasses);
    }
};

struct DifferenceCase {
    const char* change;
    std::vector<std::string> lines;
};

// Slot 1 holds the world before the change, slot 2 after it.
TEST_F(StateSlotDumpsTest, DifferencesNameTheObjectItsClassTheMemberAndBothValues) {
    std::vector<std::string> many;
    for (int i = 1; i <= 32; ++i)
        many.push_back("object " + std::to_string(i) + " (Mob) member hp: 10 in slot 1, -" + std::to_string(i) +
                       " in slot 2");
    const DifferenceCase cases[] = {
        {"::mobs[1].hp = 9;", {"object 2 (Mob) member hp: 10 in slot 1, 9 in slot 2"}},
        {"::mobs[0].x = 98304; ::mobs[2].name = \"b\";",
         {"object 1 (Mob) member x: 1:0 in slot 1, 1:32768 in slot 2",
          "object 3 (Mob) member name: a in slot 1, b in slot 2"}},
        {"::mobs[0].target = ::mobs[2]; ::mobs[1].name = null; ::mobs[2].name = \"}\"; ::mobs[3].name = \"b {\";",
         {"object 1 (Mob) member target: null in slot 1, Mob(3) in slot 2",
          "object 2 (Mob) member name: a in slot 1, null in slot 2",
          "object 3 (Mob) member name: a in slot 1, } in slot 2",
          "object 4 (Mob) member name: a in slot 1, b { in slot 2"}},
        {"::mobs.pop();",
         {"slot 1 holds 40 objects and slot 2 holds 39; object 39 (Mob) and those after it are only in slot 1"}},
        {"::mobs[0].hp = 11; ::mobs.append(Mob());",
         {"object 1 (Mob) member hp: 10 in slot 1, 11 in slot 2",
          "slot 1 holds 40 objects and slot 2 holds 41; object 40 (Mob) and those after it are only in slot 2"}},
        {"::mobs[0].hp = 3; ::mobs.pop(); ::mobs.append(Other());",
         {"object 1 (Mob) member hp: 10 in slot 1, 3 in slot 2",
          "object 39 is Mob in slot 1 but Other in slot 2; the objects after it are not compared"}},
        {"foreach (i, m in ::mobs) m.hp = -(i + 1);", many},
    };
    for (const DifferenceCase& test : cases) {
        run("::build(39); Network.save_state(1, 0);");
        run(test.change);
        run("Network.save_state(2, 0); Network.save_state(3, 0);");
        EXPECT_EQ(state_differences(1, 2), test.lines) << test.change;
        EXPECT_EQ(state_differences(2, 3), std::vector<std::string>{"null"}) << test.change;
        EXPECT_EQ(state_differences(2, 2), std::vector<std::string>{"null"}) << test.change;
        run("::destroy();");
    }
}

TEST_F(StateSlotDumpsTest, ComparingASlotWithoutAFinishedStateIsAScriptError) {
    run("::build(1); Network.save_state(1, 0);");
    const std::pair<const char*, const char*> cases[] = {
        {"Network.compare_states(1, 5)", "compare_states: slot 5 holds no finished state"},
        {"Network.compare_states(-1, 1)", "compare_states: slot -1 holds no finished state"},
        {"Network.compare_states(70000, 1)", "compare_states: slot 70000 holds no finished state"},
    };
    for (const auto& [call, error] : cases)
        EXPECT_EQ(error_of(call), error) << call;
    run("Network.delete_state(1);");
    EXPECT_EQ(error_of("Network.compare_states(1, 1)"), "compare_states: slot 1 holds no finished state");
}

// The dump written from the slot later matches what the save itself wrote
// from the live objects, whatever happened to them since.
TEST_F(StateSlotDumpsTest, ASlotWrittenOutLaterReadsAsTheDebugDumpOfItsSave) {
    run(R"(
        class Every extends StateObject {
            </ type = "uint8" /> small = 200;
            </ type = "uint16" /> mid = 65535;
            </ type = "sint8" /> tiny = -128;
            </ type = "sint16" /> neg = -300;
            </ type = "uint32" /> wide = -1;
            </ type = "sint32" /> most = -2147483647;
            </ type = "fixed" /> pos = -98304;
            </ type = "bool" /> on = true;
            </ type = "string" /> title = "cafe";
            </ type = "string" /> again = "cafe";
            </ type = "ref[]" /> things = null;
            </ type = "string[]", nullable = true /> notes = null;
            </ type = "weakref", nullable = true /> other = null;
            </ type = "bool[]" /> flags = null;
            </ type = "sint8[]" /> steps = null;
            </ type = "fixed[]" /> path = null;
            </ type = "uint16[]", nullable = true /> codes = null;
        }
        Network.register_state_class("Every");
        ::build(2);
        local a = Every(); a.things = [::mobs[0], null]; a.flags = [true, false]; a.steps = [-1, 2]; a.path = [65536];
        local b = Every(); b.things = []; b.flags = []; b.steps = []; b.path = []; b.title = "tea";
        b.notes = ["x", "cafe", "x"]; b.other = a.weakref(); b.codes = [1, 65535];
        ::mobs.extend([a, b]);
        Network.save_state(4, 2);
        b.title = "changed"; ::mobs.pop();
    )");
    EXPECT_TRUE(evaluate_bool("return Network.write_state_dump(4, \"dumps/slot4.txt\");"));
    const std::string written = read_file(paths::save_file("dumps/slot4.txt"));
    EXPECT_EQ(written, debug_dump_of(4));
    EXPECT_NE(written.find("Every 4 {"), std::string::npos) << written;
    EXPECT_NE(written.find("other = Every(3)"), std::string::npos) << written;
}

TEST_F(StateSlotDumpsTest, DumpsThatWouldLeaveTheSaveDirectoryOrHaveNoStateAreRefused) {
    run("::build(1); Network.save_state(1, 0);");
    const std::pair<const char*, const char*> cases[] = {
        {"../out.txt", "Refusing to write a state dump to '../out.txt'"},
        {"a/../../out.txt", "Refusing to write a state dump to 'a/../../out.txt'"},
        {"a\\\\..\\\\..\\\\out.txt", "Refusing to write a state dump to 'a\\..\\..\\out.txt'"},
        {"/tmp/out.txt", "Refusing to write a state dump to '/tmp/out.txt'"},
        {"user:out.txt", "Refusing to write a state dump to 'user:out.txt'"},
        {"", "Refusing to write a state dump to ''"},
    };
    for (const auto& [name, warning] : cases) {
        EXPECT_FALSE(evaluate_bool(std::string("return Network.write_state_dump(1, \"") + name + "\");")) << name;
        EXPECT_NE(log_text().find(std::string("warning: ") + warning), std::string::npos) << name;
    }
    EXPECT_FALSE(evaluate_bool("return Network.write_state_dump(2, \"two.txt\");"));
    EXPECT_TRUE(logged("warning: Cannot write a state dump of slot 2: it holds no finished state"));
    EXPECT_FALSE(std::filesystem::exists(paths::save_file("two.txt")));
    EXPECT_TRUE(evaluate_bool("return Network.write_state_dump(1, \"sub/one..txt\");"));
    EXPECT_TRUE(std::filesystem::exists(paths::save_file("sub/one..txt")));
}

struct DamagedStateCase {
    const char* damage;
    std::function<void(std::vector<uint8_t>&)> apply;
    const char* warning;
};

// A slot may hold bytes whose CRC is right but whose content is not a state
// of these classes (restored from a blob): they are reported, never read past.
TEST_F(StateSlotDumpsTest, AStateThatDoesNotFitTheClassesIsReportedAsUnreadable) {
    run("::build(1); Network.save_state(1, 0);");
    std::vector<uint8_t> payload = state_bytes();
    payload.resize(payload.size() - StateBuffer::kCrcSize);
    const DamagedStateCase cases[] = {
        {"cut inside the counts", [](auto& bytes) { bytes.resize(3); },
         "its type section does not fit the registered classes"},
        {"unknown class", [](auto& bytes) { bytes[6] = 99; }, "its type section does not fit the registered classes"},
        {"last byte missing", [](auto& bytes) { bytes.pop_back(); }, "object 1 of type Mob cannot be read"},
        {"string longer than the state", [](auto& bytes) { bytes[bytes.size() - 3] = 5; },
         "object 1 of type Mob cannot be read"},
        {"a byte too many", [](auto& bytes) { bytes.push_back(0); }, "1 bytes follow its last object"},
    };
    for (const DamagedStateCase& test : cases) {
        std::vector<uint8_t> damaged = payload;
        test.apply(damaged);
        ASSERT_TRUE(manager().restore_from_blob(with_crc(damaged), 9)) << test.damage;
        EXPECT_EQ(state_differences(1, 9),
                  std::vector<std::string>{"slot 9 cannot be read as a state of the registered classes"})
            << test.damage;
        EXPECT_TRUE(logged(std::string("warning: Cannot write out a saved state: ") + test.warning)) << test.damage;
        EXPECT_FALSE(evaluate_bool("return Network.write_state_dump(9, \"damaged.txt\");")) << test.damage;
    }
    EXPECT_FALSE(std::filesystem::exists(paths::save_file("damaged.txt")));
}

TEST_F(StateSlotDumpsTest, ASlotCopiedIntoAReplayComesBackAsTheSameState) {
    run("::build(3); ::mobs[2].hp = -5; Network.save_state(1, 0);");
    run("Network.replay_create(\"slots.rep\", 1, 1);");
    EXPECT_TRUE(evaluate_bool("return Network.replay_add_save_slot(10, 1);"));
    EXPECT_TRUE(evaluate_bool("return Network.replay_should_save() && Network.replay_save();"));
    // Relative names are in the save directory, absolute ones are taken as
    // they are.
    const std::string absolute = std::filesystem::absolute(paths::save_file("slots.rep")).string();
    for (const std::string& name : {std::string("slots.rep"), absolute}) {
        run("Network.delete_state(2);");
        EXPECT_TRUE(evaluate_bool("return Network.replay_load(\"" + name + "\") && Network.replay_element_count() == 1"
                                  " && Network.replay_open_element(0) && Network.replay_read_element_tag() == 10"
                                  " && Network.replay_copy_to_save_slot(2);"))
            << name;
        EXPECT_EQ(state_differences(1, 2), std::vector<std::string>{"null"}) << name;
        EXPECT_EQ(manager().get_state_crc(2), manager().get_state_crc(1)) << name;
    }
}

TEST_F(StateSlotDumpsTest, CopyingASlotIntoAReplayOutsideWritingOrWithoutAStateWarnsAndAddsNothing) {
    run("::build(1); Network.save_state(1, 0);");
    EXPECT_FALSE(evaluate_bool("return Network.replay_add_save_slot(10, 1);"));
    EXPECT_TRUE(logged("warning: Tried to save state to replay while not writing a replay"));
    run("Network.replay_create(\"none.rep\", 1, 1);");
    for (const char* slot : {"2", "-1", "70000"}) {
        EXPECT_FALSE(evaluate_bool(std::string("return Network.replay_add_save_slot(10, ") + slot + ");")) << slot;
        EXPECT_TRUE(logged(std::string("warning: Invalid save slot index ") + slot)) << slot;
    }
    EXPECT_TRUE(evaluate_bool("return Network.replay_save();"));
    EXPECT_TRUE(evaluate_bool("return Network.replay_load(\"none.rep\") && Network.replay_element_count() == 0;"));
}

}  // namespace
}  // namespace me::test
