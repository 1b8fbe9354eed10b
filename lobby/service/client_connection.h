#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

// One client's socket: the bytes read and not yet cut into frames, the
// frames queued and not yet written, and who the client said it is.
class ClientConnection {
public:
    enum class ReadResult { Open, Closed };

    ClientConnection(int fd, std::string peer) : m_fd(fd), m_peer(std::move(peer)) {}
    ~ClientConnection();
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;

    int fd() const { return m_fd; }
    // "user 42 (127.0.0.1:5000)" or the address alone before Hello.
    std::string describe() const;

    UserId user() const { return m_user; }
    bool welcomed() const { return m_user != 0; }
    void welcome(UserId user) { m_user = user; }

    // Reads what the socket holds, at most kMaxReadBytesPerTurn.
    ReadResult read_available();
    FrameReader& frames() { return m_frames; }

    // Appends a frame; false when that would pass the queue limit (the
    // frame is then dropped and the connection must end).
    bool queue(const Message& message);
    bool has_output() const { return m_out_sent < m_out.size(); }
    size_t queued_bytes() const { return m_out.size() - m_out_sent; }
    // Writes as much queued output as the socket takes; false on a socket error.
    bool flush();

    // A connection marked for closing receives nothing more and is closed
    // at the end of the loop turn.
    void mark_closing(std::string why);
    bool closing() const { return !m_closing_reason.empty(); }
    const std::string& closing_reason() const { return m_closing_reason; }

    bool watching_output = false;  // whether the poller reports writability

private:
    int m_fd;
    std::string m_peer;
    UserId m_user = 0;
    FrameReader m_frames;
    std::vector<uint8_t> m_out;
    size_t m_out_sent = 0;
    std::string m_closing_reason;
};

}  // namespace me::lobby
