#include "network/stat_chunk_sender.h"

#include <algorithm>

#include "core/log.h"
#include "network/connection_manager.h"
#include "network/stat_chunk_receiver.h"

namespace me {

bool StatChunkSender::send(ConnectionManager& manager, NodeId node, std::span<const uint8_t> state) {
    if (state.size() > StatChunkReceiver::kMaxStateBytes) {
        log_warning(format_message("State of %1 bytes is larger than the limit of %2 bytes, not sent to node %3",
                                   state.size(), StatChunkReceiver::kMaxStateBytes, node));
        return false;
    }
    const auto total = static_cast<uint32_t>(state.size());
    uint32_t offset = 0;
    while (offset < total) {
        if (!manager.create_oneshot(node, ConnectionManager::kStatType)) {
            log_warning(format_message("Failed to create SAVE message for node %1", node));
            return false;
        }
        Message& message = *manager.outgoing(node);
        const auto room = static_cast<uint32_t>(message.remaining() - StatChunkReceiver::kChunkHeaderSize);
        const uint32_t chunk = std::min(total - offset, room);
        message.write_u32(offset);
        message.write_u32(chunk);
        message.write_u32(total);
        message.write_bytes(state.subspan(offset, chunk));
        if (!manager.send(node)) {
            log_warning(format_message("Failed to send %1 bytes of SAVE message to node %2", chunk, node));
            return false;
        }
        offset += chunk;
    }
    return true;
}

}  // namespace me
