// The Network functions of the per-frame network logs.
#include <string>

#include "network/network_logger.h"
#include "network/network_namespace.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"

namespace me {

namespace {

// Called as log(frame, text, ...): the texts joined without separator.
SQInteger log_frame(HSQUIRRELVM vm) {
    SQInteger frame = 0;
    if (sq_gettop(vm) < 2 || (sq_gettype(vm, 2) != OT_INTEGER && sq_gettype(vm, 2) != OT_FLOAT) ||
        SQ_FAILED(sq_getinteger(vm, 2, &frame)))
        fail_binding_call("sq_getinteger( v, 2, &frame_index )");
    std::string text;
    for (SQInteger i = 3; i <= sq_gettop(vm); ++i) {
        const SQChar* part = nullptr;
        SQInteger size = 0;
        if (sq_gettype(vm, i) != OT_STRING || SQ_FAILED(sq_getstringandsize(vm, i, &part, &size)))
            fail_binding_call("sq_getstring( v, top + 1, &s )");
        text.append(part, static_cast<size_t>(size));
    }
    if (g_network_logger != nullptr)
        g_network_logger->log(static_cast<uint32_t>(frame), text);
    return 0;
}

SQInteger log_discard_all_frames(HSQUIRRELVM) {
    if (g_network_logger != nullptr)
        g_network_logger->discard_all();
    return 0;
}

// Reads (first, last) and hands them to operation as unsigned frames.
template <class Operation>
SQInteger with_frame_range(HSQUIRRELVM vm, Operation operation) {
    NativeArguments arguments(vm);
    SQInteger first = 0;
    SQInteger last = 0;
    if (!arguments.integer(2, first) || !arguments.integer(3, last))
        return arguments.fail();
    if (g_network_logger != nullptr)
        operation(*g_network_logger, static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    return 0;
}

SQInteger log_discard_frames(HSQUIRRELVM vm) {
    return with_frame_range(vm, [](NetworkLogger& logger, uint32_t first, uint32_t last) { logger.discard(first, last); });
}

SQInteger log_ack_frames(HSQUIRRELVM vm) {
    return with_frame_range(vm, [](NetworkLogger& logger, uint32_t first, uint32_t last) { logger.ack(first, last); });
}

void bind_logger_functions(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger network = g_network_namespace.push(vm);
    bind_function(vm, network, "log", log_frame);
    bind_function(vm, network, "log_discard_all_frames", log_discard_all_frames);
    bind_function(vm, network, "log_discard_frames", log_discard_frames);
    bind_function(vm, network, "log_ack_frames", log_ack_frames);
    sq_settop(vm, top);
}

const ScriptBindingUnit g_logger_functions(bind_logger_functions);

}  // namespace

}  // namespace me
