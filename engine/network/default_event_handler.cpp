#include "network/default_event_handler.h"

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

NetworkResult answer_from(HSQUIRRELVM vm, const ScriptObject& result) {
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
        log_warning(format_message("handle_connect returned %1, which is not a result code; refusing with %2", code,
                                   static_cast<int32_t>(NetworkResult::Deny)));
        return NetworkResult::Deny;
    }
    default:
        log_warning(format_message("handle_connect returned a value that is not a result code; refusing with %1",
                                   static_cast<int32_t>(NetworkResult::Deny)));
        return NetworkResult::Deny;
    }
}

}  // namespace

NetworkResult DefaultEventHandler::on_connect(NodeId node) {
    if (g_script_host == nullptr || g_script_root == nullptr || g_script_root->root.is_null())
        return NetworkResult::Ok;
    ScriptObject result;
    if (!g_script_host->call_root(handle_connect, {static_cast<SQInteger>(node)}, &result)) {
        log_warning(format_message("Failed to call script function %1, behaving as if it returned %2",
                                   handle_connect.name(), static_cast<int32_t>(NetworkResult::Ok)));
        return NetworkResult::Ok;
    }
    return answer_from(g_script_host->vm(), result);
}

void DefaultEventHandler::on_connect_failure(NetworkResult reason) {
    call_root_callback(handle_connect_failure, {static_cast<SQInteger>(reason)});
}

void DefaultEventHandler::on_disconnect(NodeId node, NetworkResult reason) {
    call_root_callback(handle_disconnect, {static_cast<SQInteger>(node), static_cast<SQInteger>(reason)});
}

void DefaultEventHandler::on_message(NodeId node) { call_root_callback(handle_message, {static_cast<SQInteger>(node)}); }

}  // namespace me
