#include "network/stat_chunk_receiver.h"

#include <utility>

#include "core/log.h"

namespace me {

void StatChunkReceiver::set_target(Gate gate, Completion completion) {
    m_gate = std::move(gate);
    m_completion = std::move(completion);
}

void StatChunkReceiver::warn_chunk(const char* problem, uint64_t offset, uint64_t chunk, uint64_t total,
                                   uint64_t detail) {
    std::string text = format_message("Received initial state chunk %1-%2/%3", offset + 1, offset + chunk, total);
    text += format_message(problem, detail);
    log_warning(text);
}

void StatChunkReceiver::abandon() {
    m_sender = kNoNode;
    m_total = 0;
    m_bytes = {};
}

void StatChunkReceiver::receive(NodeId from, Message& message) {
    if (m_gate && !m_gate())
        return;
    uint32_t offset = 0;
    uint32_t chunk = 0;
    uint32_t total = 0;
    if (!message.read_u32(offset) || !message.read_u32(chunk) || !message.read_u32(total)) {
        log_warning("Error while reading state message header");
        return;
    }
    // In 64 bits, so that an offset and length that wrap cannot pass.
    const uint64_t end = static_cast<uint64_t>(offset) + chunk;
    if (total < end) {
        warn_chunk(" ; the range is invalid", offset, chunk, total);
        return;
    }
    if (total > kMaxStateBytes) {
        warn_chunk(" but the state is larger than the limit of %1 bytes", offset, chunk, total, kMaxStateBytes);
        return;
    }
    if (static_cast<uint64_t>(message.remaining()) != chunk) {
        warn_chunk(" but the message has %1 bytes payload", offset, chunk, total,
                   static_cast<uint64_t>(message.remaining()));
        return;
    }
    if (offset == 0) {
        if (in_progress())
            log_warning("A new initial state starts before the previous one was complete. Replacing it");
        abandon();
        m_sender = from;
        m_total = total;
    }
    if (!in_progress()) {
        warn_chunk(" but the state buffer does not exist. No initial chunk received?", offset, chunk, total);
        return;
    }
    if (from != m_sender) {
        warn_chunk(" from node %1, but the state is being sent by another node", offset, chunk, total,
                   static_cast<uint64_t>(static_cast<uint32_t>(from)));
        return;
    }
    if (total != m_total) {
        warn_chunk(" but the state buffer has size %1", offset, chunk, total, m_total);
        return;
    }
    if (offset != m_bytes.size()) {
        warn_chunk(" but %1 bytes have arrived so far", offset, chunk, total, m_bytes.size());
        return;
    }
    const size_t start = m_bytes.size();
    m_bytes.resize(start + chunk);
    if (!message.read_bytes({m_bytes.data() + start, chunk})) {
        log_warning("Error while reading state message data");
        abandon();
        return;
    }
    if (end < total)
        return;
    std::vector<uint8_t> complete = std::move(m_bytes);
    abandon();
    if (m_completion)
        m_completion(std::move(complete));
    else
        log_warning(format_message("Received a complete state of %1 bytes but nothing takes it", complete.size()));
}

}  // namespace me
