#pragma once

#include "network/connection_event_handler.h"

namespace me {

// Passes connection events to the script root's handle_* methods. The host's
// admission answer is a NETWORK_RESULT_ code: 0 or true admits, false
// refuses with NETWORK_RESULT_DENY, and a root without handle_connect admits
// every peer.
class DefaultEventHandler : public ConnectionEventHandler {
public:
    NetworkResult on_connect(NodeId node) override;
    void on_connect_failure(NetworkResult reason) override;
    void on_disconnect(NodeId node, NetworkResult reason) override;
    void on_message(NodeId node) override;
};

}  // namespace me
