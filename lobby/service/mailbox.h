#pragma once

#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

// Where the lobby logic hands messages for connected users: the server owns
// the connections, the backend only names the user.
class Mailbox {
public:
    virtual ~Mailbox() = default;
    // Queues the message for the user when it is connected to this process;
    // false when it is not.
    virtual bool deliver(UserId user, const Message& message) = 0;
};

}  // namespace me::lobby
