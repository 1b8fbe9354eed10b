#include "platform/lobby_service_link.h"

#include <poll.h>

#include <array>
#include <charconv>
#include <span>

#include "core/log.h"
#include "lobby/protocol/message_codec.h"

namespace me::platform {

namespace {

constexpr size_t kReceiveChunk = 16 * 1024;

bool split_host_and_port(std::string_view text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string_view digits = text.substr(colon + 1);
    unsigned value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value == 0 || value > 0xFFFF)
        return false;
    host = std::string(text.substr(0, colon));
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

bool LobbyServiceLink::open(std::string_view host_and_port) {
    close();
    m_address = std::string(host_and_port);
    std::string host;
    uint16_t port = 0;
    sockaddr_in address{};
    if (!split_host_and_port(host_and_port, host, port)) {
        fail("the address is not HOST:PORT");
        return false;
    }
    if (!TcpSocket::resolve(host, port, address)) {
        fail("the host cannot be resolved");
        return false;
    }
    m_socket = TcpSocket::open();
    if (!m_socket.valid() || !m_socket.start_connect(address)) {
        fail("the connect cannot start");
        return false;
    }
    m_state = State::Connecting;
    log_info(format_message("Connecting to the lobby service at %1", m_address));
    return true;
}

void LobbyServiceLink::close() {
    m_socket.close();
    m_out.clear();
    m_out_start = 0;
    m_reader = lobby::FrameReader();
    m_state = State::Closed;
}

void LobbyServiceLink::fail(std::string_view why) {
    if (m_state == State::Failed)
        return;
    log_error(format_message("The lobby service at %1 is not available: %2", m_address, why));
    m_socket.close();
    m_out.clear();
    m_out_start = 0;
    m_state = State::Failed;
}

bool LobbyServiceLink::send(const lobby::Message& message) {
    if (!usable())
        return false;
    if (!lobby::encode_frame(message, m_out)) {
        log_error(format_message("A %1 message for the lobby service breaks a limit of its fields; not sent",
                                 lobby::message_name(std::visit([](const auto& m) { return m.kType; }, message))));
        return false;
    }
    if (queued_bytes() > kMaxQueuedBytes) {
        fail(format_message("more than %1 bytes wait to be sent", kMaxQueuedBytes));
        return false;
    }
    if (m_state == State::Open)
        flush();
    return usable();
}

void LobbyServiceLink::pump(std::vector<lobby::Message>& received) {
    if (m_state == State::Connecting && !connect_finished())
        return;
    if (m_state != State::Open)
        return;
    flush();
    receive(received);
}

bool LobbyServiceLink::connect_finished() {
    pollfd polled{m_socket.fd(), POLLOUT, 0};
    if (poll(&polled, 1, 0) <= 0)
        return false;
    if (!m_socket.connect_succeeded()) {
        fail("the connection was refused");
        return false;
    }
    m_state = State::Open;
    log_info(format_message("Connected to the lobby service at %1", m_address));
    return true;
}

void LobbyServiceLink::flush() {
    while (m_state == State::Open && m_out_start < m_out.size()) {
        size_t sent = 0;
        const TcpSocket::Io result =
            m_socket.send(std::span<const uint8_t>(m_out).subspan(m_out_start), sent);
        if (result == TcpSocket::Io::WouldBlock)
            return;
        if (result != TcpSocket::Io::Done) {
            fail("writing failed");
            return;
        }
        m_out_start += sent;
    }
    if (m_out_start == m_out.size()) {
        m_out.clear();
        m_out_start = 0;
    }
}

void LobbyServiceLink::receive(std::vector<lobby::Message>& received) {
    std::array<uint8_t, kReceiveChunk> buffer{};
    for (size_t taken = 0; m_state == State::Open && taken < kMaxReceivePerPump;) {
        size_t count = 0;
        const TcpSocket::Io result = m_socket.receive(buffer, count);
        if (result == TcpSocket::Io::WouldBlock)
            return;
        if (result != TcpSocket::Io::Done) {
            fail(result == TcpSocket::Io::Closed ? "the service closed the connection" : "reading failed");
            return;
        }
        taken += count;
        m_reader.append({buffer.data(), count});
        for (std::span<const uint8_t> body = m_reader.next_frame(); !body.empty(); body = m_reader.next_frame()) {
            lobby::DecodedMessage decoded = lobby::decode_body(body);
            if (!decoded.message) {
                fail(format_message("it sent a malformed frame (%1)", decoded.error));
                return;
            }
            received.push_back(std::move(*decoded.message));
        }
        if (m_reader.failed()) {
            fail(format_message("it sent a malformed frame (%1)", m_reader.error()));
            return;
        }
    }
}

}  // namespace me::platform
