#include "network/connection.h"

#include <utility>

namespace me {

Connection::Connection(Direction direction_, TcpSocket socket_, uint32_t now)
    : direction(direction_), established(direction_ == Incoming), created(now), socket(std::move(socket_)) {
    incoming.reset_for_receiving(now);
}

const char* Connection::direction_name(int32_t direction) {
    switch (direction) {
    case Outgoing:
        return "Outgoing";
    case Incoming:
        return "Incoming";
    case Lobby:
        return "Lobby";
    default:
        return "Unknown";
    }
}

uint16_t Connection::take_request_id() {
    const uint16_t id = m_next_request_id;
    m_next_request_id = m_next_request_id == 0xFFFF ? 1 : static_cast<uint16_t>(m_next_request_id + 1);
    return id;
}

Message& Connection::begin_outgoing() {
    m_outgoing = std::make_unique<Message>();
    return *m_outgoing;
}

}  // namespace me
