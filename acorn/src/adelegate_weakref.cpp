// Built-in methods of weak references.
#include "abaselib.h"
#include "adelegate_common.h"

// The referenced object, or null once it has been released.
static SQInteger weakref_ref(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_getweakrefval(v, 1))) return SQ_ERROR;
    return 1;
}

const SQRegFunction sq_weakref_delegate_funcs[] = {
    {"ref", weakref_ref, 1, nullptr},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
