// Reference counting, weak references, the collectable list and delegation.
#include "aobject.h"

namespace {

// Objects whose count reached zero while another release was in progress.
// Only the outermost release drains it, which turns the natural recursion
// (a table freeing its values freeing theirs ...) into a loop.
struct PendingReleases {
    std::vector<SQRefCounted *> queue;
    bool draining = false;
};

thread_local PendingReleases pending;

}  // namespace

SQRefCounted::~SQRefCounted() { detach_weakref(); }

void SQRefCounted::detach_weakref() {
    if (!weakref) return;
    weakref->obj._type = OT_NULL;
    weakref->obj._unVal.raw = 0;
    weakref = nullptr;
}

void SQRefCounted::release_self() {
    detach_weakref();
    if (pending.draining) {
        pending.queue.push_back(this);
        return;
    }
    pending.draining = true;
    delete this;
    while (!pending.queue.empty()) {
        SQRefCounted *next = pending.queue.back();
        pending.queue.pop_back();
        delete next;
    }
    pending.draining = false;
}

SQWeakRef *SQRefCounted::get_weakref(SQObjectType selftype) {
    if (!weakref) {
        weakref = new SQWeakRef();
        weakref->obj._type = selftype;
        weakref->obj._unVal.raw = 0;
        weakref->obj._unVal.pRefCounted = this;
    }
    return weakref;
}

SQWeakRef::~SQWeakRef() {
    if (ISREFCOUNTED(obj._type) && obj._unVal.pRefCounted->weakref == this) obj._unVal.pRefCounted->weakref = nullptr;
}

SQCollectable::SQCollectable(SQSharedState *state) : ss(state) {
    gc_next = ss->gc_chain;
    if (gc_next) gc_next->gc_prev = this;
    ss->gc_chain = this;
}

SQCollectable::~SQCollectable() {
    if (gc_prev)
        gc_prev->gc_next = gc_next;
    else if (ss->gc_chain == this)
        ss->gc_chain = gc_next;
    if (gc_next) gc_next->gc_prev = gc_prev;
    gc_prev = gc_next = nullptr;
}

SQCollectable *sq_as_collectable(const SQObject &o) {
    switch (o._type) {
        case OT_TABLE:
        case OT_ARRAY:
        case OT_USERDATA:
        case OT_CLOSURE:
        case OT_NATIVECLOSURE:
        case OT_GENERATOR:
        case OT_THREAD:
        case OT_CLASS:
        case OT_INSTANCE:
        case OT_OUTER: return static_cast<SQCollectable *>(o._unVal.pRefCounted);
        default: return nullptr;
    }
}

bool SQDelegable::set_delegate(SQTable *t) {
    for (SQTable *d = t; d; d = d->delegate)
        if (static_cast<SQDelegable *>(d) == this) return false;
    if (t) sq_incref(t);
    SQTable *old = delegate;
    delegate = t;
    if (old) sq_decref(old);
    return true;
}

SQDelegable::~SQDelegable() {
    SQTable *old = delegate;
    delegate = nullptr;
    if (old) sq_decref(old);
}

const char *sq_typename(SQObjectType t) {
    switch (t) {
        case OT_NULL: return "null";
        case OT_INTEGER: return "integer";
        case OT_FLOAT: return "float";
        case OT_BOOL: return "bool";
        case OT_STRING: return "string";
        case OT_TABLE: return "table";
        case OT_ARRAY: return "array";
        case OT_USERDATA: return "userdata";
        case OT_CLOSURE: return "function";
        case OT_NATIVECLOSURE: return "function";
        case OT_GENERATOR: return "generator";
        case OT_USERPOINTER: return "userpointer";
        case OT_THREAD: return "thread";
        case OT_FUNCPROTO: return "function";
        case OT_CLASS: return "class";
        case OT_INSTANCE: return "instance";
        case OT_WEAKREF: return "weakref";
        case OT_OUTER: return "outer";
    }
    return "unknown";
}
