#include "script/script_host.h"

#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/fatal_error.h"
#include "core/log.h"
#include "core/message_box.h"
#include "core/paths.h"
#include "core/std_file.h"
#include "script/script_binding.h"
#include "script/script_root.h"

namespace me {

ScriptHost* g_script_host = nullptr;

ScriptHost::ScriptHost() { g_script_host = this; }

ScriptHost::~ScriptHost() {
    if (g_log != nullptr)
        g_log->set_call_stack_source(nullptr);
    if (m_vm != nullptr)
        sq_close(m_vm);
    if (g_script_host == this)
        g_script_host = nullptr;
}

bool ScriptHost::push_root_member(const InternedName& name) {
    g_script_root->root.push(m_vm);
    if (g_name_table != nullptr && name.index() >= 0)
        g_name_table->push(m_vm, name);
    else
        sq_pushstring(m_vm, name.name(), -1);
    if (SQ_FAILED(sq_get(m_vm, -2)))
        return false;
    return sq_gettype(m_vm, -1) != OT_NULL;
}

bool ScriptHost::call_root(const InternedName& name, std::initializer_list<ScriptArgument> arguments,
                           ScriptObject* result) {
    if (g_script_root == nullptr || g_script_root->root.is_null())
        return false;
    const SQInteger top = sq_gettop(m_vm);
    if (!push_root_member(name)) {
        sq_settop(m_vm, top);
        return false;
    }
    g_script_root->root.push(m_vm);
    for (const ScriptArgument& argument : arguments)
        push_argument(m_vm, argument);
    call_pushed(static_cast<SQInteger>(arguments.size()), result);
    sq_settop(m_vm, top);
    return true;
}

bool ScriptHost::call_root_bool(const InternedName& name, std::initializer_list<ScriptArgument> arguments) {
    if (g_script_root == nullptr || g_script_root->root.is_null())
        return true;
    ScriptObject result;
    if (!call_root(name, arguments, &result)) {
        log_warning(format_message("Failed to call script function %1, behaving as if it returned %2", name.name(), 1));
        return true;
    }
    return sq_objtobool(&result.handle()) != SQFalse;
}

void ScriptHost::call(const ScriptObject& closure, const ScriptObject& self,
                      std::initializer_list<ScriptArgument> arguments, ScriptObject* result) {
    const SQInteger top = sq_gettop(m_vm);
    closure.push(m_vm);
    self.push(m_vm);
    for (const ScriptArgument& argument : arguments)
        push_argument(m_vm, argument);
    call_pushed(static_cast<SQInteger>(arguments.size()), result);
    sq_settop(m_vm, top);
}

void ScriptHost::call_pushed(SQInteger argument_count, ScriptObject* result) {
    const SQBool wants_result = result != nullptr ? SQTrue : SQFalse;
    if (SQ_FAILED(sq_call(m_vm, argument_count + 1, wants_result, SQTrue)))
        fail_callback();
    if (result != nullptr)
        *result = ScriptObject(m_vm, -1);
}

void ScriptHost::fail_callback() {
    const std::string text = last_error_text();
    log_error(text);
    show_error_message_box("Error", text);
    abort_process();
}

std::string ScriptHost::last_error_text() const {
    std::string text = "Unknown error.";
    if (m_vm != nullptr) {
        sq_getlasterror(m_vm);
        const SQChar* error = nullptr;
        if (SQ_SUCCEEDED(sq_getstring(m_vm, -1, &error)))
            text = error;
        sq_pop(m_vm, 1);
    }
    text += "\n";
    if (m_error_location_captured)
        text += format_message("While running %1:%2:%3().", m_error_source, m_error_line, m_error_function);
    return text;
}

std::string ScriptHost::compile_error_text() const {
    return format_message("Compile error in '%1', line %2, column %3: %4.", m_compile_error_source,
                          m_compile_error_line, m_compile_error_column, m_compile_error_message);
}

std::string ScriptHost::call_stack_text() const {
    std::string text = "CALLSTACK";
    if (m_vm == nullptr)
        return text;
    SQStackInfos info;
    for (SQInteger level = 0; SQ_SUCCEEDED(sq_stackinfos(m_vm, level, &info)); ++level) {
        text += format_message("\n*FUNCTION [%1()] %2 line [%3]", info.funcname ? info.funcname : "unknown",
                               info.source ? info.source : "unknown", info.line);
    }
    return text;
}

ScriptObject ScriptHost::run_boot_script() {
    const SQInteger top = sq_gettop(m_vm);
    if (SQ_FAILED(sq_compilebuffer(m_vm, kBootScript, static_cast<SQInteger>(std::strlen(kBootScript)),
                                   kBootSourceName, SQTrue))) {
        log_error(format_message("Error compiling script from source '%1': %2", kBootSourceName,
                                 compile_error_text()));
        fail_boot_script();
    }
    sq_pushroottable(m_vm);
    if (SQ_FAILED(sq_call(m_vm, 1, SQTrue, SQTrue)))
        fail_boot_script();
    ScriptObject root(m_vm, -1);
    sq_settop(m_vm, top);
    return root;
}

void ScriptHost::fail_boot_script() {
    log_error("Error running boot script.");
    show_error_message_box("Error", last_error_text());
    abort_process();
}

namespace {

struct MemoryReader {
    const std::string& bytes;
    size_t position = 0;
};

SQInteger read_from_memory(SQUserPointer reader_pointer, SQUserPointer destination, SQInteger size) {
    auto& reader = *static_cast<MemoryReader*>(reader_pointer);
    if (size <= 0)
        return 0;
    const size_t count = std::min(static_cast<size_t>(size), reader.bytes.size() - reader.position);
    std::memcpy(destination, reader.bytes.data() + reader.position, count);
    reader.position += count;
    return static_cast<SQInteger>(count);
}

}  // namespace

SQRESULT ScriptHost::load_script(std::string_view script_path) {
    const std::string path = paths::resolve_library(script_path, paths::executable_dir());
    std::string text;
    if (StdFile::exists(path) && StdFile::read_whole(path, text))
        return compile_file_text(path, text);
    return read_compiled_closure(path);
}

SQRESULT ScriptHost::compile_file_text(std::string_view path, const std::string& text) {
    const std::string source_name(path);
    if (SQ_SUCCEEDED(sq_compilebuffer(m_vm, text.data(), static_cast<SQInteger>(text.size()), source_name.c_str(),
                                      SQTrue)))
        return SQ_OK;
    return sq_throwerror(m_vm, compile_error_text().c_str());
}

SQRESULT ScriptHost::read_compiled_closure(std::string_view path) {
    std::string bytes;
    if (!StdFile::read_whole(std::string(path) + ".bin", bytes))
        return sq_throwerror(m_vm, format_message("Can't load '%1' file.", path).c_str());
    const SQInteger top = sq_gettop(m_vm);
    MemoryReader reader{bytes};
    if (SQ_SUCCEEDED(sq_readclosure(m_vm, read_from_memory, &reader)))
        return SQ_OK;
    sq_settop(m_vm, top);
    return sq_throwerror(m_vm, format_message("Can't load '%1' binary file.", path).c_str());
}

SQRESULT ScriptHost::run_script(std::string_view path, SQInteger first_extra_argument,
                                SQInteger extra_argument_count) {
    if (SQ_FAILED(load_script(path)))
        return SQ_ERROR;
    sq_pushroottable(m_vm);
    for (SQInteger i = 0; i < extra_argument_count; ++i)
        sq_push(m_vm, first_extra_argument + i);
    return sq_call(m_vm, extra_argument_count + 1, SQTrue, SQTrue);
}

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

namespace root_names {
InternedName preinit("preinit", 0);
InternedName preinit_render("preinit_render", 1);
InternedName init("init", 2);
InternedName update("update", 3);
InternedName render("render", 4);
InternedName key_down("key_down", 5);
InternedName key_up("key_up", 6);
InternedName screen_resolution_changed("screen_resolution_changed", 7);
InternedName application_will_terminate("application_will_terminate", 8);
InternedName shutdown("shutdown", 9);
InternedName handle_game_controller_button("handle_game_controller_button", 10);
}  // namespace root_names

bool call_root_callback(const InternedName& name, std::initializer_list<ScriptArgument> arguments) {
    if (g_script_host == nullptr)
        return false;
    return g_script_host->call_root(name, arguments);
}

}  // namespace me
