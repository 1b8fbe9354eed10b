#include <squirrel.h>

#include "core/log.h"
#include "network/connection_manager.h"
#include "network/network_namespace.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"

namespace me {

namespace {

LobbyTransport* lobby() { return g_connection_manager != nullptr ? &g_connection_manager->lobby() : nullptr; }

SQInteger push_bool(HSQUIRRELVM vm, bool value) {
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    return 1;
}

SQInteger implements_lobby(HSQUIRRELVM vm) { return push_bool(vm, lobby() != nullptr && lobby()->lobbies_available()); }

SQInteger create_lobby(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger max_members = 0;
    SQInteger game_protocol = 0;
    if (!arguments.integer(3, max_members) || !arguments.integer(4, game_protocol))
        return arguments.fail();
    SQBool friends_only = SQFalse;
    sq_tobool(vm, 2, &friends_only);
    return push_bool(vm, lobby() != nullptr && lobby()->create_lobby(friends_only != SQFalse,
                                                                     static_cast<int32_t>(max_members),
                                                                     static_cast<int32_t>(game_protocol)));
}

SQInteger join_lobby(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    SQInteger game_protocol = 0;
    if (!arguments.string(2, text) || !arguments.integer(3, game_protocol))
        return arguments.fail();
    platform::LobbyId id = 0;
    if (!LobbyTransport::parse_lobby_id(text, id)) {
        log_warning(format_message("join_lobby: '%1' is not a lobby id", text));
        return push_bool(vm, false);
    }
    return push_bool(vm, lobby() != nullptr && lobby()->join_lobby(id, static_cast<int32_t>(game_protocol)));
}

SQInteger leave_lobby(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger reason = 0;
    if (!arguments.integer(2, reason))
        return arguments.fail();
    const bool in_lobby = g_connection_manager != nullptr && g_connection_manager->mode() == ConnectionManager::Lobby;
    if (lobby() != nullptr)
        lobby()->leave_lobby(static_cast<NetworkResult>(reason));
    return push_bool(vm, in_lobby);
}

SQInteger is_lobby_owner(HSQUIRRELVM vm) { return push_bool(vm, lobby() != nullptr && lobby()->is_lobby_owner()); }

SQInteger kick_from_lobby(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger node = 0;
    SQInteger reason = 0;
    if (!arguments.integer(2, node) || !arguments.integer(3, reason))
        return arguments.fail();
    return push_bool(vm, lobby() != nullptr &&
                             lobby()->kick(static_cast<NodeId>(node), static_cast<NetworkResult>(reason)));
}

SQInteger set_invitations_mode(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger mode = 0;
    if (!arguments.integer(2, mode))
        return arguments.fail();
    if (lobby() != nullptr)
        lobby()->set_invitation_mode(static_cast<int32_t>(mode));
    return 0;
}

SQInteger invite_friends(HSQUIRRELVM) {
    if (lobby() != nullptr)
        lobby()->invite_friends();
    return 0;
}

constexpr MethodBinding kLobbyFunctions[] = {
    {"implements_lobby", implements_lobby},
    {"create_lobby", create_lobby},
    {"join_lobby", join_lobby},
    {"leave_lobby", leave_lobby},
    {"is_lobby_owner", is_lobby_owner},
    {"kick_from_lobby", kick_from_lobby},
    {"set_invitations_mode", set_invitations_mode},
    {"invite_friends", invite_friends},
};

void bind_lobby_functions(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger network = g_network_namespace.push(vm);
    for (const MethodBinding& function : kLobbyFunctions)
        bind_function(vm, network, function.name, function.function);
    sq_settop(vm, top);
}

const ScriptBindingUnit g_lobby_functions(bind_lobby_functions);

}  // namespace

}  // namespace me
