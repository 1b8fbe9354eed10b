#include "script/bind_class.h"

#include <string>

#include "core/fatal_error.h"
#include "core/log.h"

namespace me {

void fail_binding_call(const char* call) {
    const std::string message = std::string(call) + " unpexpectly failed.";
    log_error(message);
    fatal_error(message);
}

HSQOBJECT bind_class(HSQUIRRELVM vm, SQInteger container_index, const ClassRecord& record, const HSQOBJECT* base,
                     SQInteger user_data_size, std::span<const MethodBinding> methods) {
    const SQInteger container = container_index < 0 ? sq_gettop(vm) + container_index + 1 : container_index;
    const SQInteger top = sq_gettop(vm);
    sq_push(vm, container);
    sq_pushstring(vm, record.name, -1);
    if (base != nullptr)
        sq_pushobject(vm, *base);
    if (SQ_FAILED(sq_newclass(vm, base != nullptr ? SQTrue : SQFalse)))
        fail_binding_call("sq_newclass( v, has_base )");
    if (SQ_FAILED(sq_settypetag(vm, top + 3, record.type_tag())))
        fail_binding_call("sq_settypetag( v, top + 3, type_tag )");
    if (SQ_FAILED(sq_setclassudsize(vm, top + 3, user_data_size)))
        fail_binding_call("sq_setclassudsize( v, top + 3, udsize )");
    for (const MethodBinding& method : methods)
        bind_function(vm, top + 3, method.name, method.function, method.parameter_count, method.type_mask);
    HSQOBJECT class_object;
    sq_resetobject(&class_object);
    sq_getstackobj(vm, top + 3, &class_object);
    sq_addref(vm, &class_object);
    if (SQ_FAILED(sq_newslot(vm, top + 1, SQFalse)))
        fail_binding_call("sq_newslot( v, top + 1, SQFalse )");
    sq_settop(vm, top);
    return class_object;
}

}  // namespace me
