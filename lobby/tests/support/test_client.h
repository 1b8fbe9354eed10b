#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/lobby_messages.h"

namespace me::lobby::test {

// A blocking client of the lobby service for tests: sends messages or raw
// bytes, and waits (with a timeout) for what the service sends back.
class TestClient {
public:
    // Connects to 127.0.0.1:port; receive_buffer > 0 shrinks the socket's
    // receive buffer first (a client that is slow to read fills it sooner).
    explicit TestClient(uint16_t port, int receive_buffer = 0);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool connected() const { return m_fd >= 0; }
    // Hello and the Welcome that answers it.
    bool hello(UserId user);
    UserId user() const { return m_user; }

    void send(const Message& message);
    void send_raw(std::span<const uint8_t> bytes);
    // The next message, or nothing after timeout_ms or when the connection ended.
    std::optional<Message> receive(int timeout_ms = 3000);
    // Whether the service closes the connection within timeout_ms (messages
    // still arriving before the close are skipped).
    bool closed_by_service(int timeout_ms = 3000);
    void disconnect();

    // The next message, which must be an M; a test failure and a default M otherwise.
    template <class M>
    M next(int timeout_ms = 3000) {
        std::optional<Message> message = receive(timeout_ms);
        if (!message) {
            ADD_FAILURE() << "user " << m_user << " expected " << message_name(M::kType) << ", got nothing";
            return M{};
        }
        if (!std::holds_alternative<M>(*message)) {
            ADD_FAILURE() << "user " << m_user << " expected " << message_name(M::kType) << ", got "
                          << message_name(message_type(*message));
            return M{};
        }
        return std::get<M>(std::move(*message));
    }

private:
    int m_fd = -1;
    UserId m_user = 0;
    FrameReader m_frames;
    bool m_closed = false;
};

}  // namespace me::lobby::test
