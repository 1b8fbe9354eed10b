#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace me {

// One non-blocking IPv4 TCP socket with no-delay on. Owns its descriptor;
// every failure is logged with the system's error text.
class TcpSocket {
public:
    enum class Io { Done, WouldBlock, Closed, Failed };

    TcpSocket() = default;
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;
    TcpSocket(TcpSocket&& other) noexcept;
    TcpSocket& operator=(TcpSocket&& other) noexcept;
    ~TcpSocket() { close(); }

    // A dotted IPv4 address or a host name; false (logged) when neither works.
    static bool resolve(std::string_view host, uint16_t port, sockaddr_in& address);
    static std::string address_text(const sockaddr_in& address);
    static sockaddr_in any_address(uint16_t port);

    // A new socket ready for listening or connecting; invalid on failure.
    static TcpSocket open();

    bool listen_on(const sockaddr_in& address);
    // The next pending connection, or an invalid socket when there is none
    // (would_block set) or accepting failed.
    TcpSocket accept_one(bool& would_block);
    // Starts connecting; a connection still in progress is not a failure.
    bool start_connect(const sockaddr_in& address);
    // After write readiness: false when the connect attempt failed.
    bool connect_succeeded();

    Io receive(std::span<uint8_t> buffer, size_t& received);
    Io send(std::span<const uint8_t> bytes, size_t& sent);
    // Sends our side's end and reads away what the peer already sent, so that
    // closing does not reset the connection and lose data still on its way
    // to the peer.
    void close_gracefully();
    void close();

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    uint16_t local_port() const;
    std::string peer_text() const;

private:
    explicit TcpSocket(int fd) : m_fd(fd) {}
    bool configure();

    int m_fd = -1;
};

}  // namespace me
