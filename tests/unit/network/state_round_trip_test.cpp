// Every member type at its boundaries: the bytes a save writes for it and
// the value a restore gives back.
#include "state_test_fixture.h"

namespace me::test {
namespace {

struct MemberCase {
    const char* type;
    bool nullable;
    const char* value;     // script expression stored in the member
    const char* bytes;     // what the member's value is saved as
    const char* restored;  // script expression the restored value must equal
};

const MemberCase kCases[] = {
    {"uint8", false, "0", "00", "0"},
    {"uint8", false, "255", "ff", "255"},
    {"uint8", false, "3.9", "03", "3"},
    {"uint16", false, "65535", "ffff", "65535"},
    {"uint32", false, "-1", "ffffffff", "-1"},
    {"uint32", false, "2147483647", "7fffffff", "2147483647"},
    {"sint8", false, "-128", "80", "-128"},
    {"sint8", false, "127", "7f", "127"},
    {"sint16", false, "-32768", "8000", "-32768"},
    {"sint16", false, "3.9", "0003", "3"},
    {"sint16", false, "-3.9", "fffd", "-3"},
    {"sint32", false, "-2147483648", "80000000", "-2147483648"},
    {"fixed", false, "65536", "00010000", "65536"},
    {"fixed", false, "-1", "ffffffff", "-1"},
    {"bool", false, "true", "01", "true"},
    {"bool", false, "false", "00", "false"},
    {"string", false, "\"abc\"", "0103616263", "\"abc\""},
    {"string", false, "\"\"", "0100", "\"\""},
    {"string", false, "null", "00", "null"},
    {"ref", false, "::world", "0001", "::world"},
    {"ref", false, "null", "0000", "null"},
    {"weakref", false, "::world.weakref()", "0001", "::world"},
    {"weakref", false, "null", "0000", "null"},
    {"uint8[]", false, "[0, 255]", "000200ff", "[0, 255]"},
    {"uint16[]", false, "[65535, 1]", "0002ffff0001", "[65535, 1]"},
    {"uint32[]", false, "[-1]", "0001ffffffff", "[-1]"},
    {"sint8[]", false, "[-128, 127]", "0002807f", "[-128, 127]"},
    {"sint16[]", false, "[-1]", "0001ffff", "[-1]"},
    {"sint32[]", false, "[]", "0000", "[]"},
    {"fixed[]", false, "[65536, -65536]", "000200010000ffff0000", "[65536, -65536]"},
    {"bool[]", false, "[true, false]", "00020100", "[true, false]"},
    {"string[]", false, "[\"a\", \"a\", null]", "0003010161" "01" "00", "[\"a\", \"a\", null]"},
    {"ref[]", false, "[::world, null]", "000200010000", "[::world, null]"},
    {"weakref[]", false, "[::world.weakref(), null]", "000200010000", "[::world, null]"},
    {"uint8", true, "null", "00", "null"},
    {"uint8", true, "5", "0105", "5"},
    {"string", true, "\"x\"", "01010178", "\"x\""},
    {"ref[]", true, "null", "00", "null"},
    {"ref[]", true, "[]", "010000", "[]"},
};

class StateRoundTripTest : public StateTest {};

TEST_F(StateRoundTripTest, EveryMemberTypeSavesItsBytesAndRestoresItsValue) {
    int index = 0;
    for (const MemberCase& c : kCases) {
        SCOPED_TRACE(std::string(c.type) + (c.nullable ? " nullable " : " ") + c.value);
        replace_manager();
        const std::string holder = "Holder" + std::to_string(index++);
        run(std::string("class ") + holder + " extends StateObject </ static_class = true /> { </ type = \"" + c.type +
            "\", nullable = " + (c.nullable ? "true" : "false") + " /> v = null; }");
        run("class World extends StateObject </ world_seed = true /> {}");
        run("Network.register_state_class(\"World\"); Network.register_state_class(\"" + holder + "\");");
        run("Network.creating_map(); ::world <- World(); ::holder <- " + holder +
            "(); ::holder.v = " + c.value + "; Network.map_created();");

        const std::vector<uint8_t> bytes = state_bytes();
        // Counts (4), runs (1, World) (1, holder) (6), the world's record (2),
        // the holder's class index (2), then the member, then the CRC.
        ASSERT_GE(bytes.size(), 18u);
        EXPECT_EQ(hex(std::span(bytes).subspan(12, bytes.size() - 16)), std::string("0001") + c.bytes);

        run("::holder.v = 77;");
        StateBuffer buffer(bytes);
        ASSERT_TRUE(buffer.verify());
        ASSERT_TRUE(manager().verify_static_objects(buffer));
        ASSERT_TRUE(manager().restore_objects(buffer, true));
        EXPECT_TRUE(evaluate_bool(std::string("return ::same(::holder.v, ") + c.restored + ");"));
        run("Network.destroying_map(); ::world = null; ::holder = null; Network.map_destroyed();");
    }
}

TEST_F(StateRoundTripTest, NullableMembersCostOneByteMoreThanPlainOnes) {
    run("class World extends StateObject </ world_seed = true /> {"
        " </ type = \"sint32\" /> a = 9; </ type = \"sint32\", nullable = true /> b = 9; "
        " </ type = \"sint32\", nullable = true /> c = null; tag = \"not saved\"; }");
    run("Network.register_state_class(\"World\"); Network.creating_map(); ::world <- World(); Network.map_created();");
    const std::vector<uint8_t> bytes = state_bytes();
    EXPECT_EQ(hex(std::span(bytes).first(bytes.size() - 4)),
              std::string("00010001") + "010000" + "0000" + "00000009" + "0100000009" + "00");
}

}  // namespace
}  // namespace me::test
