// The Network functions that drive state objects, save slots, map states
// and rollback.
#include <sqstdblob.h>

#include <cstring>

#include "network/network_namespace.h"
#include "network/state_failure.h"
#include "network/state_manager.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

// Reads an integer argument that the blob functions treat as a promise of
// the script: anything else ends the process.
int32_t required_integer(HSQUIRRELVM vm, SQInteger index, const char* call) {
    SQInteger value = 0;
    if (sq_gettop(vm) < index || (sq_gettype(vm, index) != OT_INTEGER && sq_gettype(vm, index) != OT_FLOAT) ||
        SQ_FAILED(sq_getinteger(vm, index, &value)))
        fail_binding_call(call);
    return static_cast<int32_t>(value);
}

SQInteger push_bool(HSQUIRRELVM vm, bool value) {
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    return 1;
}

// Calls operation(slot) with the integer argument 2.
template <class Operation>
SQInteger with_slot(HSQUIRRELVM vm, Operation operation) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    if (!arguments.integer(2, slot))
        return arguments.fail();
    return operation(static_cast<int32_t>(slot));
}

SQInteger register_state_class(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    running_state_manager().register_class(name);
    return 0;
}

SQInteger creating_map(HSQUIRRELVM) {
    running_state_manager().begin_create_map();
    return 0;
}

SQInteger map_created(HSQUIRRELVM) {
    running_state_manager().map_created();
    return 0;
}

SQInteger destroying_map(HSQUIRRELVM) {
    running_state_manager().begin_destroy_map();
    return 0;
}

SQInteger map_destroyed(HSQUIRRELVM) {
    running_state_manager().end_destroy_map();
    return 0;
}

SQInteger save_state(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    SQInteger debug_level = 0;
    if (!arguments.integer(2, slot) || !arguments.integer(3, debug_level))
        return arguments.fail();
    running_state_manager().save(static_cast<int32_t>(slot), static_cast<int32_t>(debug_level));
    return 0;
}

SQInteger is_state(HSQUIRRELVM vm) {
    return with_slot(vm, [vm](int32_t slot) { return push_bool(vm, running_state_manager().is_state(slot)); });
}

SQInteger get_state_crc(HSQUIRRELVM vm) {
    return with_slot(vm, [vm](int32_t slot) {
        sq_pushinteger(vm, static_cast<SQInteger>(static_cast<int32_t>(running_state_manager().get_state_crc(slot))));
        return SQInteger{1};
    });
}

SQInteger delete_state(HSQUIRRELVM vm) {
    return with_slot(vm, [](int32_t slot) {
        running_state_manager().delete_state(slot);
        return SQInteger{0};
    });
}

SQInteger delete_all_states(HSQUIRRELVM) {
    running_state_manager().delete_all_states();
    return 0;
}

SQInteger restore_state_from_blob(HSQUIRRELVM vm) {
    SQUserPointer data = nullptr;
    if (sq_gettop(vm) < 2 || SQ_FAILED(sqstd_getblob(vm, 2, &data)))
        fail_binding_call("sqstd_getblob( v, 2, &blob )");
    const int32_t slot = required_integer(vm, 3, "sq_getinteger( v, 3, &slot )");
    const SQInteger size = sqstd_getblobsize(vm, 2);
    if (size < 0)
        fail_state("Invalid blob size.");
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(data), static_cast<size_t>(size));
    return push_bool(vm, running_state_manager().restore_from_blob(bytes, slot));
}

SQInteger store_state_to_blob(HSQUIRRELVM vm) {
    const int32_t slot = required_integer(vm, 2, "sq_getinteger( v, 2, &slot )");
    const std::optional<std::vector<uint8_t>> bytes = running_state_manager().store_to_blob(slot);
    if (!bytes) {
        sq_pushnull(vm);
        return 1;
    }
    void* blob = sqstd_createblob(vm, static_cast<SQInteger>(bytes->size()));
    if (blob == nullptr)
        fail_binding_call("sqstd_createblob( v, size )");
    if (!bytes->empty())
        std::memcpy(blob, bytes->data(), bytes->size());
    return 1;
}

SQInteger load_world_object(HSQUIRRELVM vm) {
    return with_slot(vm, [vm](int32_t slot) { return push_bool(vm, running_state_manager().load_world_object(slot)); });
}

SQInteger rollback(HSQUIRRELVM vm) {
    return with_slot(vm, [](int32_t slot) {
        running_state_manager().rollback(slot);
        return SQInteger{0};
    });
}

SQInteger tick_pregame(HSQUIRRELVM) {
    running_state_manager().tick_pregame();
    return 0;
}

SQInteger tick_postgame(HSQUIRRELVM) {
    running_state_manager().tick_postgame();
    return 0;
}

constexpr MethodBinding kFunctions[] = {
    {"register_state_class", register_state_class},
    {"creating_map", creating_map},
    {"map_created", map_created},
    {"destroying_map", destroying_map},
    {"map_destroyed", map_destroyed},
    {"save_state", save_state},
    {"is_state", is_state},
    {"get_state_crc", get_state_crc},
    {"delete_state", delete_state},
    {"delete_all_states", delete_all_states},
    {"restore_state_from_blob", restore_state_from_blob},
    {"store_state_to_blob", store_state_to_blob},
    {"load_world_object", load_world_object},
    {"rollback", rollback},
    {"tick_pregame", tick_pregame},
    {"tick_postgame", tick_postgame},
};

void bind_state_functions(HSQUIRRELVM vm) {
    bind_namespace_functions(vm, g_network_namespace, kFunctions);
}

const ScriptBindingUnit g_state_functions(bind_state_functions);

}  // namespace

}  // namespace me
