#include "script/script_binding.h"

#include <string>

#include "core/fatal_error.h"
#include "core/log.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

constinit ScriptNamespace* g_first_namespace = nullptr;
constinit ScriptBindingUnit* g_first_binding_unit = nullptr;

[[noreturn]] void fail_binding(const char* call) {
    const std::string message = std::string(call) + " unpexpectly failed.";
    log_error(message);
    fatal_error(message);
}

SQInteger absolute_index(HSQUIRRELVM vm, SQInteger index) { return index < 0 ? sq_gettop(vm) + index + 1 : index; }

void create_namespace(HSQUIRRELVM vm, const ScriptNamespace& space) {
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, space.name(), -1);
    sq_newtable(vm);
    if (SQ_FAILED(sq_newslot(vm, top + 1, SQFalse)))
        fail_binding("sq_newslot( v, top + 1, SQFalse )");
    sq_settop(vm, top);
}

}  // namespace

ScriptNamespace::ScriptNamespace(const char* name) : m_name(name), m_next(g_first_namespace) {
    g_first_namespace = this;
}

ScriptNamespace* ScriptNamespace::first() { return g_first_namespace; }

SQInteger ScriptNamespace::push(HSQUIRRELVM vm) const {
    sq_pushroottable(vm);
    sq_pushstring(vm, m_name, -1);
    if (SQ_FAILED(sq_get(vm, -2)))
        sq_pushnull(vm);
    sq_remove(vm, -2);
    return sq_gettop(vm);
}

ScriptBindingUnit::ScriptBindingUnit(BindFunction bind) : m_bind(bind), m_next(g_first_binding_unit) {
    g_first_binding_unit = this;
}

ScriptBindingUnit* ScriptBindingUnit::first() { return g_first_binding_unit; }

void run_script_bindings(HSQUIRRELVM vm) {
    for (const ScriptNamespace* space = ScriptNamespace::first(); space != nullptr; space = space->next())
        create_namespace(vm, *space);
    bind_native_classes(vm);
    for (const ScriptBindingUnit* unit = ScriptBindingUnit::first(); unit != nullptr; unit = unit->next())
        unit->bind(vm);
}

void bind_function(HSQUIRRELVM vm, SQInteger container_index, const char* name, SQFUNCTION function,
                   SQInteger parameter_count, const char* type_mask) {
    const SQInteger container = absolute_index(vm, container_index);
    const SQInteger top = sq_gettop(vm);
    sq_push(vm, container);
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, function, 0);
    if ((parameter_count != 0 || type_mask != nullptr) &&
        SQ_FAILED(sq_setparamscheck(vm, parameter_count, type_mask)))
        fail_binding("sq_setparamscheck( v, num_params_check, params_typemask )");
    if (SQ_FAILED(sq_setnativeclosurename(vm, -1, name)))
        fail_binding("sq_setnativeclosurename( v, -1, name )");
    if (SQ_FAILED(sq_newslot(vm, top + 1, SQFalse)))
        fail_binding("sq_newslot( v, top + 1, SQFalse )");
    sq_settop(vm, top);
}

void bind_constants(HSQUIRRELVM vm, std::span<const ScriptConstant> constants) {
    const SQInteger top = sq_gettop(vm);
    sq_pushconsttable(vm);
    sq_pushroottable(vm);
    for (const SQInteger table : {top + 1, top + 2}) {
        for (const ScriptConstant& constant : constants) {
            sq_pushstring(vm, constant.name.data(), static_cast<SQInteger>(constant.name.size()));
            sq_pushinteger(vm, constant.value);
            if (SQ_FAILED(sq_newslot(vm, table, SQFalse)))
                fail_binding("sq_newslot( v, top + 1, SQFalse )");
        }
    }
    sq_settop(vm, top);
}

}  // namespace me
