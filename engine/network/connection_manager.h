#pragma once

namespace me {

// Sockets and lobbies. Not built yet: it never connects, so its updates find
// no events and its shutdown has nothing to close.
class ConnectionManager {
public:
    enum Mode { None = 0, Socket = 1, Lobby = 2 };

    void set_mode(Mode mode) { m_mode = mode; }
    Mode mode() const { return m_mode; }
    void start() {}
    void update() {}
    void shutdown() {}

private:
    Mode m_mode = None;
};

inline ConnectionManager* g_connection_manager = nullptr;

}  // namespace me
