// The byte-level primitives every state, message in transit and replay
// element is made of.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network/state_buffer.h"

namespace me {
namespace {

std::vector<uint8_t> bytes_of(const StateBuffer& buffer) {
    return std::vector<uint8_t>(buffer.bytes().begin(), buffer.bytes().end());
}

TEST(StateBufferTest, CompactLengthsUseOneByteBelow128AndTwoUpTo32767) {
    struct Case {
        uint32_t value;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {{0, {0x00}}, {127, {0x7F}}, {128, {0x80, 0x80}}, {300, {0x81, 0x2C}}, {32767, {0xFF, 0xFF}}};
    for (const Case& c : cases) {
        StateBuffer buffer;
        ASSERT_TRUE(buffer.write_compact_length(c.value));
        EXPECT_EQ(bytes_of(buffer), c.bytes) << c.value;
        buffer.finish();
        EXPECT_EQ(buffer.read_compact_length(), c.value);
        EXPECT_EQ(buffer.readable(), 0);
    }
    StateBuffer buffer;
    EXPECT_FALSE(buffer.write_compact_length(32768));
    EXPECT_FALSE(buffer.write_string(std::string(32768, 'x')));
    EXPECT_EQ(buffer.length(), 0);
    EXPECT_TRUE(buffer.write_string(std::string(32767, 'x')));
    EXPECT_EQ(buffer.length(), 32769);
}

TEST(StateBufferTest, ReadsPastThePayloadFailWithoutMovingAndStayFailed) {
    StateBuffer buffer;
    buffer.write_u16(0x0102);
    buffer.finish();
    EXPECT_EQ(buffer.read_u32(), 0u);
    EXPECT_TRUE(buffer.has_error());
    EXPECT_EQ(buffer.read_position(), 0);
    EXPECT_EQ(buffer.read_u8(), 0u);
    buffer.reset_read();
    EXPECT_EQ(buffer.read_u16(), 0x0102u);
    // The CRC trailer is never payload.
    EXPECT_EQ(buffer.read_u8(), 0u);
    EXPECT_TRUE(buffer.has_error());
}

TEST(StateBufferTest, AStringCutShortRestoresThePosition) {
    StateBuffer buffer(std::vector<uint8_t>{0x00, 0x05, 'a', 'b'});
    buffer.finish();
    EXPECT_EQ(buffer.read_u8(), 0u);
    std::string text = "kept";
    EXPECT_FALSE(buffer.read_string(text));
    EXPECT_EQ(buffer.read_position(), 1);
    EXPECT_TRUE(buffer.has_error());
}

TEST(StateBufferTest, VerifyAcceptsOnlyAMatchingCrcAndNeverAShortBuffer) {
    StateBuffer written;
    written.write_u32(0xDEADBEEF);
    written.finish();
    const std::vector<uint8_t> good = bytes_of(written);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool valid;
    };
    std::vector<uint8_t> flipped = good;
    flipped[7] ^= 0x01;
    const Case cases[] = {
        {"as written", good, true},
        {"CRC bit flipped", flipped, false},
        {"empty", {}, false},
        {"three bytes", {0, 0, 0}, false},
        {"empty payload, CRC of nothing", {0, 0, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StateBuffer buffer(c.bytes);
        EXPECT_EQ(buffer.verify(), c.valid);
        EXPECT_EQ(buffer.is_valid_state(), c.valid);
        EXPECT_GE(buffer.readable(), 0);
        if (!c.valid) {
            EXPECT_EQ(buffer.read_u8(), 0u);
            EXPECT_TRUE(buffer.has_error());
        }
    }
    EXPECT_EQ(written.crc(), state_crc(std::span(good).first(4)));
}

}  // namespace
}  // namespace me
