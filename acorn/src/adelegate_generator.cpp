// Built-in methods of generators.
#include "abaselib.h"
#include "adelegate_common.h"
#include "agenerator.h"

static SQInteger generator_getstatus(HSQUIRRELVM v) {
    sq_pushstring(v, sq_generator(sq_arg(v, 1))->status_name(), -1);
    return 1;
}

const SQRegFunction sq_generator_delegate_funcs[] = {
    {"getstatus", generator_getstatus, 1, "g"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
