#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>

#include <cstdarg>
#include <cstdio>

#include "core/fatal_error.h"
#include "core/log.h"
#include "script/script_binding.h"
#include "script/script_host.h"

namespace me {

namespace {

constexpr SQInteger kInitialStackSize = 1024;
constexpr size_t kPrintBufferSize = 1024;

const char* or_unknown(const SQChar* text) { return text != nullptr ? text : "unknown"; }

}  // namespace

void ScriptHost::create_vm() {
    log_info("Initializing squirrel...");
    m_vm = sq_open(kInitialStackSize);
    if (m_vm == nullptr) {
        log_error("Can't initialize squirrel.");
        fatal_error("Can't initialize squirrel.");
    }
    sq_setprintfunc(m_vm, print_line, print_line);
    sq_setcompilererrorhandler(m_vm, on_compile_error);
    sq_newclosure(m_vm, on_runtime_error, 0);
    sq_seterrorhandler(m_vm);
    register_libraries();
    run_script_bindings(m_vm);
    if (g_log != nullptr)
        g_log->set_call_stack_source([this] { return call_stack_text(); });
}

void ScriptHost::register_libraries() {
    const SQInteger top = sq_gettop(m_vm);
    sq_pushroottable(m_vm);
    sqstd_register_mathlib(m_vm);
    sqstd_register_bloblib(m_vm);
    sqstd_register_stringlib(m_vm);
    sqstd_register_systemlib(m_vm);
    sq_settop(m_vm, top);
}

void ScriptHost::intern_names() {
    if (g_name_table == nullptr || g_name_table->intern_all(m_vm))
        return;
    log_error("Can't intern the engine's script names.");
    fatal_error("Can't intern the engine's script names.");
}

void ScriptHost::print_line(HSQUIRRELVM, const SQChar* format, ...) {
    char buffer[kPrintBufferSize];
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (written < 0)
        return;
    log_info(buffer);
}

void ScriptHost::on_compile_error(HSQUIRRELVM, const SQChar* description, const SQChar* source, SQInteger line,
                                  SQInteger column) {
    if (g_script_host == nullptr)
        return;
    ScriptHost& host = *g_script_host;
    host.m_compile_error_source = or_unknown(source);
    host.m_compile_error_message = description != nullptr ? description : "";
    host.m_compile_error_line = static_cast<int>(line);
    host.m_compile_error_column = static_cast<int>(column);
    log_warning(host.compile_error_text());
}

SQInteger ScriptHost::on_runtime_error(HSQUIRRELVM vm) {
    if (g_script_host != nullptr)
        g_script_host->capture_error_location();
    const SQPRINTFUNCTION print = sq_geterrorfunc(vm);
    if (print == nullptr)
        return 0;
    const SQChar* error = nullptr;
    if (sq_gettop(vm) >= 2 && SQ_SUCCEEDED(sq_getstring(vm, 2, &error)))
        print(vm, "\nAN ERROR HAS OCCURED [%s]\n", error);
    else
        print(vm, "\nAN ERROR HAS OCCURED [unknown]\n");
    sqstd_printcallstack(vm);
    return 0;
}

void ScriptHost::capture_error_location() {
    m_error_location_captured = false;
    SQStackInfos info;
    if (SQ_FAILED(sq_stackinfos(m_vm, 1, &info)))
        return;
    m_error_source = or_unknown(info.source);
    m_error_function = or_unknown(info.funcname);
    m_error_line = static_cast<int>(info.line);
    m_error_location_captured = true;
}

}  // namespace me
