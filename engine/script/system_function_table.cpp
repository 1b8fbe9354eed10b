#include "script/system_function_table.h"

#include "script/system_namespace.h"

namespace me {

void bind_system_functions(HSQUIRRELVM vm, std::span<const MethodBinding> functions) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger system = g_system_namespace.push(vm);
    for (const MethodBinding& function : functions)
        bind_function(vm, system, function.name, function.function);
    sq_settop(vm, top);
}

}  // namespace me
