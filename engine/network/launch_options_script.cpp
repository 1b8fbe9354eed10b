// The Network functions through which a game's netcode learns what the
// command line asked of this run.
#include "core/launch_options.h"
#include "network/network_namespace.h"
#include "script/bind_class.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger get_synctest_ticks(HSQUIRRELVM vm) {
    sq_pushinteger(vm, g_launch_options.synctest_ticks);
    return 1;
}

SQInteger get_verify_replay(HSQUIRRELVM vm) {
    const std::string& file = g_launch_options.verify_replay;
    sq_pushstring(vm, file.data(), static_cast<SQInteger>(file.size()));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"get_synctest_ticks", get_synctest_ticks},
    {"get_verify_replay", get_verify_replay},
};

void bind_launch_option_functions(HSQUIRRELVM vm) {
    bind_namespace_functions(vm, g_network_namespace, kFunctions);
}

const ScriptBindingUnit g_launch_option_functions(bind_launch_option_functions);

}  // namespace

}  // namespace me
