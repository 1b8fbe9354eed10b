// The state shared by every thread of one VM.
#include "aobject.h"

const char *const sq_metamethod_names[MT_LAST] = {
    "_add", "_sub",   "_mul",    "_div",    "_unm",    "_modulo",  "_set",       "_get",      "_typeof",
    "_nexti", "_cmp", "_call",   "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited",
};

SQSharedState::SQSharedState() {
    for (int i = 0; i < MT_LAST; ++i) metamethod_names[i] = SQValue(SQString::create(this, sq_metamethod_names[i]));
    constructor_name = SQValue(SQString::create(this, "constructor"));
    registry = SQValue(SQTable::create(this));
    consttable = SQValue(SQTable::create(this));
}

SQSharedState::~SQSharedState() {
    release_roots();
    for (SQValue &name : metamethod_names) name.set_null();
    constructor_name.set_null();
}

void SQSharedState::release_roots() {
    handles.clear();
    registry.set_null();
    consttable.set_null();
    for (SQValue *d : {&table_delegate, &array_delegate, &string_delegate, &number_delegate, &closure_delegate,
                       &generator_delegate, &thread_delegate, &class_delegate, &instance_delegate, &weakref_delegate})
        d->set_null();
}

const SQValue &SQSharedState::default_delegate(SQObjectType t) const {
    static const SQValue none;
    switch (t) {
        case OT_TABLE: return table_delegate;
        case OT_ARRAY: return array_delegate;
        case OT_STRING: return string_delegate;
        case OT_INTEGER:
        case OT_FLOAT:
        case OT_BOOL: return number_delegate;
        case OT_CLOSURE:
        case OT_NATIVECLOSURE: return closure_delegate;
        case OT_GENERATOR: return generator_delegate;
        case OT_THREAD: return thread_delegate;
        case OT_CLASS: return class_delegate;
        case OT_INSTANCE: return instance_delegate;
        case OT_WEAKREF: return weakref_delegate;
        default: return none;
    }
}

SQMetaMethod SQSharedState::metamethod_of(const SQObject &name) const {
    if (name._type != OT_STRING || sq_str(name)->len < 2 || sq_str(name)->data[0] != '_') return MT_LAST;
    for (int i = 0; i < MT_LAST; ++i)
        if (sq_str(name) == sq_str(metamethod_names[i])) return static_cast<SQMetaMethod>(i);
    return MT_LAST;
}
