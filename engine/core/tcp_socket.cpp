#include "core/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/log.h"

namespace me {

namespace {

constexpr int kListenBacklog = 16;

std::string error_text(int error) { return std::strerror(error); }

bool would_block(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool TcpSocket::resolve(std::string_view host, uint16_t port, sockaddr_in& address) {
    const std::string name(host);
    address = any_address(port);
    if (inet_pton(AF_INET, name.c_str(), &address.sin_addr) == 1)
        return true;
    const bool looks_numeric = !name.empty() && name.find_first_not_of("0123456789.") == std::string::npos;
    if (looks_numeric) {
        log_warning(format_message("%1 is not a valid IPv4 address", name));
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        log_warning(format_message("Unable to resolve host name %1", name));
        return false;
    }
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

std::string TcpSocket::address_text(const sockaddr_in& address) {
    std::array<char, INET_ADDRSTRLEN> text{};
    if (inet_ntop(AF_INET, &address.sin_addr, text.data(), text.size()) == nullptr)
        return "<unknown address>";
    return std::string(text.data()) + ":" + std::to_string(ntohs(address.sin_port));
}

sockaddr_in TcpSocket::any_address(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    return address;
}

TcpSocket TcpSocket::open() {
    TcpSocket socket(::socket(AF_INET, SOCK_STREAM, 0));
    if (!socket.valid()) {
        log_error(format_message("Unable to create socket: %1", error_text(errno)));
        return socket;
    }
    if (!socket.configure())
        socket.close();
    return socket;
}

bool TcpSocket::configure() {
    const int flags = fcntl(m_fd, F_GETFL, 0);
    if (flags < 0 || fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        log_error(format_message("Can't %1 non-blocking flag on socket: %2.", "set", error_text(errno)));
        return false;
    }
    const int on = 1;
    if (setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) < 0) {
        log_error(format_message("Can't %1 nodelay flag on socket: %2.", "set", error_text(errno)));
        return false;
    }
    return true;
}

bool TcpSocket::listen_on(const sockaddr_in& address) {
    const int on = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        log_error(format_message("Unable to bind listen socket %1: %2", address_text(address), error_text(errno)));
        return false;
    }
    if (listen(m_fd, kListenBacklog) < 0) {
        log_error(format_message("Unable to listen on listen socket %1: %2", address_text(address), error_text(errno)));
        return false;
    }
    return true;
}

TcpSocket TcpSocket::accept_one(bool& would_block_now) {
    would_block_now = false;
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    TcpSocket accepted(::accept(m_fd, reinterpret_cast<sockaddr*>(&peer), &size));
    if (!accepted.valid()) {
        const int error = errno;
        would_block_now = would_block(error) || error == EINTR || error == ECONNABORTED;
        if (!would_block_now)
            log_error(format_message("Error while accepting on listen socket %1: %2", peer_text(), error_text(error)));
        return accepted;
    }
    if (!accepted.configure())
        accepted.close();
    return accepted;
}

bool TcpSocket::start_connect(const sockaddr_in& address) {
    if (connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EINPROGRESS)
        return true;
    log_error(format_message("Unable to connect socket %1: %2", address_text(address), error_text(errno)));
    return false;
}

bool TcpSocket::connect_succeeded() {
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size) < 0)
        error = errno;
    if (error == 0)
        return true;
    log_warning(format_message("Unable to connect socket %1: %2", peer_text(), error_text(error)));
    return false;
}

TcpSocket::Io TcpSocket::receive(std::span<uint8_t> buffer, size_t& received) {
    received = 0;
    const ssize_t result = recv(m_fd, buffer.data(), buffer.size(), 0);
    if (result > 0) {
        received = static_cast<size_t>(result);
        return Io::Done;
    }
    if (result == 0)
        return Io::Closed;
    if (would_block(errno) || errno == EINTR)
        return Io::WouldBlock;
    log_warning(format_message("Read operation on socket %1 failed: %2", peer_text(), error_text(errno)));
    return Io::Failed;
}

TcpSocket::Io TcpSocket::send(std::span<const uint8_t> bytes, size_t& sent) {
    sent = 0;
    // No SIGPIPE: a peer that went away is an error result, not a signal.
    const ssize_t result = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (result > 0) {
        sent = static_cast<size_t>(result);
        return Io::Done;
    }
    if (result == 0) {
        log_error(format_message("Write operation on socket %1 succeeded, but zero bytes were written.", peer_text()));
        return Io::Failed;
    }
    if (would_block(errno) || errno == EINTR)
        return Io::WouldBlock;
    log_error(format_message("Write operation on socket %1 failed: %2", peer_text(), error_text(errno)));
    return Io::Failed;
}

void TcpSocket::close_gracefully() {
    if (!valid())
        return;
    shutdown(m_fd, SHUT_WR);
    std::array<uint8_t, 4096> discard{};
    // Bounded: a peer that keeps sending cannot hold the frame here.
    for (int pass = 0; pass < 16 && recv(m_fd, discard.data(), discard.size(), 0) > 0; ++pass) {
    }
    close();
}

void TcpSocket::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

uint16_t TcpSocket::local_port() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) < 0)
        return 0;
    return ntohs(address.sin_port);
}

std::string TcpSocket::peer_text() const {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getpeername(m_fd, reinterpret_cast<sockaddr*>(&address), &size) < 0) {
        if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) < 0)
            return "<unknown address>";
    }
    return address_text(address);
}

}  // namespace me
