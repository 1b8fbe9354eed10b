#include "lobby/service/lobby_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lobby/protocol/message_codec.h"
#include "lobby/service/service_log.h"

namespace me::lobby {
namespace {

constexpr int kMaxEventsPerTurn = 1024;
constexpr int kWaitMilliseconds = 500;

std::string address_text(const sockaddr_in& address) {
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

}  // namespace

LobbyServer::~LobbyServer() {
    m_by_fd.clear();
    if (m_listen_fd >= 0) ::close(m_listen_fd);
    if (m_epoll_fd >= 0) ::close(m_epoll_fd);
}

bool LobbyServer::listen(const std::string& address, uint16_t port) {
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &bound.sin_addr) != 1) {
        log_error("'" + address + "' is not an IPv4 address to listen on");
        return false;
    }
    m_listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int yes = 1;
    setsockopt(m_listen_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    socklen_t size = sizeof bound;
    if (m_listen_fd < 0 || ::bind(m_listen_fd, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(m_listen_fd, SOMAXCONN) != 0 ||
        getsockname(m_listen_fd, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        log_error("cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno));
        return false;
    }
    m_port = ntohs(bound.sin_port);
    m_epoll_fd = epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = m_listen_fd;
    epoll_ctl(m_epoll_fd, EPOLL_CTL_ADD, m_listen_fd, &event);
    log_info("quillmoor-lobby listening on " + address_text(bound));
    return true;
}

void LobbyServer::run(LobbyBackend& backend, const volatile std::sig_atomic_t* stop) {
    m_backend = &backend;
    if (backend.event_fd() >= 0) watch(backend.event_fd(), false, EPOLL_CTL_ADD);
    epoll_event events[kMaxEventsPerTurn];
    while (*stop == 0 && !backend.failed()) {
        const int count = epoll_wait(m_epoll_fd, events, kMaxEventsPerTurn, kWaitMilliseconds);
        if (count < 0 && errno != EINTR) {
            log_error(std::string("epoll_wait failed: ") + std::strerror(errno));
            break;
        }
        for (int i = 0; i < count; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_listen_fd) {
                accept_clients();
            } else if (fd == backend.event_fd()) {
                backend.on_event_fd_readable();
            } else if (m_by_fd[fd]) {
                if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) on_readable(*m_by_fd[fd]);
                if ((events[i].events & EPOLLOUT) && !m_by_fd[fd]->closing()) flush(*m_by_fd[fd]);
            }
        }
        finish_turn();
    }
    // Every user leaves its lobbies, so that a shared store does not keep
    // users of a process that is gone.
    for (const auto& connection : m_by_fd)
        if (connection) close_later(*connection, "the service is stopping");
    finish_turn();
    m_backend = nullptr;
}

void LobbyServer::accept_clients() {
    for (;;) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const int fd = accept4(m_listen_fd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE) {
                log_error("cannot accept more clients: no file descriptors left; waiting for one to close");
                epoll_ctl(m_epoll_fd, EPOLL_CTL_DEL, m_listen_fd, nullptr);
                m_accept_paused = true;
            }
            return;
        }
        const int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        if (static_cast<size_t>(fd) >= m_by_fd.size()) m_by_fd.resize(static_cast<size_t>(fd) + 1);
        m_by_fd[fd] = std::make_unique<ClientConnection>(fd, address_text(peer));
        watch(fd, false, EPOLL_CTL_ADD);
    }
}

void LobbyServer::on_readable(ClientConnection& connection) {
    const ClientConnection::ReadResult result = connection.read_available();
    FrameReader& frames = connection.frames();
    for (auto body = frames.next_frame(); !body.empty() && !connection.closing(); body = frames.next_frame())
        handle_frame(connection, body);
    if (frames.failed() && !connection.closing()) {
        log_error("malformed stream from " + connection.describe() + ": " + frames.error() + "; disconnecting");
        refuse(connection, ErrorCode::Malformed, frames.error());
    }
    if (result == ClientConnection::ReadResult::Closed) close_later(connection, "connection closed");
}

