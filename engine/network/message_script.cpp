#include <squirrel.h>

#include <cstdint>
#include <string>

#include "core/log.h"
#include "network/connection_manager.h"
#include "network/network_namespace.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"

namespace me {

namespace {

constexpr SQInteger kNoValue = -1;

// The node argument every message function starts with.
bool read_node(NativeArguments& arguments, NodeId& node) {
    SQInteger value = 0;
    if (!arguments.integer(2, value))
        return false;
    node = static_cast<NodeId>(value);
    return true;
}

Message* incoming_of(NodeId node) {
    return g_connection_manager != nullptr ? g_connection_manager->incoming(node) : nullptr;
}

Message* outgoing_of(NodeId node) {
    return g_connection_manager != nullptr ? g_connection_manager->outgoing(node) : nullptr;
}

SQInteger type_from_string(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    sq_pushinteger(vm, Message::type_from_text(text));
    return 1;
}

// Header fields of the received message: -1 when there is none.
template <SQInteger (*Field)(const Message&)>
SQInteger get_read_field(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    const Message* message = incoming_of(node);
    sq_pushinteger(vm, message != nullptr ? Field(*message) : kNoValue);
    return 1;
}

SQInteger kind_of(const Message& message) { return static_cast<SQInteger>(message.kind()); }
SQInteger type_of(const Message& message) { return message.type(); }
SQInteger id_of(const Message& message) { return message.id(); }
SQInteger code_of(const Message& message) { return message.code(); }
SQInteger remaining_of(const Message& message) { return message.remaining(); }

// Payload reads: -1 on failure, which a script tells from a real -1 through
// has_read_failed.
template <typename Value, bool (Message::*Read)(Value&), SQInteger (*Convert)(Value)>
SQInteger read_number(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    Message* message = incoming_of(node);
    Value value{};
    sq_pushinteger(vm, message != nullptr && (message->*Read)(value) ? Convert(value) : kNoValue);
    return 1;
}

SQInteger widen_u8(uint8_t value) { return value; }
SQInteger widen_u16(uint16_t value) { return value; }
SQInteger widen_u32(uint32_t value) { return value; }
SQInteger as_int32(uint32_t value) { return static_cast<int32_t>(value); }

SQInteger read_string(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    Message* message = incoming_of(node);
    std::string text;
    if (message == nullptr || !message->read_string(text))
        text.clear();
    sq_pushstring(vm, text.data(), static_cast<SQInteger>(text.size()));
    return 1;
}

SQInteger has_read_failed(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    sq_pushbool(vm, g_connection_manager == nullptr || g_connection_manager->incoming_read_failed(node));
    return 1;
}

bool read_node_and_integer(NativeArguments& arguments, NodeId& node, SQInteger& value) {
    return read_node(arguments, node) && arguments.integer(3, value);
}

SQInteger create_request_message(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    SQInteger type = 0;
    if (!read_node_and_integer(arguments, node, type))
        return arguments.fail();
    const uint16_t id =
        g_connection_manager != nullptr ? g_connection_manager->create_request(node, static_cast<uint32_t>(type)) : 0;
    sq_pushinteger(vm, id);
    return 1;
}

SQInteger create_response_message(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    SQInteger code = 0;
    if (!read_node_and_integer(arguments, node, code))
        return arguments.fail();
    sq_pushbool(vm, g_connection_manager != nullptr && g_connection_manager->create_response(node, code));
    return 1;
}

SQInteger create_oneshot_message(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    SQInteger type = 0;
    if (!read_node_and_integer(arguments, node, type))
        return arguments.fail();
    sq_pushbool(vm, g_connection_manager != nullptr &&
                        g_connection_manager->create_oneshot(node, static_cast<uint32_t>(type)));
    return 1;
}

SQInteger get_write_remaining(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    const Message* message = outgoing_of(node);
    sq_pushinteger(vm, message != nullptr ? message->remaining() : kNoValue);
    return 1;
}

// Integer writes: a value outside [Min, Max] is refused with a warning that
// names it, before the message is touched.
template <int64_t Min, int64_t Max, typename Value, bool (Message::*Write)(Value)>
SQInteger write_number(HSQUIRRELVM vm, const char* what) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    SQInteger value = 0;
    if (!read_node_and_integer(arguments, node, value))
        return arguments.fail();
    if (value < Min || value > Max) {
        log_warning(format_message("Script tried to write %1 as %2 to the message for node %3, value out of range",
                                   value, what, node));
        sq_pushbool(vm, SQFalse);
        return 1;
    }
    Message* message = outgoing_of(node);
    sq_pushbool(vm, message != nullptr && (message->*Write)(static_cast<Value>(value)));
    return 1;
}

SQInteger write_uint8(HSQUIRRELVM vm) { return write_number<0, 0xFF, uint8_t, &Message::write_u8>(vm, "uint8"); }
SQInteger write_uint16(HSQUIRRELVM vm) {
    return write_number<0, 0xFFFF, uint16_t, &Message::write_u16>(vm, "uint16");
}
// Accepts the signed and the unsigned reading of the same 32 bits.
SQInteger write_int32(HSQUIRRELVM vm) {
    return write_number<INT32_MIN, UINT32_MAX, uint32_t, &Message::write_u32>(vm, "int32");
}
SQInteger write_varint(HSQUIRRELVM vm) {
    return write_number<0, UINT32_MAX, uint32_t, &Message::write_varint>(vm, "varint");
}

SQInteger write_string(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    const SQChar* text = nullptr;
    if (!read_node(arguments, node) || !arguments.string(3, text))
        return arguments.fail();
    Message* message = outgoing_of(node);
    const auto size = static_cast<size_t>(sq_getsize(vm, 3));
    sq_pushbool(vm, message != nullptr && message->write_string({text, size}));
    return 1;
}

SQInteger send_message(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    NodeId node = kNoNode;
    if (!read_node(arguments, node))
        return arguments.fail();
    sq_pushbool(vm, g_connection_manager != nullptr && g_connection_manager->send(node));
    return 1;
}

constexpr MethodBinding kMessageFunctions[] = {
    {"type_from_string", type_from_string},
    {"get_read_kind", get_read_field<kind_of>},
    {"get_read_type", get_read_field<type_of>},
    {"get_read_id", get_read_field<id_of>},
    {"get_read_code", get_read_field<code_of>},
    {"get_read_remaining", get_read_field<remaining_of>},
    {"read_uint8", read_number<uint8_t, &Message::read_u8, widen_u8>},
    {"read_uint16", read_number<uint16_t, &Message::read_u16, widen_u16>},
    {"read_int32", read_number<uint32_t, &Message::read_u32, as_int32>},
    {"read_varint", read_number<uint32_t, &Message::read_varint, widen_u32>},
    {"read_string", read_string},
    {"has_read_failed", has_read_failed},
    {"create_request_message", create_request_message},
    {"create_response_message", create_response_message},
    {"create_oneshot_message", create_oneshot_message},
    {"get_write_remaining", get_write_remaining},
    {"write_uint8", write_uint8},
    {"write_uint16", write_uint16},
    {"write_int32", write_int32},
    {"write_varint", write_varint},
    {"write_string", write_string},
    {"send_message", send_message},
};

void bind_message_functions(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger network = g_network_namespace.push(vm);
    for (const MethodBinding& function : kMessageFunctions)
        bind_function(vm, network, function.name, function.function);
    sq_settop(vm, top);
}

const ScriptBindingUnit g_message_functions(bind_message_functions);

}  // namespace

}  // namespace me
