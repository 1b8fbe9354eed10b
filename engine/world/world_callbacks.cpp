#include "world/world_callbacks.h"

#include <array>

#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_push.h"

namespace me {

namespace {

InternedName g_on_move("on_move", 140);
InternedName g_on_collision("on_collision", 141);
InternedName g_on_wall_hit("on_wall_hit", 142);
InternedName g_on_ground_hit("on_ground_hit", 143);
InternedName g_tick("tick", 144);
InternedName g_post_tick("post_tick", 145);
InternedName g_on_clip_end("on_clip_end", 146);
InternedName g_added_to_room("added_to_room", 147);
InternedName g_removed_from_room("removed_from_room", 148);
InternedName g_entity_added("entity_added", 149);
InternedName g_entity_removed("entity_removed", 150);

// In the order of WorldCallback.
const std::array<const InternedName*, 11> kNames{
    &g_on_move,      &g_on_collision,       &g_on_wall_hit,    &g_on_ground_hit,
    &g_tick,         &g_post_tick,          &g_on_clip_end,    &g_added_to_room,
    &g_removed_from_room, &g_entity_added, &g_entity_removed,
};

void push_name(HSQUIRRELVM vm, const InternedName& name) {
    if (g_name_table != nullptr && name.index() >= 0)
        g_name_table->push(vm, name);
    else
        sq_pushstring(vm, name.name(), -1);
}

bool is_callable(SQObjectType type) { return type == OT_CLOSURE || type == OT_NATIVECLOSURE; }

}  // namespace

bool WorldCallbacks::call(GameObject& object, WorldCallback which, std::initializer_list<ScriptArgument> arguments,
                          ScriptObject* result) {
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
    g_script_host->call_pushed(static_cast<SQInteger>(arguments.size()), result);
    sq_settop(vm, top);
    return true;
}

ScriptObject script_instance_of(GameObject* object) {
    if (object == nullptr || g_script_host == nullptr)
        return {};
    HSQUIRRELVM vm = g_script_host->vm();
    push_object<GameObject>(vm, object);
    ScriptObject instance(vm, -1);
    sq_pop(vm, 1);
    return instance;
}

bool is_script_true(const ScriptObject& value) {
    const HSQOBJECT& handle = value.handle();
    switch (handle._type) {
    case OT_NULL:
        return false;
    case OT_BOOL:
        return handle._unVal.nInteger != 0;
    case OT_INTEGER:
        return handle._unVal.nInteger != 0;
    case OT_FLOAT:
        return handle._unVal.fFloat != 0;
    default:
        return true;
    }
}

}  // namespace me
