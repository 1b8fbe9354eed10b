// Built-in methods of integers, floats and bools.
#include "abaselib.h"
#include "adelegate_common.h"

static SQInteger number_tofloat(HSQUIRRELVM v) {
    const SQValue &self = sq_arg(v, 1);
    const SQFloat f = self._type == OT_FLOAT ? sq_float(self) : static_cast<SQFloat>(sq_int(self));
    sq_pushfloat(v, f);
    return 1;
}

static SQInteger number_tointeger(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_arg_integer(v, 1));
    return 1;
}

static SQInteger number_tochar(HSQUIRRELVM v) {
    const char c = static_cast<char>(sq_arg_integer(v, 1));
    sq_pushstring(v, &c, 1);
    return 1;
}

const SQRegFunction sq_number_delegate_funcs[] = {
    {"tofloat", number_tofloat, 1, "n|b"},
    {"tostring", sq_delegate_tostring, 1, "n|b"},
    {"tointeger", number_tointeger, 1, "n|b"},
    {"tochar", number_tochar, 1, "n|b"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
