#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "network/message.h"
#include "network/network_result.h"
#include "network/node_id.h"
#include "core/tcp_socket.h"
#include "platform/platform_notifications.h"

namespace me {

// One peer of the connection manager: its socket (or, for a lobby member, its
// platform user), the handshake's outcome, the message the script is writing,
// the queue of finished messages still to go out and the frame being
// received.
class Connection {
public:
    enum Direction : int32_t { Outgoing = 1, Incoming = 2, Lobby = 3 };

    Connection(Direction direction, TcpSocket socket, uint32_t now);

    static const char* direction_name(int32_t direction);

    // Request ids run 1 … 65535 and wrap back to 1, never 0.
    uint16_t take_request_id();
    // The message the script is writing, started fresh by the caller.
    Message& begin_outgoing();
    std::unique_ptr<Message> take_outgoing() { return std::move(m_outgoing); }
    Message* outgoing() { return m_outgoing.get(); }

    NodeId node_id = kNoNode;
    Direction direction;
    bool scheduled = false;
    NetworkResult disconnect_reason = NetworkResult::Ok;
    // Messages may go straight to the peer; an outgoing socket becomes
    // established when its connect attempt completes, a lobby member when it
    // answers a "HELO" ping.
    bool established;
    uint32_t created;
    uint32_t last_ping = 0;
    int32_t game_protocol = -1;
    TcpSocket socket;
    // Lobby members only: the member's platform user and the peer-to-peer
    // session as last refreshed.
    platform::UserId peer_user = 0;
    platform::P2PSessionState session;
    std::deque<std::unique_ptr<Message>> send_queue;
    Message incoming;

private:
    uint16_t m_next_request_id = 1;
    std::unique_ptr<Message> m_outgoing;
};

}  // namespace me
