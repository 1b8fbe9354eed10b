#include "ui/widget_callbacks.h"

#include "script/script_host.h"

namespace me::simpleui {

namespace widget_callbacks {
InternedName on_key_down("on_key_down", 100);
InternedName on_key_up("on_key_up", 101);
InternedName on_hovered("on_hovered", 102);
InternedName on_update("on_update", 103);
}  // namespace widget_callbacks

namespace {

void push_name(HSQUIRRELVM vm, const InternedName& name) {
    if (g_name_table != nullptr && name.index() >= 0)
        g_name_table->push(vm, name);
    else
        sq_pushstring(vm, name.name(), -1);
}

bool is_callable(SQObjectType type) { return type == OT_CLOSURE || type == OT_NATIVECLOSURE; }

}  // namespace

bool call_widget_callback(GameObject& object, const InternedName& name,
                          std::initializer_list<ScriptArgument> arguments) {
    if (g_script_host == nullptr || !object.ownership().is_bound())
        return false;
    HSQUIRRELVM vm = g_script_host->vm();
    const SQInteger top = sq_gettop(vm);
    object.ownership().push_instance(vm);
    push_name(vm, name);
    if (SQ_FAILED(sq_get(vm, -2)) || !is_callable(sq_gettype(vm, -1))) {
        sq_settop(vm, top);
        return false;
    }
    // Called straight from the stack: a handle on the method would cost an
    // allocation per callback.
    object.ownership().push_instance(vm);
    for (const ScriptArgument& argument : arguments)
        push_argument(vm, argument);
    g_script_host->call_pushed(static_cast<SQInteger>(arguments.size()));
    sq_settop(vm, top);
    return true;
}

}  // namespace me::simpleui
