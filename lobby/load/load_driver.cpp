#include "lobby/load/load_driver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "lobby/protocol/message_codec.h"

namespace me::lobby::load {

LoadDriver::LoadDriver() : m_epoll_fd(epoll_create1(EPOLL_CLOEXEC)) {}

LoadDriver::~LoadDriver() {
    for (const auto& client : m_clients) close(client->fd);
    close(m_epoll_fd);
}

LoadClient* LoadDriver::client_of(UserId user) {
    const size_t index = user - m_first_user;
    return index < m_clients.size() ? m_clients[index].get() : nullptr;
}

bool LoadDriver::connect_clients(size_t count, const std::vector<uint16_t>& ports, UserId first_user) {
    m_first_user = first_user;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    size_t welcomed = 0;
    const Handler count_welcome = [&welcomed](LoadClient& client, const Message& message) {
        if (std::holds_alternative<Welcome>(message)) {
            client.welcomed = true;
            ++welcomed;
        }
    };
    for (size_t i = 0; i < count; ++i) {
        auto client = std::make_unique<LoadClient>();
        client->user = first_user + i;
        client->fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (client->fd < 0) {
            std::fprintf(stderr, "socket failed after %zu clients: %s\n", i, std::strerror(errno));
            return false;
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(ports[i % ports.size()]);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(client->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            std::fprintf(stderr, "connect failed after %zu clients: %s\n", i, std::strerror(errno));
            close(client->fd);
            return false;
        }
        const int yes = 1;
        setsockopt(client->fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        fcntl(client->fd, F_SETFL, O_NONBLOCK);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = client->fd;
        epoll_ctl(m_epoll_fd, EPOLL_CTL_ADD, client->fd, &event);
        if (static_cast<size_t>(client->fd) >= m_by_fd.size()) m_by_fd.resize(static_cast<size_t>(client->fd) + 1);
        m_by_fd[client->fd] = client.get();
        send(*client, Hello{kProtocolVersion, client->user});
        m_clients.push_back(std::move(client));
        // Keep the accept backlog drained while connecting thousands.
        if (i % 256 == 255) pump(0, count_welcome);
    }
    while (welcomed < count && std::chrono::steady_clock::now() < deadline) pump(100, count_welcome);
    if (welcomed < count) std::fprintf(stderr, "only %zu of %zu clients were welcomed\n", welcomed, count);
    return welcomed == count;
}

void LoadDriver::send(LoadClient& client, const Message& message) {
    encode_frame(message, client.out);
    flush(client);
}

void LoadDriver::flush(LoadClient& client) {
    while (client.out_sent < client.out.size()) {
        const ssize_t n = ::send(client.fd, client.out.data() + client.out_sent, client.out.size() - client.out_sent,
                                 MSG_NOSIGNAL);
        if (n <= 0) break;
        client.out_sent += static_cast<size_t>(n);
    }
    if (client.out_sent == client.out.size()) {
        client.out.clear();
        client.out_sent = 0;
    } else {
        m_unflushed.push_back(&client);
    }
}

void LoadDriver::pump(int timeout_ms, const Handler& handler) {
    epoll_event events[512];
    const int count = epoll_wait(m_epoll_fd, events, 512, timeout_ms);
    uint8_t buffer[64 * 1024];
    for (int i = 0; i < count; ++i) {
        LoadClient& client = *m_by_fd[events[i].data.fd];
        const ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                std::fprintf(stderr, "the service closed the connection of user %llu\n",
                             static_cast<unsigned long long>(client.user));
                epoll_ctl(m_epoll_fd, EPOLL_CTL_DEL, client.fd, nullptr);
            }
            continue;
        }
        client.frames.append(std::span<const uint8_t>(buffer, static_cast<size_t>(got)));
        for (auto body = client.frames.next_frame(); !body.empty(); body = client.frames.next_frame()) {
            const DecodedMessage decoded = decode_body(body);
            if (decoded.message) handler(client, *decoded.message);
        }
    }
    std::vector<LoadClient*> unflushed;
    unflushed.swap(m_unflushed);
    for (LoadClient* client : unflushed) flush(*client);
}

}  // namespace me::lobby::load
