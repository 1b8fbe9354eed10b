// Embedding API: tables, arrays and functions made by the host, and facts
// about values (sizes, hashes, closure details).
#include <cstdio>

#include "aapi.h"

namespace {

SQInteger typemask_of(char letter) {
    switch (letter) {
        case 'o': return _RT_NULL;
        case 'i': return _RT_INTEGER;
        case 'f': return _RT_FLOAT;
        case 'n': return _RT_INTEGER | _RT_FLOAT;
        case 's': return _RT_STRING;
        case 't': return _RT_TABLE;
        case 'a': return _RT_ARRAY;
        case 'u': return _RT_USERDATA;
        case 'c': return _RT_CLOSURE | _RT_NATIVECLOSURE;
        case 'g': return _RT_GENERATOR;
        case 'p': return _RT_USERPOINTER;
        case 'v': return _RT_THREAD;
        case 'x': return _RT_INSTANCE;
        case 'y': return _RT_CLASS;
        case 'b': return _RT_BOOL;
        case '.': return -1;
        default: return 0;
    }
}

// Parses "t|a s ." style masks into one bit set per parameter.
bool parse_typemask(const char *mask, std::vector<SQInteger> &out) {
    SQInteger current = 0;
    bool joining = false;
    for (const char *p = mask; *p; ++p) {
        if (*p == ' ') continue;
        if (*p == '|') {
            if (current == 0 || joining) return false;
            joining = true;
            continue;
        }
        SQInteger bits = typemask_of(*p);
        if (bits == 0) return false;
        if (joining) {
            out.back() |= bits;
            joining = false;
        } else {
            out.push_back(bits);
            current = bits;
        }
    }
    return !joining;
}


}  // namespace

void sq_newtable(HSQUIRRELVM v) { api_push(v, SQValue(SQTable::create(v->ss))); }

void sq_newtableex(HSQUIRRELVM v, SQInteger initialcapacity) {
    api_push(v, SQValue(SQTable::create(v->ss, initialcapacity)));
}

void sq_newarray(HSQUIRRELVM v, SQInteger size) {
    if (size > kMaxHostSize) {
        api_error(v, "array too large");
        api_push(v, SQValue());
        return;
    }
    api_push(v, SQValue(SQArray::create(v->ss, size)));
}

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQUnsignedInteger nfreevars) {
    SQInteger nfree = std::min(static_cast<SQInteger>(nfreevars), api_frame_size(v));
    if (!func) {
        // Stands in for the closure so the stack keeps its shape; calling it
        // then fails as calling null does.
        v->pop(nfree);
        api_push(v, SQValue());
        return;
    }
    SQNativeClosure *nc = SQNativeClosure::create(v->ss, func, nfree);
    SQValue held(nc);
    for (SQInteger i = 0; i < nfree; ++i) nc->outers[static_cast<size_t>(i)] = api_value(v, i - nfree);
    v->pop(nfree);
    api_push(v, held);
}

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar *typemask) {
    const SQValue *o = api_typed(v, -1, OT_NATIVECLOSURE);
    if (!o) return SQ_ERROR;
    SQNativeClosure *nc = sq_nclosure(*o);
    std::vector<SQInteger> masks;
    if (typemask && !parse_typemask(typemask, masks)) return api_error(v, "invalid typemask");
    if (nparamscheck == SQ_MATCHTYPEMASKSTRING) nparamscheck = static_cast<SQInteger>(masks.size());
    nc->nparamscheck = nparamscheck;
    nc->typecheck = std::move(masks);
    return SQ_OK;
}

SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar *name) {
    const SQValue *o = api_typed(v, idx, OT_NATIVECLOSURE);
    if (!o) return SQ_ERROR;
    sq_nclosure(*o)->name = name ? SQValue(SQString::create(v->ss, name)) : SQValue();
    return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &fn = api_value(v, idx);
    if (!sq_isfunctionvalue(fn)) return api_error(v, "the target is not a closure");
    if (!api_need(v, 2)) return SQ_ERROR;
    const SQValue &env = api_value(v, -1);
    if (env._type != OT_TABLE && env._type != OT_CLASS && env._type != OT_INSTANCE)
        return api_error(v, "invalid environment");
    SQValue weak(env._unVal.pRefCounted->get_weakref(env._type));
    SQValue bound;
    if (fn._type == OT_CLOSURE) {
        SQClosure *c = sq_closure(fn)->clone();
        bound = SQValue(c);
        c->env = weak;
    } else {
        SQNativeClosure *c = sq_nclosure(fn)->clone();
        bound = SQValue(c);
        c->env = weak;
    }
    v->pop(1);
    return api_push(v, bound) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_setclosureroot(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLOSURE);
    if (!o || !api_need(v, 2)) return SQ_ERROR;
    const SQValue &root = api_value(v, -1);
    if (root._type != OT_TABLE) return api_error(v, "invalid type");
    sq_closure(*o)->root = SQValue(sq_table(root)->get_weakref(OT_TABLE));
    v->pop(1);
    return SQ_OK;
}

SQRESULT sq_getclosureroot(HSQUIRRELVM v, SQInteger idx) {
    const SQValue *o = api_typed(v, idx, OT_CLOSURE);
    if (!o) return SQ_ERROR;
    const SQValue &root = sq_closure(*o)->root;
    SQValue result = root._type == OT_WEAKREF ? SQValue(sq_weak(root)->obj) : root;
    return api_push(v, result) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQInteger *nparams, SQInteger *nfreevars) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_CLOSURE) {
        SQClosure *c = sq_closure(o);
        if (nparams) *nparams = c->fn()->nparams;
        if (nfreevars) *nfreevars = static_cast<SQInteger>(c->outers.size());
        return SQ_OK;
    }
    if (o._type == OT_NATIVECLOSURE) {
        SQNativeClosure *c = sq_nclosure(o);
        if (nparams) *nparams = c->nparamscheck;
        if (nfreevars) *nfreevars = static_cast<SQInteger>(c->outers.size());
        return SQ_OK;
    }
    return api_error(v, "the object is not a closure");
}

SQRESULT sq_getclosurename(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    if (o._type == OT_CLOSURE) return api_push(v, sq_closure(o)->fn()->name) ? SQ_OK : SQ_ERROR;
    if (o._type == OT_NATIVECLOSURE) return api_push(v, sq_nclosure(o)->name) ? SQ_OK : SQ_ERROR;
    return api_error(v, "the target is not a closure");
}

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    switch (o._type) {
        case OT_STRING: return sq_str(o)->len;
        case OT_TABLE: return sq_table(o)->count();
        case OT_ARRAY: return sq_array(o)->size();
        case OT_USERDATA: return sq_userdata(o)->size;
        case OT_INSTANCE: return sq_instance(o)->udsize;
        case OT_CLASS: return sq_class(o)->udsize;
        default: return api_error(v, "type has no size");
    }
}

SQHash sq_gethash(HSQUIRRELVM v, SQInteger idx) {
    const SQValue &o = api_value(v, idx);
    switch (o._type) {
        case OT_STRING: return sq_str(o)->hash;
        case OT_INTEGER:
        case OT_BOOL: return static_cast<SQHash>(sq_int(o));
        case OT_FLOAT: {
            SQHash bits = 0;
            std::memcpy(&bits, &o._unVal.fFloat, sizeof(SQFloat) < sizeof bits ? sizeof(SQFloat) : sizeof bits);
            return bits;
        }
        case OT_NULL: return 0;
        default: return static_cast<SQHash>(reinterpret_cast<uintptr_t>(o._unVal.pRefCounted));
    }
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t) {
    const SQValue &d = v->ss->default_delegate(t);
    if (d.is_null()) return api_error(v, "the type doesn't have a default delegate");
    return api_push(v, d) ? SQ_OK : SQ_ERROR;
}
