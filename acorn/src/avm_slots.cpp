// Slot access with the language's lookup order: the object's own slots, then
// its delegate chain (tables, user data) or class (instances), then the
// `_get`/`_set`/`_newslot`/`_delslot` metamethods, then the type's default
// delegate. A metamethod that throws null means "no such slot".
#include <cstdio>

#include "avm.h"

namespace {

enum SlotResult { SLOT_ERROR = -1, SLOT_MISSING = 0, SLOT_FOUND = 1 };

// Lookups follow delegate chains recursively; a chain longer than this is
// refused instead of exhausting the native stack.
constexpr int MAX_DELEGATE_DEPTH = 1000;

bool too_deep(SQVM *v, int depth) {
    if (depth <= MAX_DELEGATE_DEPTH) return false;
    v->raise_error("delegate chain too deep");
    return true;
}

bool numeric_index(const SQObject &key, SQInteger &idx) {
    if (key._type == OT_INTEGER) {
        idx = sq_int(key);
        return true;
    }
    if (key._type == OT_FLOAT) {
        idx = static_cast<SQInteger>(sq_float(key));
        return true;
    }
    return false;
}

SQTable *delegate_of(const SQObject &o) {
    if (o._type == OT_TABLE || o._type == OT_USERDATA) return o._unVal.pDelegable->delegate;
    return nullptr;
}

// Calls a slot metamethod; an error of null means the slot is missing.
SlotResult call_slot_metamethod(SQVM *v, const SQValue &fn, const SQObject &self, SQInteger nargs,
                                const SQObject *args, SQValue &ret) {
    if (v->call_metamethod(fn, self, nargs, args, ret)) return SLOT_FOUND;
    if (v->lasterror.is_null()) return SLOT_MISSING;
    return SLOT_ERROR;
}

SlotResult get_slot(SQVM *v, const SQObject &self, const SQObject &key, SQValue &dest, bool raw, int depth);

SlotResult get_own(const SQObject &self, const SQObject &key, SQValue &dest) {
    SQInteger idx;
    switch (self._type) {
        case OT_TABLE: return sq_table(self)->get(key, dest) ? SLOT_FOUND : SLOT_MISSING;
        case OT_INSTANCE: return sq_instance(self)->get(key, dest) ? SLOT_FOUND : SLOT_MISSING;
        case OT_CLASS: return sq_class(self)->get(key, dest) ? SLOT_FOUND : SLOT_MISSING;
        case OT_ARRAY: {
            SQArray *a = sq_array(self);
            if (!numeric_index(key, idx) || idx < 0 || idx >= a->size()) return SLOT_MISSING;
            dest = a->values[static_cast<size_t>(idx)];
            return SLOT_FOUND;
        }
        case OT_STRING: {
            SQString *s = sq_str(self);
            if (!numeric_index(key, idx)) return SLOT_MISSING;
            if (idx < 0) idx += s->len;  // a negative index counts from the end
            if (idx < 0 || idx >= s->len) return SLOT_MISSING;
            dest = SQValue(static_cast<SQInteger>(static_cast<unsigned char>(s->data[idx])));
            return SLOT_FOUND;
        }
        default: return SLOT_MISSING;
    }
}

SlotResult get_fallback(SQVM *v, const SQObject &self, const SQObject &key, SQValue &dest, int depth) {
    if (self._type == OT_TABLE || self._type == OT_USERDATA) {
        SQTable *d = delegate_of(self);
        if (!d) return SLOT_MISSING;
        SlotResult r = get_slot(v, SQValue(d), key, dest, false, depth + 1);
        if (r != SLOT_MISSING) return r;
    }
    SQValue fn;
    if (!v->find_metamethod(self, MT_GET, fn)) return SLOT_MISSING;
    return call_slot_metamethod(v, fn, self, 1, &key, dest);
}

SlotResult get_slot(SQVM *v, const SQObject &self, const SQObject &key, SQValue &dest, bool raw, int depth) {
    if (too_deep(v, depth)) return SLOT_ERROR;
    SlotResult r = get_own(self, key, dest);
    if (r != SLOT_MISSING || raw) return r;
    r = get_fallback(v, self, key, dest, depth);
    if (r != SLOT_MISSING) return r;
    const SQValue &dd = v->ss->default_delegate(self._type);
    if (dd._type == OT_TABLE && sq_table(dd)->get(key, dest)) return SLOT_FOUND;
    return SLOT_MISSING;
}

SlotResult set_slot(SQVM *v, const SQObject &self, const SQObject &key, const SQObject &val, bool raw, int depth);

SlotResult set_own(SQVM *v, const SQObject &self, const SQObject &key, const SQObject &val) {
    SQInteger idx;
    switch (self._type) {
        case OT_TABLE: return sq_table(self)->set(key, val) ? SLOT_FOUND : SLOT_MISSING;
        case OT_INSTANCE: return sq_instance(self)->set(key, val) ? SLOT_FOUND : SLOT_MISSING;
        case OT_USERDATA: return SLOT_MISSING;
        case OT_ARRAY: {
            SQArray *a = sq_array(self);
            if (!numeric_index(key, idx)) {
                v->raise_error("indexing array with %s", sq_typename(key._type));
                return SLOT_ERROR;
            }
            if (idx < 0 || idx >= a->size()) return SLOT_MISSING;
            a->values[static_cast<size_t>(idx)] = val;
            return SLOT_FOUND;
        }
        default: v->raise_error("trying to set '%s'", sq_typename(self._type)); return SLOT_ERROR;
    }
}

SlotResult set_slot(SQVM *v, const SQObject &self, const SQObject &key, const SQObject &val, bool raw, int depth) {
    if (too_deep(v, depth)) return SLOT_ERROR;
    SlotResult r = set_own(v, self, key, val);
    if (r != SLOT_MISSING || raw) return r;
    if (SQTable *d = delegate_of(self)) {
        r = set_slot(v, SQValue(d), key, val, false, depth + 1);
        if (r != SLOT_MISSING) return r;
    }
    SQValue fn, ignored;
    if (!v->find_metamethod(self, MT_SET, fn)) return SLOT_MISSING;
    SQObject args[2] = {key, val};
    return call_slot_metamethod(v, fn, self, 2, args, ignored);
}

}  // namespace

