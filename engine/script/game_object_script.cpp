#include "script/bind_class.h"
#include "script/game_object.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

// Called as GameObject.set_owner(object, owner); a null owner detaches.
SQInteger set_owner(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    GameObject* object = nullptr;
    GameObject* owner = nullptr;
    if (!arguments.instance(2, object) || !arguments.instance(3, owner, true))
        return arguments.fail();
    object->set_owner(owner);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<GameObject>, 1, "x"},
    {"set_owner", set_owner},
};

const NativeClassBinding g_game_object_binding(GameObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
