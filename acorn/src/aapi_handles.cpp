// Embedding API: host-held object handles and weak references.
#include "aapi.h"

void sq_addref(HSQUIRRELVM v, HSQOBJECT *po) {
    if (!po || !ISREFCOUNTED(po->_type)) return;
    SQSharedState::HandleRef &h = v->ss->handles[po->_unVal.pRefCounted];
    if (h.count++ == 0) h.value = SQValue(*po);
}

SQBool sq_release(HSQUIRRELVM v, HSQOBJECT *po) {
    if (!po || !ISREFCOUNTED(po->_type)) return SQTrue;
    auto it = v->ss->handles.find(po->_unVal.pRefCounted);
    if (it == v->ss->handles.end()) return SQFalse;
    if (--it->second.count > 0) return SQFalse;
    // Erase first: dropping the value can run hooks that take new handles.
    SQValue last = std::move(it->second.value);
    v->ss->handles.erase(it);
    return SQTrue;
}

SQUnsignedInteger sq_getrefcount(HSQUIRRELVM, HSQOBJECT *po) {
    if (!po || !ISREFCOUNTED(po->_type)) return 0;
    return po->_unVal.pRefCounted->refs;
}

SQUnsignedInteger sq_getvmrefcount(HSQUIRRELVM v, const HSQOBJECT *po) {
    if (!po || !ISREFCOUNTED(po->_type)) return 0;
    auto it = v->ss->handles.find(po->_unVal.pRefCounted);
    return it == v->ss->handles.end() ? 0 : it->second.count;
}

void sq_resetobject(HSQOBJECT *po) {
    if (!po) return;
    po->_type = OT_NULL;
    po->_unVal.raw = 0;
}

const SQChar *sq_objtostring(const HSQOBJECT *o) { return o && o->_type == OT_STRING ? sq_str(*o)->data : nullptr; }

SQBool sq_objtobool(const HSQOBJECT *o) { return o && !sq_isfalse(*o) ? SQTrue : SQFalse; }

SQInteger sq_objtointeger(const HSQOBJECT *o) {
    if (!o) return 0;
    if (o->_type == OT_INTEGER) return sq_int(*o);
    if (o->_type == OT_FLOAT) return static_cast<SQInteger>(sq_float(*o));
    return 0;
}

SQFloat sq_objtofloat(const HSQOBJECT *o) {
    if (!o) return 0;
    if (o->_type == OT_FLOAT) return sq_float(*o);
    if (o->_type == OT_INTEGER) return static_cast<SQFloat>(sq_int(*o));
    return 0;
}

SQUserPointer sq_objtouserpointer(const HSQOBJECT *o) {
    return o && o->_type == OT_USERPOINTER ? o->_unVal.pUserPointer : nullptr;
}

SQRESULT sq_getobjtypetag(const HSQOBJECT *o, SQUserPointer *typetag) {
    if (!o || !typetag) return SQ_ERROR;
    switch (o->_type) {
        case OT_USERDATA: *typetag = sq_userdata(*o)->typetag; return SQ_OK;
        case OT_CLASS: *typetag = sq_class(*o)->typetag; return SQ_OK;
        case OT_INSTANCE:
            if (!sq_instance(*o)->cls) return SQ_ERROR;
            *typetag = sq_instance(*o)->cls->typetag;
            return SQ_OK;
        default: return SQ_ERROR;
    }
}

void sq_weakref(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    if (ISREFCOUNTED(o._type))  // a weak reference too gets a weak reference of its own
        api_push(v, SQValue(o._unVal.pRefCounted->get_weakref(o._type)));
    else
        api_push(v, SQValue(o));
}

SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_WEAKREF);
    if (!o) return SQ_ERROR;
    return api_push(v, SQValue(sq_weak(*o)->obj)) ? SQ_OK : SQ_ERROR;
}
