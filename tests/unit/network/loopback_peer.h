#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "network/connection_event_handler.h"
#include "network/connection_manager.h"

namespace me::test {

// Records what a connection manager reports; tests may act inside a callback.
class RecordingHandler : public ConnectionEventHandler {
public:
    struct Event {
        std::string what;
        NodeId node;
        NetworkResult reason;
        uint64_t lobby = 0;
        bool is_host = false;
        bool operator==(const Event&) const = default;
    };

    NetworkResult on_connect(NodeId node) override {
        events.push_back({"connect", node, NetworkResult::Ok});
        return answer;
    }
    void on_connect_failure(NetworkResult reason) override { events.push_back({"failure", kNoNode, reason}); }
    void on_disconnect(NodeId node, NetworkResult reason) override { events.push_back({"disconnect", node, reason}); }
    NetworkResult on_lobby_create_succeeded(uint64_t lobby, NodeId own_node) override {
        return answered({"created", own_node, NetworkResult::Ok, lobby});
    }
    void on_lobby_create_failed(NetworkResult reason) override { events.push_back({"create_failed", kNoNode, reason}); }
    NetworkResult on_lobby_join_succeeded(uint64_t lobby, NodeId own_node, bool is_host) override {
        return answered({"joined", own_node, NetworkResult::Ok, lobby, is_host});
    }
    void on_lobby_join_failed(NetworkResult reason) override { events.push_back({"join_failed", kNoNode, reason}); }
    NetworkResult on_lobby_node_joined(NodeId node, bool is_host) override {
        return answered({"node_joined", node, NetworkResult::Ok, 0, is_host});
    }
    void on_lobby_node_left(NodeId node, NetworkResult reason) override {
        events.push_back({"node_left", node, reason});
    }
    NetworkResult on_lobby_migration(NodeId new_owner) override {
        return answered({"migration", new_owner, NetworkResult::Ok});
    }
    NetworkResult on_invitation_accepted(uint64_t lobby) override {
        return answered({"invitation", kNoNode, NetworkResult::Ok, lobby});
    }
    void on_message(NodeId node) override {
        events.push_back({"message", node, NetworkResult::Ok});
        if (on_message_hook)
            on_message_hook(node);
    }

    NetworkResult answered(const Event& event) {
        events.push_back(event);
        auto found = lobby_answers.find(event.what);
        return found != lobby_answers.end() ? found->second : NetworkResult::Ok;
    }

    bool saw(const Event& event) const {
        for (const Event& e : events)
            if (e == event)
                return true;
        return false;
    }

    size_t count(const std::string& what) const {
        size_t n = 0;
        for (const Event& e : events)
            n += e.what == what ? 1 : 0;
        return n;
    }

    std::vector<Event> events;
    NetworkResult answer = NetworkResult::Ok;
    // Answers of the lobby events that return a code, by event name.
    std::map<std::string, NetworkResult> lobby_answers;
    std::function<void(NodeId)> on_message_hook;
};

// Updates the managers until done() holds, at most about two seconds.
inline bool pump_until(std::initializer_list<ConnectionManager*> managers, const std::function<bool()>& done) {
    for (int round = 0; round < 2000; ++round) {
        for (ConnectionManager* manager : managers)
            manager->update();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// A hand-driven TCP peer on 127.0.0.1 that writes raw bytes, so tests can
// send what no well-behaved manager would.
class RawPeer {
public:
    explicit RawPeer(uint16_t port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawPeer() { ::close(m_fd); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    void send(const std::vector<uint8_t>& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // Collects whatever arrived; sets closed when the manager closed us.
    void poll() {
        uint8_t buffer[2048];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                received.insert(received.end(), buffer, buffer + n);
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                closed = true;
            return;
        }
    }

    static std::vector<uint8_t> helo_request(uint32_t node, uint16_t internal_protocol, uint16_t game_protocol) {
        return {'O',
                'L',
                'E',
                'H',
                0x40,
                0x10,
                0x00,
                0x01,
                static_cast<uint8_t>(node >> 24),
                static_cast<uint8_t>(node >> 16),
                static_cast<uint8_t>(node >> 8),
                static_cast<uint8_t>(node),
                static_cast<uint8_t>(internal_protocol >> 8),
                static_cast<uint8_t>(internal_protocol),
                static_cast<uint8_t>(game_protocol >> 8),
                static_cast<uint8_t>(game_protocol)};
    }

    bool connected = false;
    bool closed = false;
    std::vector<uint8_t> received;

private:
    int m_fd = -1;
};

}  // namespace me::test
