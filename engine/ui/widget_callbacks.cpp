#include "ui/widget_callbacks.h"

#include <array>

#include "script/script_host.h"

namespace me::simpleui {

namespace {

InternedName g_on_key_down("on_key_down", 100);
InternedName g_on_key_up("on_key_up", 101);
InternedName g_on_hovered("on_hovered", 102);
InternedName g_on_update("on_update", 103);

// In the order of WidgetCallback.
const std::array<const InternedName*, 4> kNames{&g_on_key_down, &g_on_key_up, &g_on_hovered, &g_on_update};

void push_name(HSQUIRRELVM vm, const InternedName& name) {
    if (g_name_table != nullptr && name.index() >= 0)
        g_name_table->push(vm, name);
    else
        sq_pushstring(vm, name.name(), -1);
}

bool is_callable(SQObjectType type) { return type == OT_CLOSURE || type == OT_NATIVECLOSURE; }

}  // namespace

bool WidgetCallbacks::call(GameObject& object, WidgetCallback which,
                           std::initializer_list<ScriptArgument> arguments) {
    if (g_script_host == nullptr || !object.ownership().is_bound() || (m_absent & bit(which)) != 0)
        return false;
    HSQUIRRELVM vm = g_script_host->vm();
    const SQInteger top = sq_gettop(vm);
    object.ownership().push_instance(vm);
    push_name(vm, *kNames[static_cast<size_t>(which)]);
    if (SQ_FAILED(sq_get(vm, -2))) {
        m_absent |= bit(which);
        sq_settop(vm, top);
        return false;
    }
    if (!is_callable(sq_gettype(vm, -1))) {
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
