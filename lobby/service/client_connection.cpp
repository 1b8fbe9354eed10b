#include "lobby/service/client_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "lobby/protocol/message_codec.h"
#include "lobby/service/service_limits.h"
#include "lobby/service/service_log.h"

namespace me::lobby {

ClientConnection::~ClientConnection() { ::close(m_fd); }

std::string ClientConnection::describe() const {
    return welcomed() ? "user " + std::to_string(m_user) + " (" + m_peer + ")" : m_peer;
}

ClientConnection::ReadResult ClientConnection::read_available() {
    uint8_t buffer[64 * 1024];
    for (size_t total = 0; total < kMaxReadBytesPerTurn;) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            m_frames.append(std::span<const uint8_t>(buffer, static_cast<size_t>(got)));
            total += static_cast<size_t>(got);
            if (static_cast<size_t>(got) < sizeof buffer) break;
        } else if (got == 0) {
            return ReadResult::Closed;
        } else if (errno == EINTR) {
            continue;
        } else {
            return errno == EAGAIN || errno == EWOULDBLOCK ? ReadResult::Open : ReadResult::Closed;
        }
    }
    return ReadResult::Open;
}

bool ClientConnection::queue(const Message& message) {
    if (closing()) return true;
    const size_t before = m_out.size();
    if (!encode_frame(message, m_out)) {
        log_error(std::string("a ") + message_name(message_type(message)) + " for " + describe() +
                  " breaks the protocol's limits and was not sent");
        return true;
    }
    if (queued_bytes() > kMaxQueuedBytesPerClient) {
        m_out.resize(before);
        return false;
    }
    return true;
}

bool ClientConnection::flush() {
    while (has_output()) {
        const ssize_t sent = ::send(m_fd, m_out.data() + m_out_sent, m_out.size() - m_out_sent, MSG_NOSIGNAL);
        if (sent > 0) {
            m_out_sent += static_cast<size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else {
            if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            return false;
        }
    }
    if (m_out_sent == m_out.size()) {
        m_out.clear();
        m_out_sent = 0;
    } else if (m_out_sent > m_out.size() / 2) {
        m_out.erase(m_out.begin(), m_out.begin() + static_cast<std::ptrdiff_t>(m_out_sent));
        m_out_sent = 0;
    }
    return true;
}

void ClientConnection::mark_closing(std::string why) {
    if (!closing()) m_closing_reason = std::move(why);
}

}  // namespace me::lobby
