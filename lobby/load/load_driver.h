#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/lobby_messages.h"

namespace me::lobby::load {

// One simulated client of the load generator.
struct LoadClient {
    int fd = -1;
    UserId user = 0;
    bool welcomed = false;
    FrameReader frames;
    std::vector<uint8_t> out;
    size_t out_sent = 0;
    // What a scenario keeps per client.
    LobbyId lobby = 0;
    UserId peer = 0;
    uint64_t sent = 0;
    uint64_t received = 0;
};

// Many clients of the lobby service in one thread: non-blocking sockets in
// one epoll set, so that one generator process can hold as many
// connections as the service it measures.
class LoadDriver {
public:
    using Handler = std::function<void(LoadClient&, const Message&)>;

    LoadDriver();
    ~LoadDriver();
    LoadDriver(const LoadDriver&) = delete;
    LoadDriver& operator=(const LoadDriver&) = delete;

    // Connects count clients with ids first_user.. spread over the ports
    // and waits for every Welcome; false (with the reason on stderr) when
    // not all got in within the time limit.
    bool connect_clients(size_t count, const std::vector<uint16_t>& ports, UserId first_user);
    std::vector<std::unique_ptr<LoadClient>>& clients() { return m_clients; }
    LoadClient* client_of(UserId user);

    void send(LoadClient& client, const Message& message);
    // Waits up to timeout_ms for traffic, reads it, calls the handler for
    // every message and writes what is queued.
    void pump(int timeout_ms, const Handler& handler);

private:
    void flush(LoadClient& client);

    int m_epoll_fd = -1;
    std::vector<std::unique_ptr<LoadClient>> m_clients;
    std::vector<LoadClient*> m_by_fd;
    std::vector<LoadClient*> m_unflushed;  // may hold a client twice; flushing twice is harmless
    UserId m_first_user = 0;
};

}  // namespace me::lobby::load
