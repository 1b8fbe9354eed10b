#include "resources/resource_object.h"
#include "script/bind_class.h"

namespace me {

namespace {

// Scripts only construct empty resources, so that their classes can derive
// from ResourceObject.
constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ResourceObject>, 1, "x"},
};

void bind_resource_object(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    HSQOBJECT bound = bind_class(vm, -1, ResourceObject::kClassRecord, nullptr, 0, kMethods);
    sq_release(vm, &bound);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_resource_object_binding(bind_resource_object);

}  // namespace

}  // namespace me
