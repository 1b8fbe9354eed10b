#include "resources/resource_registry.h"

#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

std::string argument_text(HSQUIRRELVM vm, SQInteger index, const SQChar* text) {
    return std::string(text, static_cast<size_t>(sq_getsize(vm, index)));
}

SQInteger cache_resource_now(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* type_name = nullptr;
    const SQChar* name = nullptr;
    if (!arguments.string(2, type_name) || !arguments.string(3, name))
        return arguments.fail();
    cache_resource(argument_text(vm, 2, type_name), argument_text(vm, 3, name));
    return 0;
}

constexpr MethodBinding kFunctions[] = {
    {"cache_resource", cache_resource_now},
};

void bind_resource_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_resource_functions(bind_resource_functions);

}  // namespace

}  // namespace me
