// Embedding API: the value stack, pushing and reading values.
#include <cmath>
#include <limits>
#include "aapi.h"

SQRESULT api_error(SQVM *v, const char *msg) {
    v->lasterror = SQValue(SQString::create(v->ss, msg));
    return SQ_ERROR;
}

const SQValue *api_typed(SQVM *v, SQInteger idx, SQObjectType t) {
    const SQValue *slot = api_slot(v, idx);
    if (!slot) {
        api_error(v, "invalid stack index");
        return nullptr;
    }
    if (slot->_type != t) {
        char msg[96];
        std::snprintf(msg, sizeof msg, "wrong argument type, expected '%s'", sq_typename(t));
        api_error(v, msg);
        return nullptr;
    }
    return slot;
}

bool api_need(SQVM *v, SQInteger n) {
    if (api_frame_size(v) >= n) return true;
    api_error(v, "not enough values on the stack");
    return false;
}

void sq_push(HSQUIRRELVM v, SQInteger idx) { api_push(v, SQValue(api_value(v, idx))); }

void sq_pop(HSQUIRRELVM v, SQInteger n) { v->pop(std::min(n, api_frame_size(v))); }

void sq_poptop(HSQUIRRELVM v) { sq_pop(v, 1); }

void sq_remove(HSQUIRRELVM v, SQInteger idx) {
    SQValue *slot = api_slot(v, idx);
    if (!slot) return;
    SQValue removed = std::move(*slot);
    for (SQValue *p = slot; p + 1 < v->stack.data() + v->top; ++p) *p = std::move(*(p + 1));
    --v->top;
}

SQInteger sq_gettop(HSQUIRRELVM v) { return api_frame_size(v); }

void sq_settop(HSQUIRRELVM v, SQInteger newtop) {
    if (newtop < 0) newtop = 0;
    SQInteger size = api_frame_size(v);
    if (newtop < size) {
        v->pop(size - newtop);
        return;
    }
    for (; size < newtop && v->stack_room() > 0; ++size) v->push(SQValue());
}

SQRESULT sq_reservestack(HSQUIRRELVM v, SQInteger nsize) {
    if (nsize < 0 || v->stack_room() < nsize || !v->grow_stack(v->top + nsize)) return api_error(v, "stack overflow");
    return SQ_OK;
}

SQInteger sq_cmp(HSQUIRRELVM v) {
    SQInteger result = 0;
    if (api_frame_size(v) >= 2) v->compare(api_value(v, -2), api_value(v, -1), result);
    return result;
}

void sq_move(HSQUIRRELVM dest, HSQUIRRELVM src, SQInteger idx) { api_push(dest, SQValue(api_value(src, idx))); }

void sq_pushstring(HSQUIRRELVM v, const SQChar *s, SQInteger len) {
    if (!s) {
        api_push(v, SQValue());
        return;
    }
    api_push(v, SQValue(SQString::create(v->ss, s, len)));
}

void sq_pushfloat(HSQUIRRELVM v, SQFloat f) { api_push(v, SQValue(f)); }
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) { api_push(v, SQValue(n)); }
void sq_pushbool(HSQUIRRELVM v, SQBool b) { api_push(v, SQValue::boolean(b != 0)); }
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) { api_push(v, SQValue::userpointer(p)); }
void sq_pushnull(HSQUIRRELVM v) { api_push(v, SQValue()); }
void sq_pushthread(HSQUIRRELVM v, HSQUIRRELVM thread) { api_push(v, SQValue(thread)); }
void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) { api_push(v, SQValue(obj)); }

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) { return api_value(v, idx)._type; }

SQRESULT sq_getstringandsize(HSQUIRRELVM v, SQInteger idx, const SQChar **c, SQInteger *size) {
    const SQValue *o = api_typed(v, idx, OT_STRING);
    if (!o) return SQ_ERROR;
    if (c) *c = sq_str(*o)->data;
    if (size) *size = sq_str(*o)->len;
    return SQ_OK;
}

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar **c) { return sq_getstringandsize(v, idx, c, nullptr); }

// A float outside the integer range converts to the nearest end of it and
// NaN to 0, where a plain cast would be undefined.
static SQInteger saturated_integer(SQFloat f) {
    constexpr double lowest = static_cast<double>(std::numeric_limits<SQInteger>::min());
    const double d = static_cast<double>(f);
    if (std::isnan(d)) return 0;
    if (d <= lowest) return std::numeric_limits<SQInteger>::min();
    if (d >= -lowest) return std::numeric_limits<SQInteger>::max();
    return static_cast<SQInteger>(d);
}

SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger *i) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_INTEGER) {
        if (i) *i = sq_int(o);
        return SQ_OK;
    }
    if (o._type == OT_FLOAT) {
        if (i) *i = saturated_integer(sq_float(o));
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat *f) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_FLOAT) {
        if (f) *f = sq_float(o);
        return SQ_OK;
    }
    if (o._type == OT_INTEGER) {
        if (f) *f = static_cast<SQFloat>(sq_int(o));
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool *b) {
    const SQValue &o = api_value(v, idx);
    if (o._type != OT_BOOL) return SQ_ERROR;
    if (b) *b = sq_int(o) != 0;
    return SQ_OK;
}

SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM *thread) {
    const SQValue *o = api_typed(v, idx, OT_THREAD);
    if (!o) return SQ_ERROR;
    if (thread) *thread = sq_thread(*o);
    return SQ_OK;
}

SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p) {
    const SQValue *o = api_typed(v, idx, OT_USERPOINTER);
    if (!o) return SQ_ERROR;
    if (p) *p = o->_unVal.pUserPointer;
    return SQ_OK;
}

void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool *b) {
    if (b) *b = sq_isfalse(api_value(v, idx)) ? SQFalse : SQTrue;
}

SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx) {
    SQValue result;
    if (!api_slot(v, idx)) return api_error(v, "invalid stack index");
    if (!v->tostring(SQValue(api_value(v, idx)), result)) return SQ_ERROR;
    return api_push(v, result) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_typeof(HSQUIRRELVM v, SQInteger idx) {
    SQValue result;
    if (!api_slot(v, idx)) return api_error(v, "invalid stack index");
    if (!v->type_of(SQValue(api_value(v, idx)), result)) return SQ_ERROR;
    return api_push(v, result) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT *po) {
    const SQValue *slot = api_slot(v, idx);
    if (!slot) return api_error(v, "invalid stack index");
    if (po) *po = *slot;
    return SQ_OK;
}

SQChar *sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize) {
    size_t want = static_cast<size_t>(std::max<SQInteger>(minsize, 0)) + 1;
    if (v->ss->scratchpad.size() < want) v->ss->scratchpad.resize(std::max(want, v->ss->scratchpad.size() * 2));
    return v->ss->scratchpad.data();
}
