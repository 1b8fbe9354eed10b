#include "scene/scene_callbacks.h"

#include "scene/scene_object.h"
#include "script/script_host.h"
#include "script/script_push.h"

namespace me {

bool has_script_instance(SceneObject& object) { return object.ownership().is_bound(); }

bool call_scene_callback(SceneObject& object, const char* name, SceneObject* other) {
    if (g_script_host == nullptr || !has_script_instance(object))
        return false;
    HSQUIRRELVM vm = g_script_host->vm();
    const SQInteger top = sq_gettop(vm);
    object.ownership().push_instance(vm);
    const ScriptObject self(vm, -1);
    sq_pushstring(vm, name, -1);
    if (SQ_FAILED(sq_get(vm, -2)) || (sq_gettype(vm, -1) != OT_CLOSURE && sq_gettype(vm, -1) != OT_NATIVECLOSURE)) {
        sq_settop(vm, top);
        return false;
    }
    const ScriptObject method(vm, -1);
    ScriptObject argument;
    if (other != nullptr) {
        push_object<EngineObject>(vm, other);
        argument = ScriptObject(vm, -1);
    }
    sq_settop(vm, top);
    if (other != nullptr)
        g_script_host->call(method, self, {argument});
    else
        g_script_host->call(method, self);
    return true;
}

}  // namespace me
