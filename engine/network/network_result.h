#pragma once

#include <span>

#include "core/key_codes.h"

namespace me {

// Result and reason codes shared by connections, lobbies, the state machinery
// and the callbacks that report them to scripts.
enum class NetworkResult : int {
    Ok = 0,
    System = 1,
    NotExists = 2,
    Full = 3,
    Protocol = 4,
    Leave = 5,
    Kick = 6,
    Deny = 7,
    Disconnect = 8,
};

// The NETWORK_RESULT_ script constants, in code order.
std::span<const ScriptConstant> network_result_constants();

}  // namespace me
