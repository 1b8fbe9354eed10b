// The Network functions that show saved states to a person.
#include "core/log_format.h"
#include "network/network_namespace.h"
#include "network/state_manager.h"
#include "network/state_slot_dumps.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

// Null when the slots hold the same state, else an array of the lines that
// say how they differ. A slot without a state is a script error: a null
// there would read as "no desync".
SQInteger compare_states(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger first = 0;
    SQInteger second = 0;
    if (!arguments.integer(2, first) || !arguments.integer(3, second))
        return arguments.fail();
    for (const SQInteger slot : {first, second})
        if (!running_state_manager().is_state(static_cast<int32_t>(slot)))
            return sq_throwerror(vm, format_message("compare_states: slot %1 holds no finished state", slot).c_str());
    const std::vector<std::string> lines =
        slot_differences(running_state_manager(), static_cast<int32_t>(first), static_cast<int32_t>(second));
    if (lines.empty()) {
        sq_pushnull(vm);
        return 1;
    }
    sq_newarray(vm, 0);
    for (const std::string& line : lines) {
        sq_pushstring(vm, line.data(), static_cast<SQInteger>(line.size()));
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger write_state_dump(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger slot = 0;
    const SQChar* file_name = nullptr;
    if (!arguments.integer(2, slot) || !arguments.string(3, file_name))
        return arguments.fail();
    sq_pushbool(vm, write_slot_dump(running_state_manager(), static_cast<int32_t>(slot), file_name) ? SQTrue : SQFalse);
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"compare_states", compare_states},
    {"write_state_dump", write_state_dump},
};

void bind_slot_dump_functions(HSQUIRRELVM vm) {
    bind_namespace_functions(vm, g_network_namespace, kFunctions);
}

const ScriptBindingUnit g_slot_dump_functions(bind_slot_dump_functions);

}  // namespace

}  // namespace me
