#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "network/connection.h"
#include "network/connection_event_handler.h"
#include "network/lobby_transport.h"
#include "network/message.h"
#include "network/node_id.h"
#include "network/stat_chunk_receiver.h"
#include "core/tcp_socket.h"

namespace me {

// The one owner of network connections. In socket mode this node either
// listens for peers or is the client of one host; every socket is
// non-blocking and polled once per frame by update(), so nothing here ever
// waits. Peers name themselves in a "HELO" handshake; after it the script
// writes and reads messages one at a time per connection. In lobby mode the
// members of a platform lobby are the connections (see LobbyTransport).
class ConnectionManager {
public:
    enum Mode : int32_t { None = 0, Socket = 1, Lobby = 2 };

    static constexpr uint16_t kInternalProtocol = 4;
    static constexpr uint32_t kHandshakeLimitMs = 20000;
    static constexpr int32_t kMaxResponseCode = 4095;
    // Bytes read from one connection in one update, so that a flooding peer
    // cannot hold the frame.
    static constexpr size_t kMaxReceivePerUpdate = 64 * 1024;
    // Peers at once; beyond it a new connection is closed as it is accepted,
    // so that a flood of connects cannot use up the process's descriptors.
    static constexpr size_t kMaxConnections = 59;
    static const uint32_t kHeloType;
    static const uint32_t kStatType;

    using Clock = std::function<uint32_t()>;
    using RandomRange = std::function<int32_t(int32_t min, int32_t max)>;

    ConnectionManager();
    ConnectionManager(const ConnectionManager&) = delete;
    ConnectionManager& operator=(const ConnectionManager&) = delete;
    ~ConnectionManager();

    void set_mode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    // Start-up: attaches the platform for lobby mode (invitations are heard
    // from now on); nothing opens until the script asks for a mode.
    void start(platform::PlatformClient* platform) { m_lobby.start(platform); }
    // Process exit: closes whatever socket or lobby mode left open.
    void teardown();
    LobbyTransport& lobby() { return m_lobby; }

    void set_handler(std::unique_ptr<ConnectionEventHandler> handler) { m_handler = std::move(handler); }
    ConnectionEventHandler* handler() const { return m_handler.get(); }
    void set_clock(Clock clock) { m_clock = std::move(clock); }
    void set_random_range(RandomRange random) { m_random = std::move(random); }
    // Where received "STAT" chunks are put together.
    StatChunkReceiver& stat_receiver() { return m_stat_receiver; }

    // Port 0 picks a free port (see listen_port). bind_host empty: every
    // interface.
    bool start_host(NodeId own_node, int32_t port, std::string_view bind_host = {});
    bool start_client(NodeId own_node, std::string_view host, int32_t port, int32_t game_protocol);
    // Closes every connection at once, without callbacks. Called from inside
    // a callback, the sockets close when the update that made the call ends.
    void shutdown();
    void update();

    // Script side of messages; misuse logs a warning and fails.
    uint16_t create_request(NodeId node, uint32_t type);
    bool create_response(NodeId node, int64_t code);
    bool create_oneshot(NodeId node, uint32_t type);
    Message* outgoing(NodeId node);
    Message* incoming(NodeId node);
    // True when node has no received message or a read ran past its end.
    bool incoming_read_failed(NodeId node);
    bool send(NodeId node);

    void schedule_disconnect(Connection& connection, bool notify, NetworkResult reason);
    void set_latency_simulation(int32_t min_ms, int32_t max_ms);

    NodeId own_node_id() const { return m_own_node; }
    uint16_t listen_port() const { return m_listen_socket.local_port(); }
    uint32_t latency_now() const { return m_latency_now; }
    size_t connection_count() const { return m_connections.size(); }
    Connection* find(NodeId node);
    // The peer's game protocol, -1 when unknown.
    int32_t game_protocol_of(NodeId node);
    // 1 outgoing, 2 incoming, 3 lobby, 0 when there is no such connection.
    int32_t direction_of(NodeId node);
    // Bytes handed to and read from every socket and lobby packet since the
    // manager was made, whatever became of them afterwards.
    uint64_t bytes_sent() const { return m_bytes_sent; }
    uint64_t bytes_received() const { return m_bytes_received; }

private:
    friend class LobbyTransport;
    enum class Access { Request, Response, Oneshot };

    uint32_t now() const { return m_clock(); }
    Connection* connection_for_writing(NodeId node, const char* what);
    Connection& add_connection(Connection::Direction direction, TcpSocket socket);

    void poll_sockets();
    void accept_connections();
    void finish_connect(Connection& connection);
    void handle_read(Connection& connection);
    void handle_write(Connection& connection);
    bool feed_received(Connection& connection, std::span<const uint8_t> bytes);
    void dispatch(Connection& connection);
    void host_handshake(Connection& connection, Message& request);
    void client_handshake(Connection& connection, Message& response);
    bool node_id_taken(const Connection& asking, NodeId node) const;
    void reply_to_helo(Connection& connection, uint16_t code);

    bool send_on(Connection& connection);
    // Hands queued messages to the socket until it blocks; with
    // honour_latency a message leaves only once the simulated latency passed.
    void flush_queue(Connection& connection, bool honour_latency);
    void drop_stale_handshakes();
    void remove_scheduled();
    // Takes the connection out of the list now; while an update runs it is
    // closed when the update ends, so callers up the stack keep a valid one.
    void remove_connection(Connection& connection);
    void remove_all_connections();
    void retire(std::unique_ptr<Connection> connection);
    void disconnect_now(std::unique_ptr<Connection> connection);
    // Hands bytes to the connection's socket, or to its member as one
    // peer-to-peer packet in lobby mode.
    TcpSocket::Io transmit(Connection& connection, std::span<const uint8_t> bytes, size_t& sent);

    Mode m_mode = None;
    NodeId m_own_node = kNoNode;
    std::unique_ptr<ConnectionEventHandler> m_handler;
    TcpSocket m_listen_socket;
    std::vector<std::unique_ptr<Connection>> m_connections;
    // Connections shut down while an update walks the list; closed at its end.
    std::vector<std::unique_ptr<Connection>> m_retired;
    bool m_updating = false;
    uint32_t m_latency_now = 0;
    int32_t m_latency_min = 0;
    int32_t m_latency_max = 0;
    Clock m_clock;
    RandomRange m_random;
    StatChunkReceiver m_stat_receiver;
    uint64_t m_bytes_sent = 0;
    uint64_t m_bytes_received = 0;
    LobbyTransport m_lobby{*this};
};

inline ConnectionManager* g_connection_manager = nullptr;

}  // namespace me
