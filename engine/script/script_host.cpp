#include "script/script_host.h"

#include "core/fatal_error.h"
#include "core/log.h"
#include "core/message_box.h"
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

}  // namespace me
