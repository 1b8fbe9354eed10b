#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "network/message.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes frame_of(const Message& message) { return {message.frame().begin(), message.frame().end()}; }

Message received_from(const Bytes& frame) {
    Message message;
    EXPECT_EQ(message.feed(frame), frame.size());
    return message;
}

struct WireCase {
    const char* name;
    std::function<void(Message&)> build;
    Bytes expected;
};

// The exact bytes on the wire for each kind and each payload encoding.
TEST(MessageWire, FramesAreLaidOutByteForByte) {
    const uint32_t helo = Message::type_from_text("HELO");
    const std::vector<WireCase> cases = {
        {"empty oneshot", [&](Message& m) { m.start_oneshot(helo, 0); }, {'O', 'L', 'E', 'H', 0x00, 0x06}},
        {"empty response",
         [&](Message& m) { m.start_response(helo, 0x1234, 3, 0); },
         {'O', 'L', 'E', 'H', 0x80, 0x0A, 0x12, 0x34, 0x00, 0x03}},
        {"request with uint16",
         [&](Message& m) {
             m.start_request(helo, 7, 0);
             m.write_u16(0xBEEF);
         },
         {'O', 'L', 'E', 'H', 0x40, 0x0A, 0x00, 0x07, 0xBE, 0xEF}},
        {"varint 300",
         [&](Message& m) {
             m.start_oneshot(helo, 0);
             m.write_varint(300);
         },
         {'O', 'L', 'E', 'H', 0x00, 0x08, 0xAC, 0x02}},
        {"string abc",
         [&](Message& m) {
             m.start_oneshot(helo, 0);
             m.write_string("abc");
         },
         {'O', 'L', 'E', 'H', 0x00, 0x0A, 0x03, 'a', 'b', 'c'}},
        {"uint32 and uint8",
         [&](Message& m) {
             m.start_oneshot(Message::type_from_text("AB"), 0);
             m.write_u32(0x01020304);
             m.write_u8(0xFF);
         },
         {' ', ' ', 'B', 'A', 0x00, 0x0B, 0x01, 0x02, 0x03, 0x04, 0xFF}},
    };
    for (const WireCase& c : cases) {
        Message message;
        c.build(message);
        ASSERT_TRUE(message.finish()) << c.name;
        EXPECT_EQ(message.state(), MessageState::Finished) << c.name;
        EXPECT_EQ(frame_of(message), c.expected) << c.name;
        EXPECT_EQ(Bytes(message.unsent().begin(), message.unsent().end()), c.expected) << c.name;
    }
}

TEST(MessageWire, TypeTextIsPaddedAndCut) {
    EXPECT_EQ(Message::type_from_text("AB"), Message::type_from_text("AB  "));
    EXPECT_EQ(Message::type_from_text("HELOWORLD"), Message::type_from_text("HELO"));
    EXPECT_EQ(Message::type_from_text("HELO"), 0x4F4C4548u);
    EXPECT_EQ(Message::type_text(Message::type_from_text("ST")), "ST  ");
}

