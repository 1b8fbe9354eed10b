#pragma once

#include "lobby/protocol/lobby_messages.h"
#include "lobby/service/mailbox.h"

namespace me::lobby {

// What the service knows about lobbies and users, behind the requests of
// welcomed clients. One implementation keeps it in this process's memory,
// another in Redis shared by several processes.
class LobbyBackend {
public:
    virtual ~LobbyBackend() = default;

    // Registers a user that said Hello; false when the id is already
    // connected (here or, with a shared store, anywhere).
    virtual bool user_connected(UserId user) = 0;
    // The user's connection ended, cleanly or not: it leaves every lobby.
    virtual void user_disconnected(UserId user) = 0;
    // One decoded client request from a welcomed user.
    virtual void handle(UserId user, const Message& request) = 0;

    // A descriptor the server watches for the backend, or -1;
    // on_event_fd_readable() is called when it is readable.
    virtual int event_fd() const { return -1; }
    virtual void on_event_fd_readable() {}
    // Called once per loop turn, after the turn's requests and before the
    // turn's output is written.
    virtual void end_turn() {}
    // True once the backend can no longer serve; the service then stops.
    virtual bool failed() const { return false; }
};

}  // namespace me::lobby
