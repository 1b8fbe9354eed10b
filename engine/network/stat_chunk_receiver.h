#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "network/message.h"
#include "network/node_id.h"

namespace me {

// Puts a saved state back together from the "STAT" chunks a peer sends:
// each carries its offset, its length and the total, all big-endian 32-bit,
// then the bytes. Chunks come in order over one connection; one at offset 0
// starts over. The finished bytes go to the completion callback, which owns
// checking them (CRC) and storing them.
class StatChunkReceiver {
public:
    // The largest state accepted, so that one forged chunk header cannot make
    // this node reserve gigabytes.
    static constexpr uint64_t kMaxStateBytes = 64ull * 1024 * 1024;
    static constexpr int32_t kChunkHeaderSize = 12;

    // False (having logged why) when no state may be received right now.
    using Gate = std::function<bool()>;
    using Completion = std::function<void(std::vector<uint8_t> bytes)>;

    void set_target(Gate gate, Completion completion);
    // Takes one received chunk; every problem is a warning and the message is
    // otherwise ignored.
    void receive(NodeId from, Message& message);

    bool in_progress() const { return m_sender != kNoNode; }
    size_t received_bytes() const { return m_bytes.size(); }

private:
    void warn_chunk(const char* problem, uint64_t offset, uint64_t chunk, uint64_t total, uint64_t detail = 0);
    void abandon();

    Gate m_gate;
    Completion m_completion;
    NodeId m_sender = kNoNode;
    uint64_t m_total = 0;
    std::vector<uint8_t> m_bytes;
};

}  // namespace me