void LobbyServer::handle_frame(ClientConnection& connection, std::span<const uint8_t> body) {
    const DecodedMessage decoded = decode_body(body);
    if (!decoded.message) {
        log_error("malformed frame from " + connection.describe() + ": " + decoded.error + "; disconnecting");
        return refuse(connection, ErrorCode::Malformed, decoded.error);
    }
    const Message& message = *decoded.message;
    if (!is_client_message(message)) {
        log_error(connection.describe() + " sent " + message_name(message_type(message)) +
                  ", a message only the service sends; disconnecting");
        return refuse(connection, ErrorCode::WrongDirection, "clients do not send this message");
    }
    if (const Hello* hello = std::get_if<Hello>(&message)) {
        if (connection.welcomed()) {
            connection.queue(Error{0, ErrorCode::AlreadyWelcomed, "already welcomed"});
            m_dirty.push_back(connection.fd());
            return;
        }
        return handle_hello(connection, *hello);
    }
    if (!connection.welcomed()) {
        log_error(connection.describe() + " sent a request before Hello; disconnecting");
        return refuse(connection, ErrorCode::NotWelcomed, "say Hello first");
    }
    m_backend->handle(connection.user(), message);
}

void LobbyServer::handle_hello(ClientConnection& connection, const Hello& hello) {
    if (hello.protocol_version != kProtocolVersion) {
        const std::string why = "the client speaks lobby protocol " + std::to_string(hello.protocol_version) +
                                ", the service " + std::to_string(kProtocolVersion);
        log_warning(connection.describe() + ": " + why + "; disconnecting");
        return refuse(connection, ErrorCode::ProtocolMismatch, why);
    }
    if (m_by_user.contains(hello.user) || !m_backend->user_connected(hello.user)) {
        log_warning(connection.describe() + " claims user " + std::to_string(hello.user) +
                    ", which is already connected; disconnecting");
        return refuse(connection, ErrorCode::UserInUse, "this user id is already connected");
    }
    connection.welcome(hello.user);
    m_by_user[hello.user] = &connection;
    log_info(connection.describe() + " connected");
    deliver(hello.user, Welcome{kProtocolVersion, hello.user});
}

void LobbyServer::refuse(ClientConnection& connection, ErrorCode code, const std::string& why) {
    connection.queue(Error{0, code, why.substr(0, kMaxErrorTextBytes)});
    close_later(connection, why);
}

void LobbyServer::close_later(ClientConnection& connection, std::string why) {
    if (connection.closing()) return;
    connection.mark_closing(std::move(why));
    m_closing.push_back(connection.fd());
}

bool LobbyServer::deliver(UserId user, const Message& message) {
    auto found = m_by_user.find(user);
    if (found == m_by_user.end()) return false;
    ClientConnection& connection = *found->second;
    const bool had_output = connection.has_output();
    if (!connection.queue(message)) {
        log_warning(connection.describe() + " is not reading: its unsent output passed " +
                    std::to_string(connection.queued_bytes()) + " bytes; disconnecting");
        close_later(connection, "not reading");
    } else if (!had_output) {
        m_dirty.push_back(connection.fd());
    }
    return true;
}

void LobbyServer::finish_turn() {
    // Closing first: a departure queues notices for the members who stay,
    // and those go out with the rest of this turn's output.
    while (!m_closing.empty()) {
        const int fd = m_closing.back();
        m_closing.pop_back();
        close_connection(fd);
    }
    m_backend->end_turn();
    for (int fd : m_dirty)
        if (m_by_fd[fd] && !m_by_fd[fd]->closing()) flush(*m_by_fd[fd]);
    m_dirty.clear();
}

void LobbyServer::close_connection(int fd) {
    std::unique_ptr<ClientConnection> connection = std::move(m_by_fd[fd]);
    if (connection->welcomed()) {
        m_by_user.erase(connection->user());
        m_backend->user_disconnected(connection->user());
    }
    log_info(connection->describe() + " disconnected: " + connection->closing_reason());
    connection->flush();
    epoll_ctl(m_epoll_fd, EPOLL_CTL_DEL, fd, nullptr);
    if (m_accept_paused) {
        watch(m_listen_fd, false, EPOLL_CTL_ADD);
        m_accept_paused = false;
    }
}

void LobbyServer::flush(ClientConnection& connection) {
    if (!connection.flush()) {
        close_later(connection, std::string("write failed: ") + std::strerror(errno));
        return;
    }
    if (connection.has_output() != connection.watching_output) {
        connection.watching_output = connection.has_output();
        watch(connection.fd(), connection.watching_output, EPOLL_CTL_MOD);
    }
}

void LobbyServer::watch(int fd, bool output, int operation) {
    epoll_event event{};
    event.events = EPOLLIN | (output ? EPOLLOUT : 0u);
    event.data.fd = fd;
    epoll_ctl(m_epoll_fd, operation, fd, &event);
}

}  // namespace me::lobby