// Every field written comes back equal, whether the frame arrives whole or
// one byte at a time.
TEST(MessageRoundTrip, FieldsSurviveTheWireInAnyPieces) {
    const std::vector<uint32_t> varints = {0, 1, 127, 128, 16383, 16384, 0x0FFFFFFF, 0xFFFFFFFF};
    const std::vector<size_t> varint_sizes = {1, 1, 1, 2, 2, 3, 4, 5};
    const std::string text("binary\0text", 11);
    for (size_t piece : {size_t{1}, size_t{5}, size_t{1024}}) {
        Message out;
        out.start_response(Message::type_from_text("DATA"), 65535, 4095, 0);
        out.write_u8(200);
        out.write_u16(65535);
        out.write_u32(0x80000001);
        for (size_t i = 0; i < varints.size(); ++i) {
            const int32_t before = out.remaining();
            out.write_varint(varints[i]);
            EXPECT_EQ(static_cast<size_t>(before - out.remaining()), varint_sizes[i]) << varints[i];
        }
        out.write_string(text);
        out.write_string("");
        ASSERT_TRUE(out.finish());

        const Bytes frame = frame_of(out);
        Message in;
        for (size_t at = 0; at < frame.size(); at += piece)
            in.feed(std::span<const uint8_t>(frame).subspan(at, std::min(piece, frame.size() - at)));
        ASSERT_EQ(in.state(), MessageState::Received) << piece;
        EXPECT_EQ(in.kind(), MessageKind::Response);
        EXPECT_EQ(in.type(), Message::type_from_text("DATA"));
        EXPECT_EQ(in.id(), 65535);
        EXPECT_EQ(in.code(), 4095);
        uint8_t u8 = 0;
        uint16_t u16 = 0;
        uint32_t u32 = 0;
        EXPECT_TRUE(in.read_u8(u8) && in.read_u16(u16) && in.read_u32(u32));
        EXPECT_EQ(u8, 200);
        EXPECT_EQ(u16, 65535);
        EXPECT_EQ(u32, 0x80000001u);
        for (uint32_t expected : varints) {
            uint32_t value = 0;
            EXPECT_TRUE(in.read_varint(value));
            EXPECT_EQ(value, expected);
        }
        std::string read_text;
        EXPECT_TRUE(in.read_string(read_text));
        EXPECT_EQ(read_text, text);
        EXPECT_TRUE(in.read_string(read_text));
        EXPECT_EQ(read_text, "");
        EXPECT_EQ(in.remaining(), 0);
    }
}

TEST(MessageReceive, FeedStopsAtTheEndOfOneFrame) {
    Message first;
    first.start_oneshot(Message::type_from_text("ONE"), 0);
    first.write_u8(1);
    first.finish();
    Bytes stream = frame_of(first);
    stream.insert(stream.end(), {'O', 'W', 'T', ' ', 0x00, 0x06});
    Message in;
    EXPECT_EQ(in.feed(stream), 7u);
    EXPECT_TRUE(in.is_received());
    EXPECT_EQ(in.feed(std::span<const uint8_t>(stream).subspan(7)), 0u);
    in.reset_for_receiving(0);
    EXPECT_EQ(in.feed(std::span<const uint8_t>(stream).subspan(7)), 6u);
    EXPECT_EQ(in.type(), Message::type_from_text(" TWO"));
    EXPECT_EQ(in.remaining(), 0);
}

struct BadHeader {
    uint8_t word_high;
    uint8_t word_low;
    const char* reason;
};

// A length inside the header, above 1024, or the unused kind 3 is refused
// as soon as the six header bytes are in, before any body is awaited.
TEST(MessageReceive, BrokenHeadersMakeTheFrameInvalid) {
    const std::vector<BadHeader> cases = {
        {0xC0, 0x06, "kind 3"},
        {0xFF, 0xFF, "kind 3"},
        {0x04, 0x01, "length above 1024"},
        {0x3F, 0xFF, "length above 1024"},
        {0x00, 0x00, "length shorter than its header"},
        {0x00, 0x05, "length shorter than its header"},
        {0x40, 0x07, "length shorter than its header"},
        {0x80, 0x09, "length shorter than its header"},
    };
    for (const BadHeader& c : cases) {
        Message in;
        const Bytes header = {'X', 'X', 'X', 'X', c.word_high, c.word_low, 0xAA, 0xBB};
        EXPECT_EQ(in.feed(header), 6u) << c.reason;
        EXPECT_EQ(in.state(), MessageState::Invalid) << int{c.word_high} << " " << int{c.word_low};
        EXPECT_STREQ(in.invalid_reason(), c.reason);
        uint8_t value = 0;
        EXPECT_FALSE(in.read_u8(value));
    }
    for (const Bytes& smallest : {Bytes{'A', 'A', 'A', 'A', 0x00, 0x06}, Bytes{'A', 'A', 'A', 'A', 0x04, 0x00}}) {
        Message in;
        in.feed(smallest);
        EXPECT_NE(in.state(), MessageState::Invalid);
    }
}

class MessageOverflowTest : public test::SpineTest {};

