#include "adelegate_common.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

SQInteger sq_float_to_integer(SQFloat f) {
    constexpr double lowest = static_cast<double>(std::numeric_limits<SQInteger>::min());
    constexpr double beyond_highest = -lowest;
    const double d = static_cast<double>(f);
    if (std::isnan(d) || d <= lowest - 1.0 || d >= beyond_highest) return std::numeric_limits<SQInteger>::min();
    return static_cast<SQInteger>(d);
}

SQInteger sq_arg_integer(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = sq_arg(v, idx);
    if (o._type == OT_FLOAT) return sq_float_to_integer(sq_float(o));
    return sq_int(o);
}

SQInteger sq_return(HSQUIRRELVM v, const SQObject &o) {
    sq_pushobject(v, o);
    return 1;
}

SQValue sq_make_string(HSQUIRRELVM v, const char *s, SQInteger len) { return SQValue(SQString::create(v->ss, s, len)); }

void sq_table_put(HSQUIRRELVM v, SQTable *t, const char *key, const SQObject &val) {
    t->newslot(sq_make_string(v, key), val);
}

// Raises `msg` as the script error; false, for the callers to return.
static bool fail(HSQUIRRELVM v, const char *msg) {
    sq_throwerror(v, msg);
    return false;
}

bool sq_resize_values(HSQUIRRELVM v, ReallocVector<SQValue> &items, SQInteger size, const SQObject &fill) {
    if (size < 0) return fail(v, "negative size");
    if (size > SQ_MAX_ARRAY_LENGTH) return fail(v, "array too large");
    try {
        items.resize(static_cast<size_t>(size), SQValue(fill));
    } catch (const std::bad_alloc &) {
        return fail(v, "out of memory");
    }
    return true;
}

bool sq_resolve_range(HSQUIRRELVM v, SQInteger first, SQInteger len, SQInteger &start, SQInteger &end) {
    const SQInteger top = sq_gettop(v);
    start = top >= first ? sq_arg_integer(v, first) : 0;
    end = top > first ? sq_arg_integer(v, first + 1) : len;
    if (start < 0) start += len;
    if (end < 0) end += len;
    if (start > end) return fail(v, "wrong indexes");
    if (start < 0 || end > len) return fail(v, "slice out of range");
    return true;
}

bool sq_call_with(HSQUIRRELVM v, const SQObject &fn, std::initializer_list<SQObject> args, SQValue &result) {
    const auto nargs = static_cast<SQInteger>(args.size());
    if (SQ_FAILED(sq_reservestack(v, nargs))) return false;
    const SQInteger argbase = v->top;
    // The room is reserved: the arguments go straight into the free slots.
    SQValue *slot = &v->stack[static_cast<size_t>(argbase)];
    for (const SQObject &a : args) *slot++ = a;
    v->top = argbase + nargs;
    const bool ok = v->call(fn, nargs, argbase, result, true);
    v->pop(std::max<SQInteger>(v->top - argbase, 0));
    return ok;
}

SQInteger sq_callback_arity(const SQObject &fn, SQInteger most) {
    SQInteger declared = most;
    if (fn._type == OT_CLOSURE) {
        const SQFunctionProto *proto = sq_closure(fn)->fn();
        if (!proto->varparams) declared = proto->nparams - 1;
    } else if (fn._type == OT_NATIVECLOSURE) {
        const SQInteger check = sq_nclosure(fn)->nparamscheck;
        if (check > 0) declared = check - 1;
    }
    return std::clamp<SQInteger>(declared, 1, most);
}

static void put_locals(HSQUIRRELVM thread, SQInteger level, HSQUIRRELVM dest, SQTable *locals) {
    for (SQUnsignedInteger seq = 0;; ++seq) {
        const char *name = sq_getlocal(thread, static_cast<SQUnsignedInteger>(level), seq);
        if (!name) break;
        locals->newslot(sq_make_string(dest, name), sq_arg(thread, -1));
        sq_pop(thread, 1);
    }
}

SQInteger sq_push_stackinfos(HSQUIRRELVM thread, SQInteger level, HSQUIRRELVM dest) {
    SQStackInfos si;
    if (level < 0 || SQ_FAILED(sq_stackinfos(thread, level, &si))) {
        sq_pushnull(dest);
        return 1;
    }
    SQValue info(SQTable::create(dest->ss));
    SQValue locals(SQTable::create(dest->ss));
    SQTable *t = sq_table(info);
    sq_table_put(dest, t, "func", sq_make_string(dest, si.funcname ? si.funcname : "unknown"));
    sq_table_put(dest, t, "src", sq_make_string(dest, si.source ? si.source : "NATIVE"));
    sq_table_put(dest, t, "line", SQValue(si.line));
    put_locals(thread, level, dest, sq_table(locals));
    sq_table_put(dest, t, "locals", locals);
    return sq_return(dest, info);
}

SQInteger sq_delegate_weakref(HSQUIRRELVM v) {
    sq_weakref(v, 1);
    return 1;
}

SQInteger sq_delegate_tostring(HSQUIRRELVM v) {
    SQValue s;
    if (!v->tostring(sq_arg(v, 1), s)) return SQ_ERROR;
    return sq_return(v, s);
}

SQInteger sq_delegate_rawget(HSQUIRRELVM v) {
    SQValue val;
    if (!v->get(sq_arg(v, 1), sq_arg(v, 2), val, true, true)) return sq_throwerror(v, "the index doesn't exist");
    return sq_return(v, val);
}

SQInteger sq_delegate_rawset(HSQUIRRELVM v) {
    const SQValue &self = sq_arg(v, 1);
    const bool ok = self._type == OT_INSTANCE ? v->set(self, sq_arg(v, 2), sq_arg(v, 3), true)
                                              : v->newslot(self, sq_arg(v, 2), sq_arg(v, 3), false, true);
    if (!ok) return SQ_ERROR;
    return sq_return(v, self);
}

SQInteger sq_delegate_rawin(HSQUIRRELVM v) {
    SQValue val;
    sq_pushbool(v, v->get(sq_arg(v, 1), sq_arg(v, 2), val, true, true) ? SQTrue : SQFalse);
    return 1;
}