bool SQVM::get_index_error(const SQObject &key) {
    if (key._type == OT_STRING) {
        raise_error("the index '%s' does not exist", sq_str(key)->c_str());
        return false;
    }
    SQValue text;
    // Numbers show their value; any other key its type name ("bool", "null").
    if (key._type == OT_INTEGER || key._type == OT_FLOAT) {
        tostring(key, text);
    } else {
        text = SQValue(SQString::create(ss, sq_typename(key._type)));
    }
    raise_error("the index '%s' does not exist", sq_str(text)->c_str());
    return false;
}

bool SQVM::find_metamethod(const SQObject &o, SQMetaMethod mm, SQValue &fn) {
    switch (o._type) {
        case OT_TABLE:
        case OT_USERDATA: {
            SQTable *d = delegate_of(o);
            return d && d->get(ss->metamethod_names[mm], fn);
        }
        case OT_INSTANCE: {
            const SQValue &m = sq_instance(o)->cls->metamethods[mm];
            if (m.is_null()) return false;
            fn = m;
            return true;
        }
        default: return false;
    }
}

bool SQVM::call_metamethod(const SQObject &fn, const SQObject &self, SQInteger nargs, const SQObject *args,
                           SQValue &ret) {
    if (stack_room() < nargs + 1 + SQ_NATIVE_STACK_RESERVE) {
        raise_error("stack overflow");
        return false;
    }
    SQInteger argbase = top;
    push(self);
    for (SQInteger i = 0; i < nargs; ++i) push(args[i]);
    SQValue fnref = fn;
    bool ok = call(fnref, nargs + 1, argbase, ret, false);
    pop(top - argbase);
    return ok;
}

