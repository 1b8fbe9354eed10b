#include "test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "lobby/protocol/message_codec.h"

namespace me::lobby::test {

TestClient::TestClient(uint16_t port, int receive_buffer) {
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receive_buffer > 0) setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    const int yes = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) disconnect();
}

TestClient::~TestClient() { disconnect(); }

void TestClient::disconnect() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

bool TestClient::hello(UserId user) {
    m_user = user;
    send(Hello{kProtocolVersion, user});
    std::optional<Message> reply = receive();
    return reply && std::holds_alternative<Welcome>(*reply) && std::get<Welcome>(*reply).user == user;
}

void TestClient::send(const Message& message) {
    std::vector<uint8_t> frame;
    ASSERT_TRUE(encode_frame(message, frame));
    send_raw(frame);
}

void TestClient::send_raw(std::span<const uint8_t> bytes) {
    for (size_t sent = 0; sent < bytes.size() && m_fd >= 0;) {
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

std::optional<Message> TestClient::receive(int timeout_ms) {
    for (;;) {
        if (auto body = m_frames.next_frame(); !body.empty()) {
            DecodedMessage decoded = decode_body(body);
            EXPECT_TRUE(decoded.message) << "the service sent a malformed frame: " << decoded.error;
            return std::move(decoded.message);
        }
        pollfd ready{m_fd, POLLIN, 0};
        if (m_fd < 0 || m_closed || poll(&ready, 1, timeout_ms) <= 0) return std::nullopt;
        uint8_t buffer[64 * 1024];
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            m_closed = true;
            return std::nullopt;
        }
        m_frames.append(std::span<const uint8_t>(buffer, static_cast<size_t>(got)));
    }
}

bool TestClient::closed_by_service(int timeout_ms) {
    while (receive(timeout_ms)) {
    }
    return m_closed;
}

}  // namespace me::lobby::test
