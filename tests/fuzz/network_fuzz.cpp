// Fuzz target for the network frame reader and the state chunk receiver.
// The input is a byte stream as a peer would send it: frames are collected
// one after another, each received frame is read field by field, and frames
// of type STAT go to a chunk receiver. Whatever the bytes, a frame is either
// received within its bounds or refused, and a reassembled state never
// exceeds what its chunks announced or the size limit.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "network/message.h"
#include "network/stat_chunk_receiver.h"

namespace {

void read_every_field(me::Message& message) {
    uint8_t u8 = 0;
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    std::string text;
    std::vector<uint8_t> bytes(3);
    while (message.remaining() > 0 && message.is_received()) {
        switch (message.remaining() % 6) {
        case 0: message.read_u8(u8); break;
        case 1: message.read_u16(u16); break;
        case 2: message.read_u32(u32); break;
        case 3: message.read_varint(u32); break;
        case 4: message.read_string(text); break;
        default: message.read_bytes(bytes); break;
        }
        if (message.remaining() < 0) std::abort();
    }
}

void check_received(const me::Message& message) {
    const int32_t header = me::Message::header_size(message.kind());
    if (message.length() < header || message.length() > me::Message::kMaxFrameLength) std::abort();
    if (message.remaining() != message.length() - header) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> stream(data, size);
    me::StatChunkReceiver receiver;
    uint64_t completed_size = 0;
    receiver.set_target([] { return true; }, [&](std::vector<uint8_t> state) { completed_size = state.size(); });
    me::Message message;
    while (!stream.empty()) {
        const size_t used = message.feed(stream);
        stream = stream.subspan(used);
        if (message.state() == me::MessageState::Invalid) break;
        if (!message.is_received()) {
            if (used == 0) std::abort();
            continue;
        }
        check_received(message);
        if (message.type() == me::Message::type_from_text("STAT"))
            receiver.receive(1, message);
        else
            read_every_field(message);
        if (receiver.received_bytes() > me::StatChunkReceiver::kMaxStateBytes) std::abort();
        message.reset_for_receiving(0);
    }
    if (completed_size > me::StatChunkReceiver::kMaxStateBytes) std::abort();
    return 0;
}
