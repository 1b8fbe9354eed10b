#pragma once

#include <cstdint>

#include "network/network_result.h"
#include "network/node_id.h"

namespace me {

// Receives the connection manager's events during its update (or inside the
// script call that caused them). Where an event returns a code, Ok accepts
// and any other code refuses with that reason.
class ConnectionEventHandler {
public:
    virtual ~ConnectionEventHandler();

    // A host asks whether to admit a peer: Ok admits, any other code is sent
    // to the peer as the refusal. A client is told that the host accepted it.
    virtual NetworkResult on_connect(NodeId node) = 0;
    // An outgoing connection ended before the host named itself.
    virtual void on_connect_failure(NetworkResult reason) = 0;
    virtual void on_disconnect(NodeId node, NetworkResult reason) = 0;

    // Lobby mode. A refused creation, join or migration leaves the lobby
    // with the code as the reason; a refused member is kicked by the owner.
    virtual NetworkResult on_lobby_create_succeeded(uint64_t lobby, NodeId own_node) = 0;
    virtual void on_lobby_create_failed(NetworkResult reason) = 0;
    virtual NetworkResult on_lobby_join_succeeded(uint64_t lobby, NodeId own_node, bool is_host) = 0;
    virtual void on_lobby_join_failed(NetworkResult reason) = 0;
    virtual NetworkResult on_lobby_node_joined(NodeId node, bool is_host) = 0;
    virtual void on_lobby_node_left(NodeId node, NetworkResult reason) = 0;
    virtual NetworkResult on_lobby_migration(NodeId new_owner) = 0;
    virtual NetworkResult on_invitation_accepted(uint64_t lobby) = 0;

    // A message from node has been received and may be read now.
    virtual void on_message(NodeId node) = 0;
};

}  // namespace me
