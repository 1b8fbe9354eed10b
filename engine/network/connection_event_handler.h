#pragma once

#include "network/network_result.h"
#include "network/node_id.h"

namespace me {

// Receives the connection manager's events during its update (or inside the
// script call that caused them).
class ConnectionEventHandler {
public:
    virtual ~ConnectionEventHandler();

    // A host asks whether to admit a peer: Ok admits, any other code is sent
    // to the peer as the refusal. A client is told that the host accepted it.
    virtual NetworkResult on_connect(NodeId node) = 0;
    // An outgoing connection ended before the host named itself.
    virtual void on_connect_failure(NetworkResult reason) = 0;
    virtual void on_disconnect(NodeId node, NetworkResult reason) = 0;
    // A message from node has been received and may be read now.
    virtual void on_message(NodeId node) = 0;
};

}  // namespace me
