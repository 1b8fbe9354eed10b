#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/tcp_socket.h"
#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/lobby_messages.h"

namespace me::platform {

// The one TCP connection to the lobby service: a non-blocking connect,
// frames queued and written as far as the socket takes them, frames read
// and decoded. Nothing waits; pump() does a frame's worth of work. Once the
// link fails it stays failed and says why in the log.
class LobbyServiceLink {
public:
    enum class State { Closed, Connecting, Open, Failed };

    // Beyond this much unsent data the service is not keeping up (or is
    // gone) and the link gives up rather than grow without end.
    static constexpr size_t kMaxQueuedBytes = 8 * 1024 * 1024;
    // Bytes read in one pump, so that a flood cannot hold the frame.
    static constexpr size_t kMaxReceivePerPump = 1024 * 1024;

    // "HOST:PORT"; false (logged) when the text is not one or the connect
    // cannot even start.
    bool open(std::string_view host_and_port);
    // Queues the message's frame and writes what the socket takes now.
    bool send(const lobby::Message& message);
    // Finishes the connect, writes queued bytes, and appends every message
    // that arrived to received.
    void pump(std::vector<lobby::Message>& received);
    void close();

    State state() const { return m_state; }
    bool usable() const { return m_state == State::Connecting || m_state == State::Open; }
    size_t queued_bytes() const { return m_out.size() - m_out_start; }
    const std::string& address() const { return m_address; }

private:
    void fail(std::string_view why);
    bool connect_finished();
    void flush();
    void receive(std::vector<lobby::Message>& received);

    State m_state = State::Closed;
    TcpSocket m_socket;
    std::string m_address;
    std::vector<uint8_t> m_out;
    size_t m_out_start = 0;
    lobby::FrameReader m_reader;
};

}  // namespace me::platform
