#pragma once

#include <cstdint>
#include <span>

#include "network/node_id.h"

namespace me {

class ConnectionManager;

// Sends a saved state to one node as "STAT" oneshots: each carries its
// offset, its length and the total, then as many bytes as the message has
// room for; the last chunk is shorter.
class StatChunkSender {
public:
    // False (with a warning) when a chunk cannot be created or sent; an
    // empty state sends nothing and succeeds.
    static bool send(ConnectionManager& manager, NodeId node, std::span<const uint8_t> state);
};

}  // namespace me
