// Embedding API: reading and writing slots, arrays, delegates, iteration.
#include <algorithm>
#include <new>

#include "aapi.h"

namespace {

// Copies of the container at `idx` and of the `n` values on top, taken
// before the operation so that it may freely change the stack.
struct SlotOperands {
    SQValue self;
    SQValue args[3];
};

bool take_operands(SQVM *v, SQInteger idx, SQInteger n, SlotOperands &ops) {
    if (!api_slot(v, idx)) {
        api_error(v, "invalid stack index");
        return false;
    }
    if (!api_need(v, n + 1)) return false;
    ops.self = api_value(v, idx);
    for (SQInteger i = 0; i < n; ++i) ops.args[i] = api_value(v, i - n);
    return true;
}

SQRESULT slot_get(SQVM *v, SQInteger idx, bool raw) {
    SlotOperands ops;
    if (!take_operands(v, idx, 1, ops)) return SQ_ERROR;
    SQValue result;
    bool ok = v->get(ops.self, ops.args[0], result, raw);
    v->pop(1);
    if (!ok) return SQ_ERROR;
    v->push(result);
    return SQ_OK;
}

SQRESULT slot_set(SQVM *v, SQInteger idx, bool raw) {
    SlotOperands ops;
    if (!take_operands(v, idx, 2, ops)) return SQ_ERROR;
    v->pop(2);
    if (ops.args[0].is_null()) return api_error(v, "null key");
    return v->set(ops.self, ops.args[0], ops.args[1], raw) ? SQ_OK : SQ_ERROR;
}

SQRESULT slot_delete(SQVM *v, SQInteger idx, SQBool pushval, bool raw) {
    SlotOperands ops;
    if (!take_operands(v, idx, 1, ops)) return SQ_ERROR;
    v->pop(1);
    SQValue removed;
    if (!v->delete_slot(ops.self, ops.args[0], removed, raw)) return SQ_ERROR;
    if (pushval) v->push(removed);
    return SQ_OK;
}

SQRESULT class_newmember(SQVM *v, SQInteger idx, SQBool bstatic, bool raw) {
    SlotOperands ops;
    if (!take_operands(v, idx, 3, ops)) return SQ_ERROR;
    if (ops.self._type != OT_CLASS) return api_error(v, "new member only works with classes");
    v->pop(3);
    if (ops.args[0].is_null()) return api_error(v, "null key");
    return v->newmember(ops.self, ops.args[0], ops.args[1], ops.args[2], bstatic != 0, raw) ? SQ_OK : SQ_ERROR;
}

SQArray *array_at(SQVM *v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_ARRAY);
    return o ? sq_array(*o) : nullptr;
}

}  // namespace

void sq_pushroottable(HSQUIRRELVM v) { api_push(v, v->roottable); }
void sq_pushregistrytable(HSQUIRRELVM v) { api_push(v, v->ss->registry); }
void sq_pushconsttable(HSQUIRRELVM v) { api_push(v, v->ss->consttable); }

SQRESULT sq_setroottable(HSQUIRRELVM v) {
    if (!api_need(v, 1)) return SQ_ERROR;
    const SQValue &t = api_value(v, -1);
    if (t._type != OT_TABLE && t._type != OT_NULL) return api_error(v, "invalid type");
    v->roottable = t;
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_setconsttable(HSQUIRRELVM v) {
    if (!api_need(v, 1)) return SQ_ERROR;
    const SQValue &t = api_value(v, -1);
    if (t._type != OT_TABLE) return api_error(v, "invalid type, expected table");
    v->ss->consttable = t;
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) {
    SlotOperands ops;
    if (!take_operands(v, idx, 2, ops)) return SQ_ERROR;
    v->pop(2);
    if (ops.args[0].is_null()) return api_error(v, "null is not a valid key");
    return v->newslot(ops.self, ops.args[0], ops.args[1], bstatic != 0) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) { return slot_delete(v, idx, pushval, false); }
SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) { return slot_delete(v, idx, pushval, true); }
SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx) { return slot_set(v, idx, false); }
SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx) { return slot_set(v, idx, true); }
SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx) { return slot_get(v, idx, false); }
SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx) { return slot_get(v, idx, true); }
SQRESULT sq_newmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) { return class_newmember(v, idx, bstatic, false); }
SQRESULT sq_rawnewmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) { return class_newmember(v, idx, bstatic, true); }

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx) {
    SQArray *a = array_at(v, idx);
    if (!a || !api_need(v, 2)) return SQ_ERROR;
    try {
        a->values.push_back(api_value(v, -1));
    } catch (const std::bad_alloc &) {
        return api_error(v, "out of memory");
    }
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    SQArray *a = array_at(v, idx);
    if (!a) return SQ_ERROR;
    if (a->values.empty()) return api_error(v, "empty array");
    SQValue last = std::move(a->values.back());
    a->values.pop_back();
    if (pushval) return api_push(v, last) ? SQ_OK : SQ_ERROR;
    return SQ_OK;
}

SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize) {
    SQArray *a = array_at(v, idx);
    if (!a) return SQ_ERROR;
    if (newsize < 0) return api_error(v, "negative size");
    if (newsize > kMaxHostSize) return api_error(v, "array too large");
    std::vector<SQValue> dropped;
    if (newsize < a->size()) dropped.assign(std::make_move_iterator(a->values.begin() + newsize),
                                            std::make_move_iterator(a->values.end()));
    a->values.resize(static_cast<size_t>(newsize));
    return SQ_OK;
}

SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx) {
    SQArray *a = array_at(v, idx);
    if (!a) return SQ_ERROR;
    std::reverse(a->values.begin(), a->values.end());
    return SQ_OK;
}

SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx) {
    SQArray *a = array_at(v, idx);
    if (!a) return SQ_ERROR;
    if (itemidx < 0 || itemidx >= a->size()) return api_error(v, "index out of range");
    SQValue removed = std::move(a->values[static_cast<size_t>(itemidx)]);
    a->values.erase(a->values.begin() + itemidx);
    return SQ_OK;
}

SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos) {
    SQArray *a = array_at(v, idx);
    if (!a || !api_need(v, 2)) return SQ_ERROR;
    if (destpos < 0 || destpos > a->size()) return api_error(v, "index out of range");
    try {
        a->values.insert(a->values.begin() + destpos, api_value(v, -1));
    } catch (const std::bad_alloc &) {
        return api_error(v, "out of memory");
    }
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &self = api_value(v, idx);
    if (self._type != OT_TABLE && self._type != OT_USERDATA) return api_error(v, "only tables and user data can have a delegate");
    if (!api_need(v, 2)) return SQ_ERROR;
    const SQValue &d = api_value(v, -1);
    if (d._type != OT_TABLE && d._type != OT_NULL) return api_error(v, "invalid delegate type");
    SQDelegable *target = static_cast<SQDelegable *>(self._unVal.pRefCounted);
    if (!target->set_delegate(d._type == OT_TABLE ? sq_table(d) : nullptr)) return api_error(v, "delegate cycle detected");
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &self = api_value(v, idx);
    if (self._type != OT_TABLE && self._type != OT_USERDATA) return api_error(v, "wrong type");
    SQTable *d = static_cast<SQDelegable *>(self._unVal.pRefCounted)->delegate;
    return api_push(v, d ? SQValue(d) : SQValue()) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx) {
    if (!api_slot(v, idx)) return api_error(v, "invalid stack index");
    SQValue copy;
    if (!v->clone(SQValue(api_value(v, idx)), copy)) return SQ_ERROR;
    return api_push(v, copy) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
    const SQValue &fn = api_value(v, idx);
    if (!api_need(v, 2)) return SQ_ERROR;
    SQValue value = api_value(v, -1);
    if (fn._type == OT_CLOSURE) {
        SQClosure *c = sq_closure(fn);
        if (nval >= c->outers.size() || c->outers[nval]._type != OT_OUTER) return api_error(v, "invalid free var index");
        sq_outer(c->outers[nval])->ref() = value;
    } else if (fn._type == OT_NATIVECLOSURE) {
        SQNativeClosure *c = sq_nclosure(fn);
        if (nval >= c->outers.size()) return api_error(v, "invalid free var index");
        c->outers[nval] = value;
    } else {
        return api_error(v, "the object is not a closure");
    }
    v->pop(1);
    return SQ_OK;
}

const SQChar *sq_getfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
    const SQValue &fn = api_value(v, idx);
    if (fn._type == OT_CLOSURE) {
        SQClosure *c = sq_closure(fn);
        if (nval >= c->outers.size() || c->outers[nval]._type != OT_OUTER) return nullptr;
        const char *name = sq_str(c->fn()->outers[nval].name)->data;
        return api_push(v, SQValue(sq_outer(c->outers[nval])->ref())) ? name : nullptr;
    }
    if (fn._type == OT_NATIVECLOSURE) {
        SQNativeClosure *c = sq_nclosure(fn);
        if (nval >= c->outers.size()) return nullptr;
        return api_push(v, c->outers[nval]) ? "@NATIVE" : nullptr;
    }
    return nullptr;
}

SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx) {
    if (!api_slot(v, idx) || !api_need(v, 2)) return SQ_ERROR;
    SQValue self = api_value(v, idx), iter = api_value(v, -1), key, val;
    if (self._type == OT_GENERATOR) return api_error(v, "cannot iterate a generator");
    if (v->iterate(self, iter, key, val) != 1) return SQ_ERROR;
    if (v->stack_room() < 2) return api_error(v, "stack overflow");
    *api_slot(v, -1) = iter;
    v->push(key);
    v->push(val);
    return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_TABLE) {
        sq_table(o)->clear();
    } else if (o._type == OT_ARRAY) {
        sq_array(o)->clear_refs();
    } else {
        return api_error(v, "clear only works on table and array");
    }
    return SQ_OK;
}
