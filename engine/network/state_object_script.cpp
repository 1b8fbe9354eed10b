#include "network/state_manager.h"
#include "network/state_object.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

SQInteger construct(HSQUIRRELVM vm) {
    const SQInteger constructed = construct_bound_object<StateObject>(vm);
    if (SQ_FAILED(constructed))
        return constructed;
    NativeArguments arguments(vm);
    StateObject* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    object->attach_instance(vm, 1);
    return 0;
}

SQInteger is_static(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    StateObject* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    const StateClassInfo* info =
        g_state_manager != nullptr && object->is_registered() ? &g_state_manager->class_info(object->class_index())
                                                              : nullptr;
    sq_pushbool(vm, info != nullptr && info->is_static ? SQTrue : SQFalse);
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct, 1, "x"},
    {"is_static", is_static, 1, "x"},
};

const NativeClassBinding g_state_object_binding(StateObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
