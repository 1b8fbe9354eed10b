#include "core/application.h"
#include "core/log_format.h"
#include "script/script_host.h"
#include "script/system_namespace.h"

namespace me {

ScriptNamespace g_system_namespace("System");

namespace {

bool read_path_argument(HSQUIRRELVM vm, const SQChar*& path) {
    return sq_gettop(vm) >= 2 && SQ_SUCCEEDED(sq_getstring(vm, 2, &path));
}

constexpr SQInteger kMaxExitStatus = 255;

SQInteger request_quit(HSQUIRRELVM vm) {
    SQInteger status = 0;
    if (sq_gettop(vm) >= 2) {
        if (sq_gettype(vm, 2) != OT_INTEGER)
            return sq_throwerror(vm, "request_quit: the exit status must be an integer");
        sq_getinteger(vm, 2, &status);
        if (status < 0 || status > kMaxExitStatus)
            return sq_throwerror(
                vm, format_message("request_quit: exit status %1 is outside 0..%2", status, kMaxExitStatus).c_str());
    }
    if (g_application != nullptr)
        g_application->request_quit(static_cast<int>(status));
    return 0;
}

SQInteger load_script(HSQUIRRELVM vm) {
    const SQChar* path = nullptr;
    if (!read_path_argument(vm, path))
        return sq_throwerror(vm, "Expecting string.");
    return SQ_FAILED(g_script_host->load_script(path)) ? SQ_ERROR : 1;
}

SQInteger run_script(HSQUIRRELVM vm) {
    const SQChar* path = nullptr;
    if (!read_path_argument(vm, path))
        return sq_throwerror(vm, "Expecting string.");
    const SQInteger extra_arguments = sq_gettop(vm) - 2;
    return SQ_FAILED(g_script_host->run_script(path, 3, extra_arguments)) ? SQ_ERROR : 1;
}

SQInteger get_last_script_compile_error_line(HSQUIRRELVM vm) {
    sq_pushinteger(vm, g_script_host->compile_error_line());
    return 1;
}

SQInteger get_last_script_compile_error_column(HSQUIRRELVM vm) {
    sq_pushinteger(vm, g_script_host->compile_error_column());
    return 1;
}

void bind_system_functions(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    const SQInteger system = g_system_namespace.push(vm);
    bind_function(vm, system, "request_quit", request_quit);
    bind_function(vm, system, "load_script", load_script);
    bind_function(vm, system, "run_script", run_script);
    bind_function(vm, system, "get_last_script_compile_error_line_numer", get_last_script_compile_error_line);
    bind_function(vm, system, "get_last_script_compile_error_column_numer", get_last_script_compile_error_column);
    sq_settop(vm, top);
}

const ScriptBindingUnit g_system_functions(bind_system_functions);

}  // namespace

}  // namespace me
