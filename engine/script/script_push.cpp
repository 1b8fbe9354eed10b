#include "script/script_push.h"

namespace me {

void push_float_array(HSQUIRRELVM vm, std::initializer_list<float> values) {
    sq_newarray(vm, 0);
    for (float value : values) {
        sq_pushfloat(vm, value);
        sq_arrayappend(vm, -2);
    }
}

void push_new_instance(HSQUIRRELVM vm, const ClassRecord& record) {
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, record.name, -1);
    if (SQ_FAILED(sq_get(vm, top + 1)))
        fail_binding_call("sq_get( v, top + 1 )");
    if (SQ_FAILED(sq_createinstance(vm, top + 2)))
        fail_binding_call("sq_createinstance( v, top + 2 )");
    sq_remove(vm, top + 1);
    sq_remove(vm, top + 1);
}

}  // namespace me
