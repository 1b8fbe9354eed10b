#include "world/world_callbacks.h"

#include <array>

#include "script/interned_name.h"
#include "script/instance_method_call.h"
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

}  // namespace

bool WorldCallbacks::call(GameObject& object, WorldCallback which, std::initializer_list<ScriptArgument> arguments,
                          ScriptObject* result) {
    if ((m_absent & bit(which)) != 0)
        return false;
    const InstanceMethodCall outcome =
        call_instance_method(object, *kNames[static_cast<size_t>(which)], arguments, result);
    if (outcome == InstanceMethodCall::MissingMethod)
        m_absent |= bit(which);
    return outcome == InstanceMethodCall::Called;
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
