#include "network/network_namespace.h"

#include <array>

#include "network/network_result.h"

namespace me {

ScriptNamespace g_network_namespace("Network");

namespace {

constexpr std::array<ScriptConstant, 9> kNetworkResults{{
    {"NETWORK_RESULT_OK", static_cast<int32_t>(NetworkResult::Ok)},
    {"NETWORK_RESULT_SYSTEM", static_cast<int32_t>(NetworkResult::System)},
    {"NETWORK_RESULT_NOT_EXISTS", static_cast<int32_t>(NetworkResult::NotExists)},
    {"NETWORK_RESULT_FULL", static_cast<int32_t>(NetworkResult::Full)},
    {"NETWORK_RESULT_PROTOCOL", static_cast<int32_t>(NetworkResult::Protocol)},
    {"NETWORK_RESULT_LEAVE", static_cast<int32_t>(NetworkResult::Leave)},
    {"NETWORK_RESULT_KICK", static_cast<int32_t>(NetworkResult::Kick)},
    {"NETWORK_RESULT_DENY", static_cast<int32_t>(NetworkResult::Deny)},
    {"NETWORK_RESULT_DISCONNECT", static_cast<int32_t>(NetworkResult::Disconnect)},
}};

void bind_network_results(HSQUIRRELVM vm) { bind_constants(vm, kNetworkResults); }

const ScriptBindingUnit g_network_results(bind_network_results);

}  // namespace

std::span<const ScriptConstant> network_result_constants() { return kNetworkResults; }

}  // namespace me
