#include <squirrel.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <memory>

#include "network/connection_manager.h"
#include "network/default_event_handler.h"
#include "network/network_namespace.h"
#include "network/stat_chunk_sender.h"
#include "network/state_manager.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"

namespace me {

namespace {

bool read_integers(NativeArguments& arguments, std::initializer_list<SQInteger*> values) {
    SQInteger index = 2;
    for (SQInteger* value : values) {
        if (!arguments.integer(index++, *value))
            return false;
    }
    return true;
}

Connection* connection_of(NativeArguments& arguments, bool& ok) {
    SQInteger node = 0;
    ok = read_integers(arguments, {&node});
    if (!ok || g_connection_manager == nullptr)
        return nullptr;
    return g_connection_manager->find(static_cast<NodeId>(node));
}

// POSIX sockets need no start-up of their own, so installing the handler
// always succeeds.
SQInteger init_default_handler(HSQUIRRELVM) {
    if (g_connection_manager != nullptr)
        g_connection_manager->set_handler(std::make_unique<DefaultEventHandler>());
    return 0;
}

SQInteger shutdown_default_handler(HSQUIRRELVM) {
    if (g_connection_manager != nullptr)
        g_connection_manager->set_handler(nullptr);
    return 0;
}

SQInteger implements_sockets(HSQUIRRELVM vm) {
    sq_pushbool(vm, SQTrue);
    return 1;
}

SQInteger connect(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger node = 0;
    const SQChar* host = nullptr;
    SQInteger port = 0;
    SQInteger game_protocol = 0;
    if (!arguments.integer(2, node) || !arguments.string(3, host) || !arguments.integer(4, port) ||
        !arguments.integer(5, game_protocol))
        return arguments.fail();
    const bool started = g_connection_manager != nullptr &&
                         g_connection_manager->start_client(static_cast<NodeId>(node), host,
                                                            static_cast<int32_t>(port),
                                                            static_cast<int32_t>(game_protocol));
    sq_pushbool(vm, started);
    return 1;
}

// An optional third argument names the one address to listen on (for
// example 127.0.0.1); without it every interface is used.
SQInteger listen(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger node = 0;
    SQInteger port = 0;
    const SQChar* bind_host = "";
    if (!read_integers(arguments, {&node, &port}) || (arguments.has(4) && !arguments.string(4, bind_host)))
        return arguments.fail();
    const bool started = g_connection_manager != nullptr &&
                         g_connection_manager->start_host(static_cast<NodeId>(node), static_cast<int32_t>(port),
                                                          bind_host);
    sq_pushbool(vm, started);
    return 1;
}

SQInteger disconnect(HSQUIRRELVM) {
    if (g_connection_manager != nullptr)
        g_connection_manager->shutdown();
    return 0;
}

// A saved state goes to a joining node in STAT chunks.
SQInteger send_state(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger node = 0;
    SQInteger slot = 0;
    if (!read_integers(arguments, {&node, &slot}))
        return arguments.fail();
    const StateBuffer* state =
        g_state_manager != nullptr ? g_state_manager->state_to_send(static_cast<int32_t>(slot)) : nullptr;
    sq_pushbool(vm, state != nullptr &&
                        StatChunkSender::send(*g_connection_manager, static_cast<NodeId>(node), state->bytes()));
    return 1;
}

SQInteger set_latency_simulation(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger min_ms = 0;
    SQInteger max_ms = 0;
    if (!read_integers(arguments, {&min_ms, &max_ms}))
        return arguments.fail();
    if (g_connection_manager != nullptr)
        g_connection_manager->set_latency_simulation(static_cast<int32_t>(min_ms), static_cast<int32_t>(max_ms));
    return 0;
}

// Integer facts about one connection, with the value given when there is none.
template <SQInteger (*Fact)(const Connection&), SQInteger Missing>
SQInteger connection_integer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    bool ok = false;
    const Connection* connection = connection_of(arguments, ok);
    if (!ok)
        return arguments.fail();
    sq_pushinteger(vm, connection != nullptr ? Fact(*connection) : Missing);
    return 1;
}

template <bool (*Fact)(const Connection&)>
SQInteger connection_bool(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    bool ok = false;
    const Connection* connection = connection_of(arguments, ok);
    if (!ok)
        return arguments.fail();
    sq_pushbool(vm, connection != nullptr && Fact(*connection));
    return 1;
}

// A lobby member's state is its peer-to-peer session as last refreshed; a
// socket's follows from the connection itself.
bool is_member(const Connection& connection) { return connection.direction == Connection::Lobby; }

SQInteger update_connection_state(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    bool ok = false;
    Connection* connection = connection_of(arguments, ok);
    if (!ok)
        return arguments.fail();
    bool refreshed = connection != nullptr;
    if (refreshed && is_member(*connection))
        refreshed = g_connection_manager->lobby().refresh_session_state(*connection);
    sq_pushbool(vm, refreshed);
    return 1;
}

SQInteger game_protocol(const Connection& connection) { return connection.game_protocol; }
SQInteger direction(const Connection& connection) { return connection.direction; }
SQInteger last_error(const Connection& c) { return is_member(c) ? c.session.last_error : 0; }
SQInteger bytes_queued(const Connection& c) { return is_member(c) ? c.session.bytes_queued : 0; }
SQInteger packets_queued(const Connection& c) { return is_member(c) ? c.session.packets_queued : 0; }
bool connecting(const Connection& c) { return is_member(c) ? c.session.connecting : !c.scheduled && !c.established; }
bool active(const Connection& c) { return is_member(c) ? c.session.active : c.established && !c.scheduled; }
bool relayed(const Connection& c) { return is_member(c) && c.session.using_relay; }

// Script integers are 32 bits wide: a count past their range stays at the
// largest rather than turning negative.
SQInteger push_byte_count(HSQUIRRELVM vm, uint64_t count) {
    sq_pushinteger(vm, static_cast<SQInteger>(std::min<uint64_t>(count, std::numeric_limits<SQInteger>::max())));
    return 1;
}

SQInteger get_bytes_sent(HSQUIRRELVM vm) {
    return push_byte_count(vm, g_connection_manager != nullptr ? g_connection_manager->bytes_sent() : 0);
}

SQInteger get_bytes_received(HSQUIRRELVM vm) {
    return push_byte_count(vm, g_connection_manager != nullptr ? g_connection_manager->bytes_received() : 0);
}

constexpr MethodBinding kConnectionFunctions[] = {
    {"init_default_handler", init_default_handler},
    {"shutdown_default_handler", shutdown_default_handler},
    {"implements_sockets", implements_sockets},
    {"connect", connect},
    {"listen", listen},
    {"disconnect", disconnect},
    {"set_latency_simulation", set_latency_simulation},
    {"send_state", send_state},
    {"get_connection_version", connection_integer<game_protocol, -1>},
    {"get_connection_mode", connection_integer<direction, 0>},
    {"update_connection_state", update_connection_state},
    {"connstate_is_connecting", connection_bool<connecting>},
    {"connstate_is_active", connection_bool<active>},
    {"connstate_is_relayed", connection_bool<relayed>},
    {"connstate_last_error", connection_integer<last_error, -1>},
    {"connstate_sendqueue_bytes", connection_integer<bytes_queued, 0>},
    {"connstate_sendqueue_packets", connection_integer<packets_queued, 0>},
    {"get_bytes_sent", get_bytes_sent},
    {"get_bytes_received", get_bytes_received},
};

void bind_connection_functions(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger network = g_network_namespace.push(vm);
    for (const MethodBinding& function : kConnectionFunctions)
        bind_function(vm, network, function.name, function.function);
    sq_settop(vm, top);
}

const ScriptBindingUnit g_connection_functions(bind_connection_functions);

}  // namespace

}  // namespace me
