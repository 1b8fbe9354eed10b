// Replay files: what is written, what loading accepts, and the misuse
// warnings that change nothing.
#include <filesystem>

#include "core/paths.h"
#include "state_test_fixture.h"

namespace me::test {
namespace {

class ReplayRecorderTest : public StateTest {
protected:
    std::string replay_path(const std::string& name) { return paths::save_file(name); }
    std::vector<uint8_t> replay_file(const std::string& name) {
        const std::string bytes = read_file(replay_path(name));
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    void write_replay(const std::string& name, const std::vector<uint8_t>& bytes) {
        write_file(replay_path(name), std::string(bytes.begin(), bytes.end()));
    }
};

TEST_F(ReplayRecorderTest, AnEmptyReplayIsTwelveBytesAndACustomElementKeepsItsCrc) {
    recorder.create("empty.rep", 1, 3);
    ASSERT_TRUE(recorder.save());
    EXPECT_EQ(hex(replay_file("empty.rep")), "010000000300000000000000");

    recorder.create("one.rep", 1, 3);
    ASSERT_TRUE(recorder.create_element(9));
    ASSERT_TRUE(recorder.write_uint16(258));
    ASSERT_TRUE(recorder.finish_element());
    ASSERT_TRUE(recorder.save());
    const std::vector<uint8_t> crc_of_payload = with_crc({0x01, 0x02});
    EXPECT_EQ(hex(replay_file("one.rep")), "010000000300000001000000" "09000000" "06000000" + hex(crc_of_payload));
}

TEST_F(ReplayRecorderTest, WrittenValuesReadBackAndSavedStatesCopyIntoSlots) {
    run("class Seed extends StateObject </ world_seed = true /> { </ type = \"string\" /> s = \"seed\"; }"
        "Network.register_state_class(\"Seed\"); Network.creating_map(); ::seed <- Seed(); Network.map_created();");
    run("Network.replay_create(\"game.rep\", 77, 2); Network.replay_add_save(5);"
        "Network.replay_create_element(6); Network.replay_write_uint8(255); Network.replay_write_uint32(-2);"
        "Network.replay_write_fixed(65536); Network.replay_write_string(\"go\"); Network.replay_finish_element();"
        "Network.replay_save(); Network.save_state(1, 0);");
    EXPECT_TRUE(evaluate_bool("return Network.replay_load(\"game.rep\") && Network.replay_tag() == 77 &&"
                              "Network.replay_version() == 2 && Network.replay_element_count() == 2;"));
    EXPECT_TRUE(evaluate_bool("return Network.replay_open_element(1) && Network.replay_read_element_tag() == 6 &&"
                              "Network.replay_read_uint8() == 255 && Network.replay_read_uint32() == -2 &&"
                              "Network.replay_read_fixed() == 65536 && Network.replay_read_string() == \"go\";"));
    EXPECT_EQ(evaluate_integer("return Network.replay_read_uint8();"), 0);
    EXPECT_TRUE(logged("warning: Failed to read a uint8 from replay element - tried to read past the element's size?"));
    run("Network.replay_close_element(); Network.replay_open_element(0); Network.replay_copy_to_save_slot(4);");
    EXPECT_EQ(manager().get_state_crc(4), manager().get_state_crc(1));
}

TEST_F(ReplayRecorderTest, MisuseWarnsAndChangesNothing) {
    struct Misuse {
        const char* call;
        const char* warning;
    };
    recorder.create("misuse.rep", 1, 1);
    const Misuse writing[] = {
        {"Network.replay_write_uint8(1)", "Tried to write to a replay element while no element is active"},
        {"Network.replay_finish_element()", "Tried to finish a replay element while no element is active"},
        {"Network.replay_tag()", "Tried to get replay tag while not reading a replay"},
        {"Network.replay_open_element(0)", "Tried to open replay element while not reading a replay"},
        {"Network.replay_read_uint16()", "Tried to read a uint16 from replay element while not reading a replay"},
    };
    for (const Misuse& misuse : writing)
        evaluate(std::string("return ") + misuse.call + ";");
    run("Network.replay_create_element(1);");
    const Misuse with_element[] = {
        {"Network.replay_write_uint8(300)", "Tried to write out of range value 300 as uint8 to replay element"},
        {"Network.replay_write_uint16(-1)", "Tried to write out of range value -1 as uint16 to replay element"},
        {"Network.replay_create_element(2)", "Tried to create new replay element while another element is already active"},
    };
    for (const Misuse& misuse : with_element)
        evaluate(std::string("return ") + misuse.call + ";");
    for (const Misuse& misuse : writing)
        EXPECT_TRUE(logged(std::string("warning: ") + misuse.warning)) << misuse.call;
    for (const Misuse& misuse : with_element)
        EXPECT_TRUE(logged(std::string("warning: ") + misuse.warning)) << misuse.call;
    // Nothing was written by the refused calls: the element is still empty.
    run("Network.replay_finish_element();");
    EXPECT_EQ(recorder.file_bytes().size(), 12u + 8u + 4u);
}

TEST_F(ReplayRecorderTest, SavingTwiceWithoutChangesWritesOnceAndNewElementsMarkDirty) {
    recorder.create("dirty.rep", 1, 1);
    ASSERT_TRUE(recorder.save());
    EXPECT_FALSE(recorder.should_save());
    std::filesystem::remove(replay_path("dirty.rep"));
    ASSERT_TRUE(recorder.save());
    EXPECT_FALSE(std::filesystem::exists(replay_path("dirty.rep")));
    ASSERT_TRUE(recorder.create_element(1));
    EXPECT_TRUE(recorder.should_save());
    ASSERT_TRUE(recorder.write_uint8(4));
    ASSERT_TRUE(recorder.finish_element());
    EXPECT_TRUE(recorder.should_save());
    ASSERT_TRUE(recorder.save());
    EXPECT_EQ(replay_file("dirty.rep").size(), 12u + 8u + 5u);
}

TEST_F(ReplayRecorderTest, AnElementStillBeingWrittenIsFinishedBeforeSaving) {
    recorder.create("active.rep", 1, 1);
    ASSERT_TRUE(recorder.create_element(1));
    ASSERT_TRUE(recorder.write_uint8(42));
    ASSERT_TRUE(recorder.save());
    EXPECT_TRUE(logged("warning: Replay element 0 was still being written when the replay was saved; it has been "
                       "finished"));
    ASSERT_TRUE(recorder.load("active.rep"));
    uint32_t value = 0;
    ASSERT_TRUE(recorder.open_element(0));
    ASSERT_TRUE(recorder.read_uint8(value));
    EXPECT_EQ(value, 42u);
}

TEST_F(ReplayRecorderTest, DamagedFilesLoadWhatCameBeforeTheDamage) {
    recorder.create("two.rep", 1, 1);
    for (uint32_t tag : {1u, 2u}) {
        recorder.create_element(tag);
        recorder.write_uint8(tag);
        recorder.finish_element();
    }
    ASSERT_TRUE(recorder.save());
    const std::vector<uint8_t> good = replay_file("two.rep");
    ASSERT_EQ(good.size(), 12u + 2 * (8 + 5));
    struct Damage {
        const char* what;
        size_t offset;
        uint8_t value;
        size_t keep;
        bool first_opens;
    };
    const Damage damages[] = {
        {"CRC of the first element", 20, 0xEE, good.size(), true},
        {"element count far beyond the file", 11, 0x40, good.size(), false},
        {"second length beyond the file", 12 + 13 + 4, 0x70, good.size(), true},
        {"negative second length", 12 + 13 + 7, 0x80, good.size(), true},
        {"cut inside the second element", 0, 0, good.size() - 2, true},
        {"cut inside the header", 0, 0, 7, false},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<uint8_t> bad(good.begin(), good.begin() + static_cast<long>(damage.keep));
        if (damage.offset != 0)
            bad[damage.offset] = damage.value;
        write_replay("bad.rep", bad);
        EXPECT_FALSE(recorder.load("bad.rep"));
        EXPECT_EQ(recorder.open_element(0), damage.first_opens);
        uint32_t value = 0;
        const bool first_reads = damage.first_opens && recorder.read_uint8(value);
        EXPECT_EQ(first_reads, damage.first_opens && damage.offset != 20);
        recorder.close_element();
        EXPECT_FALSE(recorder.open_element(1));
    }
}

}  // namespace
}  // namespace me::test
