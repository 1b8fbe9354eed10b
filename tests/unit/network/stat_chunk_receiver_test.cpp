#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "network/stat_chunk_receiver.h"
#include "spine_test_environment.h"

namespace me {
namespace {

struct Chunk {
    NodeId from;
    uint32_t offset;
    uint32_t length;
    uint32_t total;
    std::vector<uint8_t> bytes;
};

// The chunk as a received "STAT" oneshot.
Message received_chunk(const Chunk& chunk) {
    Message out;
    out.start_oneshot(Message::type_from_text("STAT"), 0);
    out.write_u32(chunk.offset);
    out.write_u32(chunk.length);
    out.write_u32(chunk.total);
    out.write_bytes(chunk.bytes);
    out.finish();
    Message in;
    in.feed(out.frame());
    return in;
}

struct Sequence {
    const char* name;
    std::vector<Chunk> chunks;
    std::optional<std::vector<uint8_t>> completed;
    const char* warning;
};

class StatChunkReceiverTest : public test::SpineTest {};

TEST_F(StatChunkReceiverTest, ChunksAreCheckedBeforeAnyByteIsKept) {
    const std::vector<uint8_t> four = {1, 2, 3, 4};
    const std::vector<Sequence> cases = {
        {"two chunks in order", {{1, 0, 4, 8, four}, {1, 4, 4, 8, {5, 6, 7, 8}}},
         std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}, nullptr},
        {"one chunk", {{1, 0, 4, 4, four}}, four, nullptr},
        {"a range that wraps in 32 bits", {{1, 0xFFFFFF00u, 0x200, 0x100, four}}, std::nullopt,
         "warning: Received initial state chunk 4294967041-4294967552/256 ; the range is invalid"},
        {"a total above the limit", {{1, 0, 4, 0x7FFFFFFF, four}}, std::nullopt,
         "warning: Received initial state chunk 1-4/2147483647 but the state is larger than the limit of 67108864 "
         "bytes"},
        {"a length the payload does not hold", {{1, 0, 10, 20, four}}, std::nullopt,
         "warning: Received initial state chunk 1-10/20 but the message has 4 bytes payload"},
        {"no first chunk", {{1, 4, 4, 8, four}}, std::nullopt,
         "warning: Received initial state chunk 5-8/8 but the state buffer does not exist. No initial chunk "
         "received?"},
        {"a gap", {{1, 0, 4, 12, four}, {1, 8, 4, 12, four}}, std::nullopt,
         "warning: Received initial state chunk 9-12/12 but 4 bytes have arrived so far"},
        {"a changed total", {{1, 0, 4, 12, four}, {1, 4, 4, 16, four}}, std::nullopt,
         "warning: Received initial state chunk 5-8/16 but the state buffer has size 12"},
        {"another sender mid-way", {{1, 0, 4, 8, four}, {2, 4, 4, 8, four}}, std::nullopt,
         "warning: Received initial state chunk 5-8/8 from node 2, but the state is being sent by another node"},
        {"a restart at offset 0", {{1, 0, 4, 8, four}, {1, 0, 4, 4, {9, 9, 9, 9}}},
         std::vector<uint8_t>{9, 9, 9, 9},
         "warning: A new initial state starts before the previous one was complete. Replacing it"},
    };
    for (const Sequence& c : cases) {
        StatChunkReceiver receiver;
        std::optional<std::vector<uint8_t>> completed;
        receiver.set_target([] { return true; }, [&](std::vector<uint8_t> bytes) { completed = std::move(bytes); });
        for (const Chunk& chunk : c.chunks) {
            Message message = received_chunk(chunk);
            receiver.receive(chunk.from, message);
        }
        EXPECT_EQ(completed, c.completed) << c.name;
        if (c.warning != nullptr)
            EXPECT_TRUE(logged(c.warning)) << c.name << "\n" << log_text();
        else
            EXPECT_EQ(log_text().find("warning: "), std::string::npos) << c.name << "\n" << log_text();
    }
}

TEST_F(StatChunkReceiverTest, AClosedGateIgnoresChunksAndAShortHeaderIsReported) {
    StatChunkReceiver receiver;
    int completions = 0;
    bool open = false;
    receiver.set_target([&] { return open; }, [&](std::vector<uint8_t>) { ++completions; });
    Message message = received_chunk({1, 0, 4, 4, {1, 2, 3, 4}});
    receiver.receive(1, message);
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(receiver.in_progress());

    open = true;
    Message out;
    out.start_oneshot(Message::type_from_text("STAT"), 0);
    out.write_u32(0);
    out.finish();
    Message short_header;
    short_header.feed(out.frame());
    receiver.receive(1, short_header);
    EXPECT_TRUE(logged("warning: Error while reading state message header"));
    EXPECT_EQ(completions, 0);
}

}  // namespace
}  // namespace me
