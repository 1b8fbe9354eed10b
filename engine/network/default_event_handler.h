#pragma once

#include "network/connection_event_handler.h"

namespace me {

// Passes connection events to the script root's handle_* methods. Answers
// (admission, lobby creation and join, members, migration, invitations) are
// NETWORK_RESULT_ codes: 0, true or no value accepts, false refuses with
// NETWORK_RESULT_DENY, and a root without the method accepts. Lobby ids reach
// the script as decimal text.
class DefaultEventHandler : public ConnectionEventHandler {
public:
    NetworkResult on_connect(NodeId node) override;
    void on_connect_failure(NetworkResult reason) override;
    void on_disconnect(NodeId node, NetworkResult reason) override;
    NetworkResult on_lobby_create_succeeded(uint64_t lobby, NodeId own_node) override;
    void on_lobby_create_failed(NetworkResult reason) override;
    NetworkResult on_lobby_join_succeeded(uint64_t lobby, NodeId own_node, bool is_host) override;
    void on_lobby_join_failed(NetworkResult reason) override;
    NetworkResult on_lobby_node_joined(NodeId node, bool is_host) override;
    void on_lobby_node_left(NodeId node, NetworkResult reason) override;
    NetworkResult on_lobby_migration(NodeId new_owner) override;
    NetworkResult on_invitation_accepted(uint64_t lobby) override;
    void on_message(NodeId node) override;
};

}  // namespace me
