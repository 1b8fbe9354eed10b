#include "script/instance_method_call.h"

#include "script/script_host.h"

namespace me {

namespace {

void push_name(HSQUIRRELVM vm, const InternedName& name) {
    if (g_name_table != nullptr && name.index() >= 0)
        g_name_table->push(vm, name);
    else
        sq_pushstring(vm, name.name(), -1);
}

bool is_callable(SQObjectType type) { return type == OT_CLOSURE || type == OT_NATIVECLOSURE; }

}  // namespace

InstanceMethodCall call_instance_method(GameObject& object, const InternedName& name,
                                        std::initializer_list<ScriptArgument> arguments, ScriptObject* result) {
    if (g_script_host == nullptr || !object.ownership().is_bound())
        return InstanceMethodCall::NotCalled;
    HSQUIRRELVM vm = g_script_host->vm();
    const SQInteger top = sq_gettop(vm);
    object.ownership().push_instance(vm);
    push_name(vm, name);
    if (SQ_FAILED(sq_get(vm, -2))) {
        sq_settop(vm, top);
        return InstanceMethodCall::MissingMethod;
    }
    if (!is_callable(sq_gettype(vm, -1))) {
        sq_settop(vm, top);
        return InstanceMethodCall::NotCalled;
    }
    // Called straight from the stack: a handle on the method would cost an
    // allocation per callback.
    object.ownership().push_instance(vm);
    for (const ScriptArgument& argument : arguments)
        push_argument(vm, argument);
    g_script_host->call_pushed(static_cast<SQInteger>(arguments.size()), result);
    sq_settop(vm, top);
    return InstanceMethodCall::Called;
}

}  // namespace me
