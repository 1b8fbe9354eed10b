#include "network/default_event_handler.h"

#include <string>

#include "core/log.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace me {

namespace {

constexpr int32_t kMaxRefusalCode = 4095;

InternedName handle_connect("handle_connect", 120);
InternedName handle_connect_failure("handle_connect_failure", 121);
InternedName handle_disconnect("handle_disconnect", 122);
InternedName handle_message("handle_message", 123);
InternedName handle_lobby_create_succeeded("handle_lobby_create_succeeded", 170);
InternedName handle_lobby_create_failed("handle_lobby_create_failed", 171);
InternedName handle_lobby_join_succeeded("handle_lobby_join_succeeded", 172);
InternedName handle_lobby_join_failed("handle_lobby_join_failed", 173);
InternedName handle_lobby_node_joined("handle_lobby_node_joined", 174);
InternedName handle_lobby_node_left("handle_lobby_node_left", 175);
InternedName handle_lobby_migration("handle_lobby_migration", 176);
InternedName handle_invitation_accepted("handle_invitation_accepted", 177);

SQInteger node_argument(NodeId node) { return static_cast<SQInteger>(node); }
SQInteger reason_argument(NetworkResult reason) { return static_cast<SQInteger>(reason); }
// Lobby ids are 64-bit; scripts get them as the decimal text join_lobby takes.
std::string lobby_argument(uint64_t lobby) { return std::to_string(lobby); }

NetworkResult answer_from(HSQUIRRELVM vm, const InternedName& name, const ScriptObject& result) {
    switch (result.type()) {
    case OT_NULL:
        return NetworkResult::Ok;
    case OT_BOOL:
        return sq_objtobool(&result.handle()) != SQFalse ? NetworkResult::Ok : NetworkResult::Deny;
    case OT_INTEGER: {
        result.push(vm);
        SQInteger code = 0;
        sq_getinteger(vm, -1, &code);
        sq_pop(vm, 1);
        if (code >= 0 && code <= kMaxRefusalCode)
            return static_cast<NetworkResult>(code);
        log_warning(format_message("%1 returned %2, which is not a result code; refusing with %3", name.name(), code,
                                   static_cast<int32_t>(NetworkResult::Deny)));
        return NetworkResult::Deny;
    }
    default:
        log_warning(format_message("%1 returned a value that is not a result code; refusing with %2", name.name(),
                                   static_cast<int32_t>(NetworkResult::Deny)));
        return NetworkResult::Deny;
    }
}

}  // namespace

// A callback the root lacks, or one that fails, accepts.
NetworkResult ask_root(const InternedName& name, std::initializer_list<ScriptArgument> arguments) {
    if (g_script_host == nullptr || g_script_root == nullptr || g_script_root->root.is_null())
        return NetworkResult::Ok;
    ScriptObject result;
    if (!g_script_host->call_root(name, arguments, &result)) {
        log_warning(format_message("Failed to call script function %1, behaving as if it returned %2", name.name(),
                                   static_cast<int32_t>(NetworkResult::Ok)));
        return NetworkResult::Ok;
    }
    return answer_from(g_script_host->vm(), name, result);
}

NetworkResult DefaultEventHandler::on_connect(NodeId node) { return ask_root(handle_connect, {node_argument(node)}); }

void DefaultEventHandler::on_connect_failure(NetworkResult reason) {
    call_root_callback(handle_connect_failure, {reason_argument(reason)});
}

void DefaultEventHandler::on_disconnect(NodeId node, NetworkResult reason) {
    call_root_callback(handle_disconnect, {node_argument(node), reason_argument(reason)});
}

NetworkResult DefaultEventHandler::on_lobby_create_succeeded(uint64_t lobby, NodeId own_node) {
    return ask_root(handle_lobby_create_succeeded, {lobby_argument(lobby), node_argument(own_node)});
}

void DefaultEventHandler::on_lobby_create_failed(NetworkResult reason) {
    call_root_callback(handle_lobby_create_failed, {reason_argument(reason)});
}

NetworkResult DefaultEventHandler::on_lobby_join_succeeded(uint64_t lobby, NodeId own_node, bool is_host) {
    return ask_root(handle_lobby_join_succeeded, {lobby_argument(lobby), node_argument(own_node), is_host});
}

void DefaultEventHandler::on_lobby_join_failed(NetworkResult reason) {
    call_root_callback(handle_lobby_join_failed, {reason_argument(reason)});
}

NetworkResult DefaultEventHandler::on_lobby_node_joined(NodeId node, bool is_host) {
    return ask_root(handle_lobby_node_joined, {node_argument(node), is_host});
}

void DefaultEventHandler::on_lobby_node_left(NodeId node, NetworkResult reason) {
    call_root_callback(handle_lobby_node_left, {node_argument(node), reason_argument(reason)});
}

NetworkResult DefaultEventHandler::on_lobby_migration(NodeId new_owner) {
    return ask_root(handle_lobby_migration, {node_argument(new_owner)});
}

NetworkResult DefaultEventHandler::on_invitation_accepted(uint64_t lobby) {
    return ask_root(handle_invitation_accepted, {lobby_argument(lobby)});
}

void DefaultEventHandler::on_message(NodeId node) { call_root_callback(handle_message, {node_argument(node)}); }

}  // namespace me
