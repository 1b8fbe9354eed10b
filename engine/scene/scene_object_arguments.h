#pragma once

#include <squirrel.h>

#include "core/resource_ref.h"
#include "resources/resource_registry.h"
#include "script/native_class_arguments.h"

namespace me {

class SceneObject;

// Reads the SceneObject a script method is called on into `object`, or
// raises "Expecting SceneObject".
#define SCENE_OBJECT_THIS()                         \
    NativeArguments arguments(vm);                  \
    SceneObject* object = nullptr;                  \
    if (!arguments.instance(1, object))             \
        return arguments.fail()

// Bool, integer or float: anything but zero or false is true.
inline bool read_flag(NativeArguments& arguments, HSQUIRRELVM vm, SQInteger index, bool& value) {
    switch (sq_gettype(vm, index)) {
    case OT_BOOL: {
        SQBool flag = SQFalse;
        sq_getbool(vm, index, &flag);
        value = flag != SQFalse;
        return true;
    }
    case OT_INTEGER:
    case OT_FLOAT: {
        SQFloat number = 0.0f;
        sq_getfloat(vm, index, &number);
        value = number != 0.0f;
        return true;
    }
    default:
        return arguments.refuse("Expecting bool.");
    }
}

// A resource argument: null, a name loaded from the type's defs (null when
// it does not load, which the registry logs), or an instance of the
// resource class T.
template <class T>
bool read_resource(NativeArguments& arguments, HSQUIRRELVM vm, SQInteger index, ResourceType& type,
                   ResourceRef<T>& resource) {
    switch (sq_gettype(vm, index)) {
    case OT_NULL:
        resource.reset();
        return true;
    case OT_STRING: {
        const SQChar* name = nullptr;
        sq_getstring(vm, index, &name);
        resource = load_resource_as<T>(type, name);
        return true;
    }
    case OT_INSTANCE: {
        ResourceObject* object = nullptr;
        if (arguments.instance(index, object) && dynamic_cast<T*>(object) != nullptr) {
            resource = ResourceRef<T>(static_cast<T*>(object));
            return true;
        }
        return arguments.refuse("Expecting resource name or null.");
    }
    default:
        return arguments.refuse("Expecting resource name or null.");
    }
}

}  // namespace me
