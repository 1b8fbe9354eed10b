#include <squirrel.h>

#include "script/script_binding.h"
#include "world/gorath_globals.h"

namespace me {

namespace {

SQInteger script_initialize_gorath_globals(HSQUIRRELVM) {
    initialize_gorath_globals();
    return 0;
}

SQInteger script_shutdown_gorath_globals(HSQUIRRELVM) {
    shutdown_gorath_globals();
    return 0;
}

void bind_gorath_functions(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    const SQInteger root = sq_gettop(vm);
    bind_function(vm, root, "initialize_gorath_globals", script_initialize_gorath_globals);
    bind_function(vm, root, "shutdown_gorath_globals", script_shutdown_gorath_globals);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_gorath_functions(bind_gorath_functions);

}  // namespace

}  // namespace me
