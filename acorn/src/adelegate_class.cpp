// Built-in methods of classes and of their instances.
#include "abaselib.h"
#include "adelegate_common.h"

static SQInteger class_instance(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_createinstance(v, 1))) return SQ_ERROR;
    return 1;
}

static SQInteger class_getattributes(HSQUIRRELVM v) {
    sq_push(v, 2);
    if (SQ_FAILED(sq_getattributes(v, 1))) return SQ_ERROR;
    return 1;
}

static SQInteger class_setattributes(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_push(v, 3);
    if (SQ_FAILED(sq_setattributes(v, 1))) return SQ_ERROR;
    return 1;
}

// newmember(key, value, [attributes, [static]]): the optional arguments
// default to null and false.
static SQInteger add_member(HSQUIRRELVM v, SQRESULT (*add)(HSQUIRRELVM, SQInteger, SQBool)) {
    const SQInteger top = sq_gettop(v);
    sq_push(v, 2);
    sq_push(v, 3);
    if (top >= 4) {
        sq_push(v, 4);
    } else {
        sq_pushnull(v);
    }
    const SQBool bstatic = top >= 5 && !sq_isfalse(sq_arg(v, 5)) ? SQTrue : SQFalse;
    if (SQ_FAILED(add(v, 1, bstatic))) return SQ_ERROR;
    return 0;
}

static SQInteger class_newmember(HSQUIRRELVM v) { return add_member(v, sq_newmember); }
static SQInteger class_rawnewmember(HSQUIRRELVM v) { return add_member(v, sq_rawnewmember); }

static SQInteger class_getbase(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_getbase(v, 1))) return SQ_ERROR;
    return 1;
}

static SQInteger instance_getclass(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_getclass(v, 1))) return SQ_ERROR;
    return 1;
}

const SQRegFunction sq_class_delegate_funcs[] = {
    {"getattributes", class_getattributes, 2, "y"},
    {"setattributes", class_setattributes, 3, "y"},
    {"rawget", sq_delegate_rawget, 2, "y"},
    {"rawset", sq_delegate_rawset, 3, "y"},
    {"rawin", sq_delegate_rawin, 2, "y"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {"instance", class_instance, 1, "y"},
    {"getbase", class_getbase, 1, "y"},
    {"newmember", class_newmember, -3, "y"},
    {"rawnewmember", class_rawnewmember, -3, "y"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction sq_instance_delegate_funcs[] = {
    {"getclass", instance_getclass, 1, "x"},
    {"rawget", sq_delegate_rawget, 2, "x"},
    {"rawset", sq_delegate_rawset, 3, "x"},
    {"rawin", sq_delegate_rawin, 2, "x"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
