// The Network functions that write and read replays.
#include <string>

#include "network/network_namespace.h"
#include "network/replay_recorder.h"
#include "network/state_failure.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

ReplayRecorder& recorder() {
    if (g_replay_recorder == nullptr)
        fail_state("The replay recorder does not exist.");
    return *g_replay_recorder;
}

SQInteger push_bool(HSQUIRRELVM vm, bool value) {
    sq_pushbool(vm, value ? SQTrue : SQFalse);
    return 1;
}

SQInteger push_unsigned(HSQUIRRELVM vm, uint32_t value) {
    sq_pushinteger(vm, static_cast<SQInteger>(static_cast<int32_t>(value)));
    return 1;
}

// Reads integer argument 2 and passes it to operation, whose result is pushed.
template <class Operation>
SQInteger with_integer(HSQUIRRELVM vm, Operation operation) {
    NativeArguments arguments(vm);
    SQInteger value = 0;
    if (!arguments.integer(2, value))
        return arguments.fail();
    return operation(value);
}

SQInteger replay_create(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    SQInteger tag = 0;
    SQInteger version = 0;
    if (!arguments.string(2, name) || !arguments.integer(3, tag) || !arguments.integer(4, version))
        return arguments.fail();
    recorder().create(name, static_cast<uint32_t>(tag), static_cast<uint32_t>(version));
    return 0;
}

SQInteger replay_add_save(HSQUIRRELVM vm) {
    return with_integer(vm, [vm](SQInteger tag) { return push_bool(vm, recorder().add_save(static_cast<uint32_t>(tag))); });
}

SQInteger replay_add_save_slot(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger tag = 0;
    SQInteger slot = 0;
    if (!arguments.integer(2, tag) || !arguments.integer(3, slot))
        return arguments.fail();
    return push_bool(vm, recorder().add_save_slot(static_cast<uint32_t>(tag), static_cast<int32_t>(slot)));
}

SQInteger replay_create_element(HSQUIRRELVM vm) {
    return with_integer(
        vm, [vm](SQInteger tag) { return push_bool(vm, recorder().create_element(static_cast<uint32_t>(tag))); });
}

SQInteger replay_write_uint8(HSQUIRRELVM vm) {
    return with_integer(vm, [vm](SQInteger value) { return push_bool(vm, recorder().write_uint8(value)); });
}

SQInteger replay_write_uint16(HSQUIRRELVM vm) {
    return with_integer(vm, [vm](SQInteger value) { return push_bool(vm, recorder().write_uint16(value)); });
}

SQInteger replay_write_uint32(HSQUIRRELVM vm) {
    return with_integer(
        vm, [vm](SQInteger value) { return push_bool(vm, recorder().write_uint32(static_cast<uint32_t>(value))); });
}

SQInteger replay_write_string(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    SQInteger size = 0;
    if (!arguments.string(2, text))
        return arguments.fail();
    sq_getstringandsize(vm, 2, &text, &size);
    return push_bool(vm, recorder().write_string(std::string_view(text, static_cast<size_t>(size))));
}

SQInteger replay_finish_element(HSQUIRRELVM vm) { return push_bool(vm, recorder().finish_element()); }

SQInteger replay_should_save(HSQUIRRELVM vm) { return push_bool(vm, recorder().should_save()); }

SQInteger replay_save(HSQUIRRELVM vm) { return push_bool(vm, recorder().save()); }

SQInteger replay_load(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    return push_bool(vm, recorder().load(name));
}

SQInteger replay_tag(HSQUIRRELVM vm) { return push_unsigned(vm, recorder().tag()); }

SQInteger replay_version(HSQUIRRELVM vm) { return push_unsigned(vm, recorder().version()); }

SQInteger replay_element_count(HSQUIRRELVM vm) { return push_unsigned(vm, recorder().element_count()); }

SQInteger replay_open_element(HSQUIRRELVM vm) {
    return with_integer(vm, [vm](SQInteger index) { return push_bool(vm, recorder().open_element(index)); });
}

SQInteger replay_read_element_tag(HSQUIRRELVM vm) { return push_unsigned(vm, recorder().read_element_tag()); }

SQInteger replay_copy_to_save_slot(HSQUIRRELVM vm) {
    return with_integer(vm, [vm](SQInteger slot) {
        return push_bool(vm, recorder().copy_to_save_slot(static_cast<int32_t>(slot)));
    });
}

SQInteger replay_read_uint8(HSQUIRRELVM vm) {
    uint32_t value = 0;
    recorder().read_uint8(value);
    return push_unsigned(vm, value);
}

SQInteger replay_read_uint16(HSQUIRRELVM vm) {
    uint32_t value = 0;
    recorder().read_uint16(value);
    return push_unsigned(vm, value);
}

SQInteger replay_read_uint32(HSQUIRRELVM vm) {
    uint32_t value = 0;
    recorder().read_uint32(value);
    return push_unsigned(vm, value);
}

SQInteger replay_read_fixed(HSQUIRRELVM vm) {
    uint32_t value = 0;
    recorder().read_uint32(value, "fixed point");
    return push_unsigned(vm, value);
}

SQInteger replay_read_string(HSQUIRRELVM vm) {
    std::string text;
    recorder().read_string(text);
    sq_pushstring(vm, text.data(), static_cast<SQInteger>(text.size()));
    return 1;
}

SQInteger replay_close_element(HSQUIRRELVM) {
    recorder().close_element();
    return 0;
}

constexpr MethodBinding kFunctions[] = {
    {"replay_create", replay_create},
    {"replay_add_save", replay_add_save},
    {"replay_add_save_slot", replay_add_save_slot},
    {"replay_create_element", replay_create_element},
    {"replay_write_uint8", replay_write_uint8},
    {"replay_write_uint16", replay_write_uint16},
    {"replay_write_uint32", replay_write_uint32},
    {"replay_write_fixed", replay_write_uint32},
    {"replay_write_string", replay_write_string},
    {"replay_finish_element", replay_finish_element},
    {"replay_should_save", replay_should_save},
    {"replay_save", replay_save},
    {"replay_load", replay_load},
    {"replay_tag", replay_tag},
    {"replay_version", replay_version},
    {"replay_element_count", replay_element_count},
    {"replay_open_element", replay_open_element},
    {"replay_read_element_tag", replay_read_element_tag},
    {"replay_copy_to_save_slot", replay_copy_to_save_slot},
    {"replay_read_uint8", replay_read_uint8},
    {"replay_read_uint16", replay_read_uint16},
    {"replay_read_uint32", replay_read_uint32},
    {"replay_read_fixed", replay_read_fixed},
    {"replay_read_string", replay_read_string},
    {"replay_close_element", replay_close_element},
};

void bind_replay_functions(HSQUIRRELVM vm) {
    bind_namespace_functions(vm, g_network_namespace, kFunctions);
}

const ScriptBindingUnit g_replay_functions(bind_replay_functions);

}  // namespace

}  // namespace me
