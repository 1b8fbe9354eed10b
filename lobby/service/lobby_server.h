#pragma once

#include <csignal>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "lobby/service/client_connection.h"
#include "lobby/service/lobby_backend.h"

namespace me::lobby {

// The service's one thread: a listening socket and every client connection
// in one epoll set. Each loop turn reads what arrived, hands whole frames to
// the backend, then writes what the turn queued and closes what must close.
class LobbyServer : public Mailbox {
public:
    LobbyServer() = default;
    ~LobbyServer() override;
    LobbyServer(const LobbyServer&) = delete;
    LobbyServer& operator=(const LobbyServer&) = delete;

    // Binds and listens (port 0 picks a free port); false, logged, on failure.
    bool listen(const std::string& address, uint16_t port);
    uint16_t port() const { return m_port; }

    // Serves until *stop becomes non-zero or the backend fails.
    void run(LobbyBackend& backend, const volatile std::sig_atomic_t* stop);

    bool deliver(UserId user, const Message& message) override;

private:
    void accept_clients();
    void on_readable(ClientConnection& connection);
    void handle_frame(ClientConnection& connection, std::span<const uint8_t> body);
    void handle_hello(ClientConnection& connection, const Hello& hello);
    void refuse(ClientConnection& connection, ErrorCode code, const std::string& why);
    void close_later(ClientConnection& connection, std::string why);
    void finish_turn();
    void close_connection(int fd);
    void flush(ClientConnection& connection);
    void watch(int fd, bool output, int operation);

    int m_listen_fd = -1;
    int m_epoll_fd = -1;
    uint16_t m_port = 0;
    bool m_accept_paused = false;
    LobbyBackend* m_backend = nullptr;
    std::vector<std::unique_ptr<ClientConnection>> m_by_fd;
    std::unordered_map<UserId, ClientConnection*> m_by_user;
    std::vector<int> m_dirty;    // connections with output queued this turn
    std::vector<int> m_closing;  // connections to close at the end of this turn
};

}  // namespace me::lobby
