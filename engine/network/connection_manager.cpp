#include "network/connection_manager.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "core/clock.h"
#include "core/log.h"

namespace me {

const uint32_t ConnectionManager::kHeloType = Message::type_from_text("HELO");
const uint32_t ConnectionManager::kStatType = Message::type_from_text("STAT");

namespace {

constexpr size_t kReceiveChunk = 4096;

const char* access_name(MessageKind kind) {
    switch (kind) {
    case MessageKind::Request:
        return "request";
    case MessageKind::Response:
        return "response";
    case MessageKind::Oneshot:
        break;
    }
    return "oneshot";
}

bool valid_port(int32_t port) { return port >= 0 && port <= 0xFFFF; }

}  // namespace

ConnectionManager::ConnectionManager() : m_clock(milliseconds_now) {}

ConnectionManager::~ConnectionManager() = default;

void ConnectionManager::teardown() {
    if (m_mode == Socket)
        shutdown();
    m_lobby.teardown();
}

Connection* ConnectionManager::find(NodeId node) {
    if (node == kNoNode)
        return nullptr;
    for (const std::unique_ptr<Connection>& connection : m_connections) {
        if (connection->node_id == node)
            return connection.get();
    }
    return nullptr;
}

int32_t ConnectionManager::game_protocol_of(NodeId node) {
    const Connection* connection = find(node);
    return connection != nullptr ? connection->game_protocol : -1;
}

int32_t ConnectionManager::direction_of(NodeId node) {
    const Connection* connection = find(node);
    return connection != nullptr ? connection->direction : 0;
}

Connection& ConnectionManager::add_connection(Connection::Direction direction, TcpSocket socket) {
    m_connections.push_back(std::make_unique<Connection>(direction, std::move(socket), now()));
    return *m_connections.back();
}

bool ConnectionManager::start_host(NodeId own_node, int32_t port, std::string_view bind_host) {
    if (m_mode != None) {
        log_error("Tried to start connection manager in SOCKET host mode, but the manager is already initialized");
        return false;
    }
    if (own_node == kNoNode || !valid_port(port)) {
        log_error(format_message("Can't listen as node %1 on port %2", own_node, port));
        return false;
    }
    sockaddr_in address = TcpSocket::any_address(static_cast<uint16_t>(port));
    if (!bind_host.empty() && !TcpSocket::resolve(bind_host, static_cast<uint16_t>(port), address))
        return false;
    TcpSocket socket = TcpSocket::open();
    if (!socket.valid() || !socket.listen_on(address))
        return false;
    m_listen_socket = std::move(socket);
    log_info(format_message("Listening on %1 as node %2", TcpSocket::address_text(address), own_node));
    m_mode = Socket;
    m_own_node = own_node;
    return true;
}

bool ConnectionManager::start_client(NodeId own_node, std::string_view host, int32_t port, int32_t game_protocol) {
    if (m_mode != None) {
        log_error("Tried to start connection manager in SOCKET client mode, but the manager is already initialized");
        return false;
    }
    if (own_node == kNoNode || !valid_port(port)) {
        log_error(format_message("Can't connect as node %1 to port %2", own_node, port));
        return false;
    }
    sockaddr_in address{};
    if (!TcpSocket::resolve(host, static_cast<uint16_t>(port), address))
        return false;
    TcpSocket socket = TcpSocket::open();
    if (!socket.valid())
        return false;
    log_info(format_message("%1 -> %2", host, TcpSocket::address_text(address)));
    if (!socket.start_connect(address)) {
        log_warning(format_message("Connect to host at %1:%2 failed", host, port));
        return false;
    }
    m_mode = Socket;
    m_own_node = own_node;
    Connection& connection = add_connection(Connection::Outgoing, std::move(socket));
    connection.game_protocol = game_protocol;
    Message& helo = connection.begin_outgoing();
    helo.start_request(kHeloType, connection.take_request_id(), now());
    helo.write_u32(static_cast<uint32_t>(own_node));
    helo.write_u16(kInternalProtocol);
    helo.write_u16(static_cast<uint16_t>(game_protocol));
    if (!send_on(connection)) {
        shutdown();
        return false;
    }
    return true;
}

void ConnectionManager::shutdown() {
    if (m_mode != Socket) {
        log_warning(format_message(
            "Tried to shutdown ConnectionManager by disconnection() while in mode %1. Expected MODE_SOCKET",
            static_cast<int32_t>(m_mode)));
        return;
    }
    m_listen_socket.close();
    m_own_node = kNoNode;
    m_mode = None;
    remove_all_connections();
}

void ConnectionManager::set_latency_simulation(int32_t min_ms, int32_t max_ms) {
    m_latency_max = std::max(max_ms, 0);
    m_latency_min = std::clamp(min_ms, 0, m_latency_max);
}

void ConnectionManager::update() {
    m_updating = true;
    m_latency_now = 0;
    if (m_latency_max != 0)
        m_latency_now = static_cast<uint32_t>(m_random ? m_random(m_latency_min, m_latency_max) : m_latency_max);
    if (m_mode == Socket)
        poll_sockets();
    m_lobby.update();
    if (m_mode != None) {
        drop_stale_handshakes();
        remove_scheduled();
    }
    m_updating = false;
    std::vector<std::unique_ptr<Connection>> retired = std::move(m_retired);
    m_retired.clear();
    for (std::unique_ptr<Connection>& connection : retired)
        disconnect_now(std::move(connection));
}

void ConnectionManager::poll_sockets() {
    std::vector<pollfd> polled;
    std::vector<Connection*> owners;
    if (m_listen_socket.valid()) {
        polled.push_back({m_listen_socket.fd(), POLLIN, 0});
        owners.push_back(nullptr);
    }
    for (const std::unique_ptr<Connection>& connection : m_connections) {
        if (connection->scheduled || !connection->socket.valid())
            continue;
        const bool wants_write = !connection->established || !connection->send_queue.empty();
        polled.push_back({connection->socket.fd(), static_cast<short>(POLLIN | (wants_write ? POLLOUT : 0)), 0});
        owners.push_back(connection.get());
    }
    if (polled.empty() || poll(polled.data(), polled.size(), 0) <= 0)
        return;
    // Connections accepted or shut down meanwhile stay alive until the update
    // ends, so every owner pointer stays valid through this loop.
    for (size_t i = 0; i < polled.size(); ++i) {
        const short events = polled[i].revents;
        Connection* connection = owners[i];
        if (events == 0)
            continue;
        if (connection == nullptr) {
            if (m_listen_socket.valid())
                accept_connections();
            continue;
        }
        if (!connection->established && !connection->scheduled && (events & (POLLOUT | POLLERR | POLLHUP)) != 0)
            finish_connect(*connection);
        if (!connection->scheduled && (events & (POLLIN | POLLERR | POLLHUP)) != 0)
            handle_read(*connection);
        if (!connection->scheduled && connection->established && (events & POLLOUT) != 0)
            handle_write(*connection);
    }
}

void ConnectionManager::accept_connections() {
    for (;;) {
        bool would_block = false;
        TcpSocket socket = m_listen_socket.accept_one(would_block);
        if (!socket.valid())
            return;
        if (m_connections.size() >= kMaxConnections) {
            log_warning(format_message("Refusing the connection from %1: %2 connections are open already",
                                       socket.peer_text(), m_connections.size()));
            continue;
        }
        log_info(format_message("New node connected from %1, waiting for HELO request", socket.peer_text()));
        add_connection(Connection::Incoming, std::move(socket));
    }
}

void ConnectionManager::finish_connect(Connection& connection) {
    if (!connection.socket.connect_succeeded()) {
        log_warning(format_message("Error on socket or socket closed, node id = %1", connection.node_id));
        schedule_disconnect(connection, true, NetworkResult::Disconnect);
        return;
    }
    connection.established = true;
}

void ConnectionManager::handle_read(Connection& connection) {
    std::array<uint8_t, kReceiveChunk> buffer{};
    size_t taken = 0;
    while (!connection.scheduled && taken < kMaxReceivePerUpdate) {
        size_t received = 0;
        const TcpSocket::Io result = connection.socket.receive(buffer, received);
        if (result == TcpSocket::Io::WouldBlock)
            return;
        if (result != TcpSocket::Io::Done) {
            log_warning(format_message("Error on socket or socket closed, node id = %1", connection.node_id));
            schedule_disconnect(connection, true, NetworkResult::Disconnect);
            return;
        }
        taken += received;
        if (!feed_received(connection, {buffer.data(), received}))
            return;
    }
}

bool ConnectionManager::feed_received(Connection& connection, std::span<const uint8_t> bytes) {
    m_bytes_received += bytes.size();
    while (!bytes.empty() && !connection.scheduled) {
        bytes = bytes.subspan(connection.incoming.feed(bytes));
        if (connection.incoming.state() == MessageState::Invalid) {
            log_warning(format_message("Invalid frame (%1) on %2 connection to node %3, dropping the sender",
                                       connection.incoming.invalid_reason(),
                                       Connection::direction_name(connection.direction), connection.node_id));
            schedule_disconnect(connection, true, NetworkResult::Protocol);
            return false;
        }
        if (connection.incoming.is_received()) {
            dispatch(connection);
            connection.incoming.reset_for_receiving(now());
        }
    }
    return !connection.scheduled;
}

void ConnectionManager::handle_write(Connection& connection) { flush_queue(connection, true); }

void ConnectionManager::dispatch(Connection& connection) {
    Message& message = connection.incoming;
    if (connection.node_id == kNoNode) {
        const bool incoming = connection.direction == Connection::Incoming;
        const MessageKind expected = incoming ? MessageKind::Request : MessageKind::Response;
        if (message.type() != kHeloType || message.kind() != expected) {
            log_warning(format_message(
                "First message received on a new %1 connection must be a %2 of type HELO, got kind = %3, type = %4 "
                "instead",
                incoming ? "incoming" : "outgoing", access_name(expected), static_cast<int32_t>(message.kind()),
                Message::type_text(message.type())));
            schedule_disconnect(connection, true, NetworkResult::System);
            return;
        }
        if (incoming)
            host_handshake(connection, message);
        else
            client_handshake(connection, message);
        return;
    }
    if (m_mode == Lobby && message.type() == kHeloType && message.kind() != MessageKind::Oneshot) {
        m_lobby.handle_helo(connection, message);
        return;
    }
    if (message.kind() == MessageKind::Oneshot && message.type() == kStatType) {
        m_stat_receiver.receive(connection.node_id, message);
        return;
    }
    if (m_handler)
        m_handler->on_message(connection.node_id);
}

bool ConnectionManager::node_id_taken(const Connection& asking, NodeId node) const {
    return std::any_of(m_connections.begin(), m_connections.end(), [&](const std::unique_ptr<Connection>& other) {
        return other.get() != &asking && other->node_id == node;
    });
}

void ConnectionManager::reply_to_helo(Connection& connection, uint16_t code) {
    Message& reply = connection.begin_outgoing();
    reply.start_response(kHeloType, connection.incoming.id(), code, now());
    if (code == 0)
        reply.write_u32(static_cast<uint32_t>(m_own_node));
    send_on(connection);
}

void ConnectionManager::host_handshake(Connection& connection, Message& request) {
    uint32_t node_bits = 0;
    uint16_t internal_protocol = 0;
    uint16_t game_protocol = 0;
    if (!request.read_u32(node_bits) || !request.read_u16(internal_protocol) || !request.read_u16(game_protocol)) {
        schedule_disconnect(connection, true, NetworkResult::System);
        return;
    }
    const NodeId node = static_cast<NodeId>(node_bits);
    if (internal_protocol != kInternalProtocol) {
        log_info(format_message("Internal protocol version mismatch on connection from node %1, expected %2, got %3",
                                node, kInternalProtocol, internal_protocol));
        reply_to_helo(connection, static_cast<uint16_t>(NetworkResult::NotExists));
        schedule_disconnect(connection, true, NetworkResult::Protocol);
        return;
    }
    log_info(format_message("Got initial HELO request from node %1, internal protocol %2, game protocol %3", node,
                            internal_protocol, game_protocol));
    const char* clash = nullptr;
    if (node == kNoNode)
        clash = "Connected node reports the reserved node id (%1), disconnecting it";
    else if (node == m_own_node)
        clash = "Connected node reports it has the same node id as this node (%1), disconnecting it";
    else if (node_id_taken(connection, node))
        clash = "Connected node reports it has the same node id as another connected node (%1), disconnecting it";
    if (clash != nullptr) {
        log_info(format_message(clash, node));
        reply_to_helo(connection, static_cast<uint16_t>(NetworkResult::Full));
        schedule_disconnect(connection, true, NetworkResult::System);
        return;
    }
    connection.node_id = node;
    connection.game_protocol = game_protocol;
    const NetworkResult answer = m_handler ? m_handler->on_connect(node) : NetworkResult::Ok;
    // The script may have closed everything from inside its callback.
    if (connection.scheduled)
        return;
    if (answer != NetworkResult::Ok) {
        reply_to_helo(connection, static_cast<uint16_t>(answer));
        schedule_disconnect(connection, false, NetworkResult::Disconnect);
        return;
    }
    reply_to_helo(connection, 0);
}

void ConnectionManager::client_handshake(Connection& connection, Message& response) {
    if (response.code() != 0) {
        log_info(format_message("Host node returned error response %1 to the initial HELO request, disconnecting",
                                response.code()));
        const bool protocol = response.code() == static_cast<uint16_t>(NetworkResult::NotExists);
        schedule_disconnect(connection, true, protocol ? NetworkResult::Protocol : NetworkResult::Disconnect);
        return;
    }
    uint32_t node_bits = 0;
    if (!response.read_u32(node_bits)) {
        schedule_disconnect(connection, true, NetworkResult::System);
        return;
    }
    const NodeId node = static_cast<NodeId>(node_bits);
    log_info(format_message("Got initial HELO response from node %1", node));
    const char* clash = nullptr;
    if (node == kNoNode)
        clash = "Host node reports the reserved node id (%1), disconnecting";
    else if (node == m_own_node)
        clash = "Host node reports it has the same node id as this node (%1), disconnecting";
    else if (node_id_taken(connection, node))
        clash = "Host node reports it has the same node id as another connected node (%1), disconnecting";
    if (clash != nullptr) {
        log_info(format_message(clash, node));
        schedule_disconnect(connection, true, NetworkResult::System);
        return;
    }
    connection.node_id = node;
    if (m_handler)
        m_handler->on_connect(node);
}

Connection* ConnectionManager::connection_for_writing(NodeId node, const char* what) {
    Connection* connection = find(node);
    if (connection == nullptr) {
        log_warning(format_message("Script tried to create %1 message on connection to node %2 but there is no such "
                                   "connection",
                                   what, node));
        return nullptr;
    }
    if (connection->outgoing() != nullptr) {
        log_warning(format_message("Script tried to create %1 message on connection to node %2 but there is already "
                                   "another message being written to that node",
                                   what, node));
        return nullptr;
    }
    return connection;
}

uint16_t ConnectionManager::create_request(NodeId node, uint32_t type) {
    Connection* connection = connection_for_writing(node, "request");
    if (connection == nullptr)
        return 0;
    const uint16_t id = connection->take_request_id();
    connection->begin_outgoing().start_request(type, id, now());
    return id;
}

bool ConnectionManager::create_response(NodeId node, int64_t code) {
    if (code < 0 || code > kMaxResponseCode) {
        log_warning(format_message(
            "Script tried to create response message on connection to node %1 with code %2, code out of range", node,
            code));
        return false;
    }
    Connection* connection = connection_for_writing(node, "response");
    if (connection == nullptr)
        return false;
    const Message& request = connection->incoming;
    const bool readable = request.is_received() || request.read_failed();
    if (!readable || request.kind() != MessageKind::Request) {
        log_warning(format_message(
            "Script tried to create response message on connection to node %1 but the incoming message is not a "
            "request",
            node));
        return false;
    }
    connection->begin_outgoing().start_response(request.type(), request.id(), static_cast<uint16_t>(code), now());
    return true;
}

bool ConnectionManager::create_oneshot(NodeId node, uint32_t type) {
    Connection* connection = connection_for_writing(node, "oneshot");
    if (connection == nullptr)
        return false;
    connection->begin_outgoing().start_oneshot(type, now());
    return true;
}

Message* ConnectionManager::outgoing(NodeId node) {
    Connection* connection = find(node);
    if (connection == nullptr) {
        log_warning(format_message(
            "Script tried to access outgoing message on connection to node %1 but there is no such connection", node));
        return nullptr;
    }
    if (connection->outgoing() == nullptr) {
        log_warning(format_message("Script tried to access outgoing message on connection to node %1 but there is no "
                                   "message created on the connection",
                                   node));
        return nullptr;
    }
    return connection->outgoing();
}

Message* ConnectionManager::incoming(NodeId node) {
    Connection* connection = find(node);
    if (connection == nullptr) {
        log_warning(format_message(
            "Script tried to access incoming message on connection to node %1 but there is no such connection", node));
        return nullptr;
    }
    if (!connection->incoming.is_received()) {
        log_warning(format_message("Script tried to access incoming message on connection to node %1 but there is no "
                                   "message received on the connection",
                                   node));
        return nullptr;
    }
    return &connection->incoming;
}

bool ConnectionManager::incoming_read_failed(NodeId node) {
    Connection* connection = find(node);
    return connection == nullptr || !connection->incoming.is_received();
}

bool ConnectionManager::send(NodeId node) {
    Connection* connection = find(node);
    if (connection == nullptr || connection->outgoing() == nullptr) {
        outgoing(node);
        return false;
    }
    return send_on(*connection);
}

bool ConnectionManager::send_on(Connection& connection) {
    if (m_mode == None) {
        log_error("Tried to send a message while the connection manager is not running");
        return false;
    }
    std::unique_ptr<Message> message = connection.take_outgoing();
    if (!message->finish()) {
        log_error(format_message("Failed to finish a message of kind %1 and type %2 on connection to node id %3",
                                 static_cast<int32_t>(message->kind()), Message::type_text(message->type()),
                                 connection.node_id));
        schedule_disconnect(connection, true, NetworkResult::System);
        return false;
    }
    if (!connection.send_queue.empty() || !connection.established || (m_latency_now != 0 && m_mode == Socket)) {
        connection.send_queue.push_back(std::move(message));
        return true;
    }
    // Packets cannot be held back for a simulated latency, so in lobby mode
    // a latency counts as a blocked send.
    size_t sent = 0;
    const TcpSocket::Io result = m_latency_now != 0 ? TcpSocket::Io::WouldBlock
                                                    : transmit(connection, message->unsent(), sent);
    if (result == TcpSocket::Io::Failed || result == TcpSocket::Io::Closed) {
        log_error(format_message("Failed to send a message of kind %1 and type %2 on connection to node id %3",
                                 static_cast<int32_t>(message->kind()), Message::type_text(message->type()),
                                 connection.node_id));
        schedule_disconnect(connection, true, NetworkResult::System);
        return false;
    }
    message->mark_sent(sent);
    if (message->state() == MessageState::Sent)
        return true;
    if (m_mode == Lobby) {
        log_error(format_message("Sending message of kind %1 and type %2 on connection to node id %3 has blocked. This "
                                 "is not supported in LOBBY mode",
                                 static_cast<int32_t>(message->kind()), Message::type_text(message->type()),
                                 connection.node_id));
        schedule_disconnect(connection, true, NetworkResult::System);
        return false;
    }
    log_warning(format_message(
        "Socket blocked while writing a message of kind %1 and type %2 on connection to node id %3, size %4",
        static_cast<int32_t>(message->kind()), Message::type_text(message->type()), connection.node_id,
        message->length()));
    connection.send_queue.push_back(std::move(message));
    return true;
}

void ConnectionManager::flush_queue(Connection& connection, bool honour_latency) {
    while (!connection.send_queue.empty()) {
        Message& message = *connection.send_queue.front();
        if (honour_latency && m_latency_now != 0 && now() - message.created() < m_latency_now)
            return;
        size_t sent = 0;
        const TcpSocket::Io result = transmit(connection, message.unsent(), sent);
        if (result == TcpSocket::Io::Failed || result == TcpSocket::Io::Closed) {
            message.mark_send_failed();
            log_error(format_message("Failed to send a message of kind %1 and type %2 on connection to node id %3",
                                     static_cast<int32_t>(message.kind()), Message::type_text(message.type()),
                                     connection.node_id));
            schedule_disconnect(connection, true, NetworkResult::System);
            return;
        }
        message.mark_sent(sent);
        if (message.state() != MessageState::Sent)
            return;
        connection.send_queue.pop_front();
    }
}

void ConnectionManager::schedule_disconnect(Connection& connection, bool notify, NetworkResult reason) {
    if (connection.scheduled)
        return;
    log_info(format_message("Scheduling connection to node %1 for disconnect", connection.node_id));
    connection.scheduled = true;
    connection.disconnect_reason = reason;
    if (!notify || !m_handler || m_mode != Socket)
        return;
    if (connection.node_id != kNoNode)
        m_handler->on_disconnect(connection.node_id, reason);
    else if (connection.direction == Connection::Outgoing)
        m_handler->on_connect_failure(reason);
}

void ConnectionManager::drop_stale_handshakes() {
    // By index: a callback may start a new connection and grow the list.
    for (size_t i = 0; i < m_connections.size(); ++i) {
        Connection& connection = *m_connections[i];
        if (connection.node_id != kNoNode || connection.scheduled || now() - connection.created <= kHandshakeLimitMs)
            continue;
        log_warning(format_message("%1 connection not established within %2 ms, dropping",
                                   Connection::direction_name(connection.direction), kHandshakeLimitMs));
        schedule_disconnect(connection, true, NetworkResult::Disconnect);
    }
}

TcpSocket::Io ConnectionManager::transmit(Connection& connection, std::span<const uint8_t> bytes, size_t& sent) {
    if (m_mode != Lobby) {
        const TcpSocket::Io result = connection.socket.send(bytes, sent);
        m_bytes_sent += sent;
        return result;
    }
    if (!m_lobby.send_packet(connection, bytes))
        return TcpSocket::Io::Failed;
    sent = bytes.size();
    return TcpSocket::Io::Done;
}

void ConnectionManager::remove_scheduled() {
    if (m_mode == Lobby) {
        // Each drop may kick, leave the lobby or run script callbacks, so the
        // list is searched afresh every time.
        for (;;) {
            auto scheduled = std::find_if(m_connections.begin(), m_connections.end(),
                                          [](const std::unique_ptr<Connection>& c) { return c->scheduled; });
            if (scheduled == m_connections.end())
                return;
            m_lobby.drop_scheduled(**scheduled);
        }
    }
    std::vector<std::unique_ptr<Connection>> leaving;
    auto keep = std::stable_partition(m_connections.begin(), m_connections.end(),
                                      [](const std::unique_ptr<Connection>& c) { return !c->scheduled; });
    std::move(keep, m_connections.end(), std::back_inserter(leaving));
    m_connections.erase(keep, m_connections.end());
    for (std::unique_ptr<Connection>& connection : leaving)
        disconnect_now(std::move(connection));
}

void ConnectionManager::remove_connection(Connection& connection) {
    auto found = std::find_if(m_connections.begin(), m_connections.end(),
                              [&](const std::unique_ptr<Connection>& c) { return c.get() == &connection; });
    if (found == m_connections.end())
        return;
    std::unique_ptr<Connection> removed = std::move(*found);
    m_connections.erase(found);
    retire(std::move(removed));
}

void ConnectionManager::remove_all_connections() {
    std::vector<std::unique_ptr<Connection>> closing = std::move(m_connections);
    m_connections.clear();
    for (std::unique_ptr<Connection>& connection : closing)
        retire(std::move(connection));
}

void ConnectionManager::retire(std::unique_ptr<Connection> connection) {
    connection->scheduled = true;
    if (m_updating)
        m_retired.push_back(std::move(connection));
    else
        disconnect_now(std::move(connection));
}

void ConnectionManager::disconnect_now(std::unique_ptr<Connection> connection) {
    log_info(format_message("Disconnecting connection to node %1", connection->node_id));
    // A refusal or a last word still queued goes out before the close, so the
    // peer learns why instead of seeing a bare close.
    if (connection->established && connection->socket.valid())
        flush_queue(*connection, false);
    connection->socket.close_gracefully();
}

}  // namespace me
