#pragma once

#include <cstdint>

namespace me {

// A network participant: chosen by the script in socket mode.
using NodeId = int32_t;

// No node: the manager is not running, or a handshake has not named the peer.
inline constexpr NodeId kNoNode = -1;

}  // namespace me