TEST_F(MessageOverflowTest, WritesStopAtTheFrameSizeWithAWarning) {
    const std::vector<std::pair<MessageKind, int32_t>> rooms = {
        {MessageKind::Oneshot, 1018}, {MessageKind::Request, 1016}, {MessageKind::Response, 1014}};
    for (const auto& [kind, room] : rooms) {
        Message m;
        if (kind == MessageKind::Oneshot)
            m.start_oneshot(Message::type_from_text("FULL"), 0);
        else if (kind == MessageKind::Request)
            m.start_request(Message::type_from_text("FULL"), 1, 0);
        else
            m.start_response(Message::type_from_text("FULL"), 1, 0, 0);
        EXPECT_EQ(m.remaining(), room);
        for (int32_t i = 0; i < room; ++i)
            ASSERT_TRUE(m.write_u8(1));
        EXPECT_FALSE(m.write_u8(1));
        EXPECT_EQ(m.state(), MessageState::WriteOverflow);
        EXPECT_FALSE(m.finish());
        EXPECT_TRUE(logged("warning: Buffer overflow while writing uint8 to message of kind " +
                           std::to_string(static_cast<int>(kind)) + " and type FULL"));
    }
    Message m;
    m.start_oneshot(Message::type_from_text("BIG"), 0);
    EXPECT_TRUE(m.write_bytes(Bytes(1016, 0)));
    EXPECT_FALSE(m.write_u32(5));
    EXPECT_TRUE(logged("warning: Buffer overflow while writing uint32 to message of kind 0 and type BIG "));
    Message bytes;
    bytes.start_oneshot(Message::type_from_text("BIG"), 0);
    EXPECT_FALSE(bytes.write_bytes(Bytes(1019, 0)));
    EXPECT_TRUE(logged("warning: Buffer overflow while writing 1019 bytes of data to message of kind 0 and type BIG "));
}

TEST_F(MessageOverflowTest, ReadsPastTheEndFailAndStayFailed) {
    Message out;
    out.start_oneshot(Message::type_from_text("RD"), 0);
    out.write_u8(9);
    out.write_u8(5);  // a string length of 5 with no bytes behind it
    out.finish();
    Message in = received_from(frame_of(out));
    uint8_t byte = 0;
    EXPECT_TRUE(in.read_u8(byte));
    EXPECT_FALSE(in.read_failed());
    std::string text;
    EXPECT_FALSE(in.read_string(text));
    EXPECT_TRUE(in.read_failed());
    EXPECT_TRUE(logged("warning: Buffer overflow while reading 5 bytes of string from message of kind 0 and type RD  "));
    EXPECT_FALSE(in.read_u8(byte));
    EXPECT_EQ(in.state(), MessageState::ReadOverflow);

    Message short_u32 = received_from({'X', 'X', 'X', 'X', 0x00, 0x08, 1, 2});
    uint32_t value = 0;
    EXPECT_FALSE(short_u32.read_u32(value));
    EXPECT_TRUE(logged("warning: Buffer overflow while reading uint32 from message of kind 0 and type XXXX"));
}

TEST_F(MessageOverflowTest, AMessageBeingWrittenCannotBeReadNorAReceivedOneWritten) {
    Message writing;
    writing.start_oneshot(Message::type_from_text("W"), 0);
    uint8_t byte = 0;
    EXPECT_FALSE(writing.read_u8(byte));
    EXPECT_EQ(writing.state(), MessageState::Writing);
    Message received = received_from({'X', 'X', 'X', 'X', 0x00, 0x07, 1});
    EXPECT_FALSE(received.write_u8(1));
    EXPECT_EQ(received.state(), MessageState::Received);
    EXPECT_FALSE(received.finish());
}

TEST(MessageSend, PartialSendsAdvanceUntilEverythingWent) {
    Message m;
    m.start_oneshot(Message::type_from_text("PART"), 0);
    m.write_u32(1);
    m.finish();
    m.mark_sent(4);
    EXPECT_EQ(m.state(), MessageState::Finished);
    EXPECT_EQ(m.unsent().size(), 6u);
    EXPECT_EQ(m.unsent()[0], 0x00);
    m.mark_sent(6);
    EXPECT_EQ(m.state(), MessageState::Sent);
    EXPECT_TRUE(m.unsent().empty());
}

}  // namespace
}  // namespace me