int SQVM::try_get(const SQObject &self, const SQObject &key, SQValue &dest, bool raw) {
    return get_slot(this, self, key, dest, raw, 0);
}

bool SQVM::get(const SQObject &self, const SQObject &key, SQValue &dest, bool raw, bool quiet) {
    SlotResult r = get_slot(this, self, key, dest, raw, 0);
    if (r == SLOT_FOUND) return true;
    if (r == SLOT_MISSING && !quiet) get_index_error(key);
    return false;
}

bool SQVM::set(const SQObject &self, const SQObject &key, const SQObject &val, bool raw) {
    if (key._type == OT_NULL && self._type == OT_TABLE) {
        raise_error("null cannot be used as index");
        return false;
    }
    SlotResult r = set_slot(this, self, key, val, raw, 0);
    if (r == SLOT_FOUND) return true;
    if (r == SLOT_MISSING) get_index_error(key);
    return false;
}

bool SQVM::newslot(const SQObject &self, const SQObject &key, const SQObject &val, bool bstatic, bool raw) {
    if (key._type == OT_NULL) {
        raise_error("null cannot be used as index");
        return false;
    }
    switch (self._type) {
        case OT_TABLE: {
            SQTable *t = sq_table(self);
            SQValue fn, ignored;
            if (!raw && t->delegate && !t->find(key) && find_metamethod(self, MT_NEWSLOT, fn)) {
                SQObject args[2] = {key, val};
                return call_metamethod(fn, self, 2, args, ignored);
            }
            t->newslot(key, val);
            return true;
        }
        // Only a class body's declarations go through _newmember.
        case OT_CLASS: return newmember(self, key, val, SQValue(), bstatic, true);
        case OT_INSTANCE: {
            SQValue fn, ignored;
            if (!raw && find_metamethod(self, MT_NEWSLOT, fn)) {
                SQObject args[2] = {key, val};
                return call_metamethod(fn, self, 2, args, ignored);
            }
            raise_error("class instances do not support the new slot operator");
            return false;
        }
        default: raise_error("indexing %s with %s", sq_typename(self._type), sq_typename(key._type)); return false;
    }
}

bool SQVM::newmember(const SQObject &cls, const SQObject &key, const SQObject &val, const SQObject &attrs,
                     bool bstatic, bool raw) {
    if (cls._type != OT_CLASS) {
        raise_error("trying to set '%s'", sq_typename(cls._type));
        return false;
    }
    SQClass *c = sq_class(cls);
    const SQValue &hook = c->metamethods[MT_NEWMEMBER];
    if (!raw && !hook.is_null()) {
        SQObject args[4] = {key, val, attrs, SQValue::boolean(bstatic)};
        SQValue ignored;
        return call_metamethod(hook, cls, 4, args, ignored);
    }
    // A method remembers the class it was declared in, for `base`.
    SQValue member(val);
    if (val._type == OT_CLOSURE) {
        SQClosure *method = sq_closure(val)->clone();
        method->base = SQValue(c);
        member = SQValue(method);
    }
    if (!c->newslot(key, member, bstatic)) {
        raise_error("trying to modify a class that has already been instantiated");
        return false;
    }
    if (attrs._type != OT_NULL) c->set_attributes(key, attrs);
    return true;
}

bool SQVM::delete_slot(const SQObject &self, const SQObject &key, SQValue &removed, bool raw) {
    const bool delegable = self._type == OT_TABLE || self._type == OT_INSTANCE || self._type == OT_USERDATA;
    if (!delegable) {
        raise_error("attempt to delete a slot from a %s", sq_typename(self._type));
        return false;
    }
    SQValue fn;
    if (!raw && find_metamethod(self, MT_DELSLOT, fn)) return call_metamethod(fn, self, 1, &key, removed);
    if (self._type != OT_TABLE) {
        raise_error("cannot delete a slot from %s", sq_typename(self._type));
        return false;
    }
    SQTable *t = sq_table(self);
    SQValue *slot = t->find(key);
    if (!slot) return get_index_error(key);
    removed = *slot;
    t->remove(key);
    return true;
}
