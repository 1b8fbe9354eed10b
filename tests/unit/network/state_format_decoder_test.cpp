// What the engine writes (state dumps and replay files), read back by an
// independent reader written from the format descriptions.
#include <cstdio>
#include <cstdlib>

#include "core/paths.h"
#include "state_test_fixture.h"

namespace me::test {
namespace {

class StateFormatDecoderTest : public StateTest {};

TEST_F(StateFormatDecoderTest, TheIndependentReaderAgreesWithEverythingWritten) {
    run(R"(
        class World extends StateObject </ world_seed = true /> {
            </ type = "uint8" /> small = 200;
            </ type = "sint16" /> neg = -300;
            </ type = "uint32" /> wide = -1;
            </ type = "fixed" /> pos = -98304;
            </ type = "bool" /> on = true;
            </ type = "string" /> title = "cafe";
            </ type = "ref[]" /> things = null;
            </ type = "string[]", nullable = true /> notes = null;
        }
        class Thing extends StateObject {
            </ type = "weakref", nullable = true /> other = null;
            </ type = "string" /> title = "cafe";
            </ type = "bool[]" /> flags = null;
            </ type = "sint8[]" /> steps = null;
        }
        Network.register_state_class("World");
        Network.register_state_class("Thing");
        Network.creating_map(); ::world <- World(); ::world.things = []; Network.map_created();
        local a = Thing(); a.flags = [true, false]; a.steps = [-1, 2];
        local b = Thing(); b.flags = []; b.steps = [127]; b.title = null; b.other = a.weakref();
        ::world.things = [a, b, null];
        Network.save_state(3, 2);
        Network.replay_create("format.rep", 11, 4);
        Network.replay_add_save(100);
        Network.replay_create_element(7); Network.replay_write_uint16(258); Network.replay_write_string("ok");
        Network.replay_finish_element();
        Network.replay_save();
    )");
    const std::string folder = paths::save_dir();
    write_file(root + "/schema.json", R"({"state_tags": [100], "classes": [
        {"name": "World", "members": [["small", "uint8", false], ["neg", "sint16", false], ["wide", "uint32", false],
            ["pos", "fixed", false], ["on", "bool", false], ["title", "string", false], ["things", "ref[]", false],
            ["notes", "string[]", true]]},
        {"name": "Thing", "members": [["other", "weakref", true], ["title", "string", false],
            ["flags", "bool[]", false], ["steps", "sint8[]", false]]}]})");
    const std::string reader = std::string(QUILLMOOR_TEST_TOOLS_DIR) + "/state_format.py";
    const std::string command = "python3 '" + reader + "' '" + root +
                                "/schema.json' '" + folder + "' > '" + root + "/decoded.txt' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << read_file(root + "/decoded.txt");
    const std::string objects =
        "  static=1 runs=1*World 2*Thing\n"
        "  0 World small=200 neg=-300 wide=4294967295 pos=-98304 on=true title='cafe' things=[#1, #2, null] "
        "notes=null\n"
        "  1 Thing other=null title='cafe' flags=[true, false] steps=[-1, 2]\n"
        "  2 Thing other=#1 title=null flags=[] steps=[127]\n";
    const StateBuffer& saved = *manager().slot_buffer(3);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", saved.crc());
    const std::string expected = "replay tag=11 version=4 elements=2\n"
                                 "element 0 tag=100 length=" + std::to_string(saved.length()) + "\n" +
                                 objects +
                                 "element 1 tag=7 length=9\n"
                                 "  bytes 0102026f6b\n"
                                 "state slot=3 size=" + std::to_string(saved.payload_length()) + " crc=" + crc + "\n" +
                                 objects + "  text dump agrees\n";
    EXPECT_EQ(read_file(root + "/decoded.txt"), expected);
}

}  // namespace
}  // namespace me::test
