// Embedding API: classes, instances, user data and their native payloads.
#include "aapi.h"

namespace {

// The class of a class or of an instance, for the calls that accept both.
SQClass *class_of(const SQObject &o) {
    if (o._type == OT_CLASS) return sq_class(o);
    if (o._type == OT_INSTANCE) return sq_instance(o)->cls;
    return nullptr;
}

bool tag_in_chain(const SQClass *c, SQUserPointer typetag) {
    for (; c; c = c->base)
        if (c->typetag == typetag) return true;
    return false;
}

}  // namespace

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size) {
    if (size > static_cast<SQUnsignedInteger>(kMaxHostSize)) {
        api_error(v, "user data too large");
        api_push(v, SQValue());
        return nullptr;
    }
    SQUserData *ud = SQUserData::create(v->ss, static_cast<SQInteger>(size));
    SQValue held(ud);
    if (!api_push(v, held)) return nullptr;
    return ud->data;
}

SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p, SQUserPointer *typetag) {
    const SQValue *o = api_typed(v, idx, OT_USERDATA);
    if (!o) return SQ_ERROR;
    if (p) *p = sq_userdata(*o)->data;
    if (typetag) *typetag = sq_userdata(*o)->typetag;
    return SQ_OK;
}

SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_USERDATA)
        sq_userdata(o)->typetag = typetag;
    else if (o._type == OT_CLASS)
        sq_class(o)->typetag = typetag;
    else
        return api_error(v, "invalid object type");
    return SQ_OK;
}

SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer *typetag) {
    if (SQ_FAILED(sq_getobjtypetag(&api_value(v, idx), typetag))) return api_error(v, "invalid object type");
    return SQ_OK;
}

void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_USERDATA) sq_userdata(o)->hook = hook;
    if (o._type == OT_INSTANCE) sq_instance(o)->hook = hook;
    if (o._type == OT_CLASS) sq_class(o)->hook = hook;
}

SQRELEASEHOOK sq_getreleasehook(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_USERDATA) return sq_userdata(o)->hook;
    if (o._type == OT_INSTANCE) return sq_instance(o)->hook;
    if (o._type == OT_CLASS) return sq_class(o)->hook;
    return nullptr;
}

SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p) {
    const SQValue *o = api_typed(v, idx, OT_INSTANCE);
    if (!o) return SQ_ERROR;
    sq_instance(*o)->up = p;
    return SQ_OK;
}

SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p, SQUserPointer typetag) {
    const SQValue &o = api_value(v, idx);
    if (o._type != OT_INSTANCE) return api_error(v, "the object is not a class instance");
    SQInstance *inst = sq_instance(o);
    if (typetag && !tag_in_chain(inst->cls, typetag)) return api_error(v, "invalid type tag");
    if (p) *p = inst->up;
    return SQ_OK;
}

SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o) return SQ_ERROR;
    if (udsize < 0 || udsize > kMaxHostSize) return api_error(v, "invalid user data size");
    if (sq_class(*o)->locked) return api_error(v, "the class is locked");
    sq_class(*o)->udsize = udsize;
    return SQ_OK;
}

SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase) {
    SQClass *base = nullptr;
    SQValue held_base;
    if (hasbase) {
        if (!api_need(v, 1)) return SQ_ERROR;
        held_base = api_value(v, -1);
        if (held_base._type != OT_CLASS) return api_error(v, "invalid base type");
        base = sq_class(held_base);
        v->pop(1);
    }
    return api_push(v, SQValue(SQClass::create(v->ss, base))) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o) return SQ_ERROR;
    return api_push(v, SQValue(sq_class(*o)->create_instance())) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o || !api_need(v, 3)) return SQ_ERROR;
    SQClass *c = sq_class(*o);
    SQValue key = api_value(v, -2), attrs = api_value(v, -1), old;
    if (!c->get_attributes(key, old)) return api_error(v, "wrong index");
    c->set_attributes(key, attrs);
    v->pop(2);
    return api_push(v, old) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o || !api_need(v, 2)) return SQ_ERROR;
    SQValue attrs;
    if (!sq_class(*o)->get_attributes(api_value(v, -1), attrs)) return api_error(v, "wrong index");
    v->pop(1);
    return api_push(v, attrs) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_INSTANCE);
    if (!o) return SQ_ERROR;
    SQClass *c = sq_instance(*o)->cls;
    return api_push(v, c ? SQValue(c) : SQValue()) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o) return SQ_ERROR;
    SQClass *base = sq_class(*o)->base;
    return api_push(v, base ? SQValue(base) : SQValue()) ? SQ_OK : SQ_ERROR;
}

SQBool sq_instanceof(HSQUIRRELVM v) {
    const SQValue &inst = api_value(v, -2), &cls = api_value(v, -1);
    if (inst._type != OT_INSTANCE || cls._type != OT_CLASS) return SQFalse;
    return sq_instance(inst)->instance_of(sq_class(cls)) ? SQTrue : SQFalse;
}

SQRESULT sq_getmemberhandle(HSQUIRRELVM v, SQInteger idx, HSQMEMBERHANDLE *handle) {
    const SQValue *o = api_typed(v, idx, OT_CLASS);
    if (!o || !api_need(v, 2)) return SQ_ERROR;
    SQClass *c = sq_class(*o);
    SQValue code;
    if (!c->members || !c->members->get(api_value(v, -1), code)) return api_error(v, "wrong index");
    if (handle) {
        handle->_static = (sq_int(code) & SQ_MEMBER_METHOD_BIT) ? SQTrue : SQFalse;
        handle->_index = sq_int(code) & SQ_MEMBER_INDEX_MASK;
    }
    v->pop(1);
    return SQ_OK;
}

namespace {

// The value a member handle names in a class or instance, or null.
SQValue *member_by_handle(const SQObject &o, const HSQMEMBERHANDLE *handle) {
    SQClass *c = class_of(o);
    if (!c || !handle || handle->_index < 0) return nullptr;
    size_t i = static_cast<size_t>(handle->_index);
    if (handle->_static) return i < c->methods.size() ? &c->methods[i].val : nullptr;
    if (o._type == OT_INSTANCE) return i < sq_instance(o)->fields.size() ? &sq_instance(o)->fields[i] : nullptr;
    return i < c->fields.size() ? &c->fields[i].val : nullptr;
}

}  // namespace

SQRESULT sq_getbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE *handle) {
    SQValue *m = member_by_handle(api_value(v, idx), handle);
    if (!m) return api_error(v, "wrong member handle");
    return api_push(v, SQValue(*m)) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_setbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE *handle) {
    if (!api_need(v, 1)) return SQ_ERROR;
    SQValue *m = member_by_handle(api_value(v, idx), handle);
    if (!m) return api_error(v, "wrong member handle");
    SQValue old = std::move(*m);
    *m = api_value(v, -1);
    v->pop(1);
    return SQ_OK;
}
