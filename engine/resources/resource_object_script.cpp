#include "resources/resource_object.h"

#include "script/bind_class.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

// Scripts only construct empty resources, so that their classes can derive
// from ResourceObject. Declared, so that bound resource classes derive from
// it too.
constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ResourceObject>, 1, "x"},
};

const NativeClassBinding g_resource_object_binding(ResourceObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
