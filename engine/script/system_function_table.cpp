#include "script/system_function_table.h"

#include "script/system_namespace.h"

namespace me {

void bind_namespace_functions(HSQUIRRELVM vm, const ScriptNamespace& space, std::span<const MethodBinding> functions) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger table = space.push(vm);
    for (const MethodBinding& function : functions)
        bind_function(vm, table, function.name, function.function);
    sq_settop(vm, top);
}

void bind_system_functions(HSQUIRRELVM vm, std::span<const MethodBinding> functions) {
    bind_namespace_functions(vm, g_system_namespace, functions);
}

}  // namespace me
