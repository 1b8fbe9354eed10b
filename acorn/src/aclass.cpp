// Classes and their instances.
//
// A class's `members` table maps each member name to an encoded index (see
// SQ_MEMBER_METHOD_BIT): fields are per-instance values whose defaults live
// in `fields`; methods and static members live once in `methods`.
#include <new>

#include "aobject.h"

namespace {

constexpr std::align_val_t kInstanceDataAlign{16};

bool is_method_code(SQInteger code) { return (code & SQ_MEMBER_METHOD_BIT) != 0; }
size_t index_of(SQInteger code) { return static_cast<size_t>(code & SQ_MEMBER_INDEX_MASK); }

void visit_members(SQGCVisitor &v, const std::vector<SQClassMember> &members) {
    for (const SQClassMember &m : members) {
        v.visit(m.val);
        v.visit(m.attrs);
    }
}

}  // namespace

SQClass *SQClass::create(SQSharedState *ss, SQClass *base) {
    SQClass *c = new SQClass(ss);
    c->serial = ++ss->class_serials;
    if (base) {
        sq_incref(base);
        c->base = base;
        c->members = base->members ? base->members->clone() : SQTable::create(ss);
        c->fields = base->fields;
        c->methods = base->methods;
        for (int i = 0; i < MT_LAST; ++i) c->metamethods[i] = base->metamethods[i];
        c->constructor = base->constructor;
        // A script class derived from a native one is still that native
        // type: it keeps the tag, the native data size and its release hook.
        c->typetag = base->typetag;
        c->udsize = base->udsize;
        c->hook = base->hook;
    } else {
        c->members = SQTable::create(ss);
    }
    sq_incref(c->members);
    return c;
}

SQClass::~SQClass() {
    SQTable *old_members = members;
    SQClass *old_base = base;
    members = nullptr;
    base = nullptr;
    if (old_members) sq_decref(old_members);
    if (old_base) sq_decref(old_base);
}

void SQClass::resolve_special(const SQObject &key, const SQObject &val) {
    if (!sq_isfunctionvalue(val)) return;
    if (sq_rawequal(key, ss->constructor_name)) constructor = val;
    SQMetaMethod mt = ss->metamethod_of(key);
    if (mt != MT_LAST) metamethods[mt] = val;
}

bool SQClass::newslot(const SQObject &key, const SQObject &val, bool bstatic) {
    if (!members || key._type == OT_NULL) return false;
    // A function named like a metamethod is only a metamethod, not a member:
    // it is not enumerated, nor found by `in`, `.` or rawget.
    SQMetaMethod mt = sq_isfunctionvalue(val) ? ss->metamethod_of(key) : MT_LAST;
    if (mt != MT_LAST) {
        metamethods[mt] = val;
        return true;
    }
    bool wants_method = bstatic || sq_isfunctionvalue(val);
    // Instances copy the fields, so once they exist no field changes, not
    // even its default; methods and statics live only in the class.
    if (locked && !wants_method) return false;
    SQValue code;
    if (members->get(key, code) && is_method_code(sq_int(code)) == wants_method) {
        std::vector<SQClassMember> &store = wants_method ? methods : fields;
        SQValue old = std::move(store[index_of(sq_int(code))].val);
        store[index_of(sq_int(code))].val = val;
        resolve_special(key, val);
        return true;
    }
    if (locked && !code.is_null()) return false;  // a field turning into a method
    std::vector<SQClassMember> &store = wants_method ? methods : fields;
    SQInteger encoded = static_cast<SQInteger>(store.size()) | (wants_method ? SQ_MEMBER_METHOD_BIT : 0);
    store.push_back(SQClassMember{SQValue(val), SQValue()});
    members->newslot(key, SQValue(encoded));
    // Caches may hold this name as missing from the class: a new serial
    // voids everything they hold for it.
    if (locked) serial = ++ss->class_serials;
    resolve_special(key, val);
    return true;
}

SQClassMember *SQClass::member(const SQObject &key) {
    const SQValue *code = members ? members->find(key) : nullptr;
    if (!code) return nullptr;
    std::vector<SQClassMember> &store = is_method_code(sq_int(*code)) ? methods : fields;
    return &store[index_of(sq_int(*code))];
}

bool SQClass::get(const SQObject &key, SQValue &val) {
    SQClassMember *m = member(key);
    if (!m) return false;
    val = m->val;
    return true;
}

bool SQClass::set_attributes(const SQObject &key, const SQObject &attrs) {
    if (key._type == OT_NULL) {
        attributes = attrs;
        return true;
    }
    SQClassMember *m = member(key);
    if (!m) return false;
    SQValue old = std::move(m->attrs);
    m->attrs = attrs;
    return true;
}

bool SQClass::get_attributes(const SQObject &key, SQValue &attrs) {
    if (key._type == OT_NULL) {
        attrs = attributes;
        return true;
    }
    SQClassMember *m = member(key);
    if (!m) return false;
    attrs = m->attrs;
    return true;
}

SQInstance *SQClass::create_instance() {
    // An instance of a derived class locks its bases too.
    for (SQClass *c = this; c != nullptr && !c->locked; c = c->base) c->locked = true;
    SQInstance *inst = new SQInstance(ss);
    sq_incref(this);
    inst->cls = this;
    inst->fields.reserve(fields.size());
    for (const SQClassMember &m : fields) inst->fields.push_back(m.val);
    inst->hook = hook;
    inst->udsize = udsize;
    if (udsize > 0) {
        inst->userdata = static_cast<unsigned char *>(::operator new(static_cast<size_t>(udsize), kInstanceDataAlign));
        std::memset(inst->userdata, 0, static_cast<size_t>(udsize));
        inst->up = inst->userdata;
    }
    return inst;
}

SQInteger SQClass::next(SQInteger pos, SQValue &key, SQValue &val) {
    if (!members) return -1;
    SQValue code;
    SQInteger after = members->next(pos, key, code);
    if (after >= 0) {
        std::vector<SQClassMember> &store = is_method_code(sq_int(code)) ? methods : fields;
        val = store[index_of(sq_int(code))].val;
    }
    return after;
}

void SQClass::traverse(SQGCVisitor &v) {
    if (base) v.visit(sq_objref(OT_CLASS, base));
    if (members) v.visit(sq_objref(OT_TABLE, members));
    visit_members(v, fields);
    visit_members(v, methods);
    for (const SQValue &m : metamethods) v.visit(m);
    v.visit(attributes);
    v.visit(constructor);
}

void SQClass::clear_refs() {
    std::vector<SQClassMember> old_fields, old_methods;
    old_fields.swap(fields);
    old_methods.swap(methods);
    SQValue old_meta[MT_LAST];
    for (int i = 0; i < MT_LAST; ++i) old_meta[i] = std::move(metamethods[i]);
    SQValue old_attributes = std::move(attributes);
    SQValue old_constructor = std::move(constructor);
    SQTable *old_members = members;
    SQClass *old_base = base;
    members = nullptr;
    base = nullptr;
    if (old_members) sq_decref(old_members);
    if (old_base) sq_decref(old_base);
}

// ---------------------------------------------------------------------------

SQInstance::~SQInstance() {
    // The hook sees the instance's native data before anything else goes.
    if (hook) hook(up, udsize);
    if (userdata) ::operator delete(userdata, kInstanceDataAlign);
    std::vector<SQValue> old_fields;
    old_fields.swap(fields);
    SQClass *old_cls = cls;
    cls = nullptr;
    if (old_cls) sq_decref(old_cls);
}

bool SQInstance::get(const SQObject &key, SQValue &val) {
    SQMemberCache unused;
    return get(key, val, unused);
}

bool SQInstance::set(const SQObject &key, const SQObject &val) {
    SQMemberCache unused;
    return set(key, val, unused);
}

namespace {

bool member_code(const SQClass *cls, const SQObject &key, SQMemberCache &cache, SQInteger &code) {
    if (!cls) return false;
    for (int k = 0; k < 2; ++k) {
        if (cache.class_serial[k] == cls->serial) {
            code = cache.code[k];
            return code != SQ_MEMBER_NONE;
        }
    }
    const SQValue *found = cls->members ? cls->members->find(key) : nullptr;
    code = found ? sq_int(*found) : SQ_MEMBER_NONE;
    if (cls->locked) {
        cache.class_serial[1] = cache.class_serial[0];
        cache.code[1] = cache.code[0];
        cache.class_serial[0] = cls->serial;
        cache.code[0] = code;
    }
    return found != nullptr;
}

}  // namespace

bool SQInstance::get(const SQObject &key, SQValue &val, SQMemberCache &cache) {
    SQInteger code;
    if (!member_code(cls, key, cache, code)) return false;
    size_t idx = index_of(code);
    if (is_method_code(code)) {
        val = cls->methods[idx].val;
    } else {
        if (idx >= fields.size()) return false;
        val = fields[idx];
    }
    return true;
}

bool SQInstance::set(const SQObject &key, const SQObject &val, SQMemberCache &cache) {
    SQInteger code;
    if (!member_code(cls, key, cache, code) || is_method_code(code)) return false;
    size_t idx = index_of(code);
    if (idx >= fields.size()) return false;
    SQValue old = std::move(fields[idx]);
    fields[idx] = val;
    return true;
}

bool SQInstance::instance_of(const SQClass *c) const {
    for (const SQClass *k = cls; k; k = k->base)
        if (k == c) return true;
    return false;
}

SQInstance *SQInstance::clone() const {
    if (!cls) return nullptr;
    SQInstance *copy = cls->create_instance();
    copy->fields = fields;
    return copy;
}

void SQInstance::traverse(SQGCVisitor &v) {
    if (cls) v.visit(sq_objref(OT_CLASS, cls));
    if (delegate) v.visit(sq_objref(OT_TABLE, delegate));
    for (const SQValue &f : fields) v.visit(f);
}

void SQInstance::clear_refs() {
    std::vector<SQValue> old_fields;
    old_fields.swap(fields);
    set_delegate(nullptr);
    // The class stays: the release hook and the native data belong to it
    // and are only dealt with when the instance itself dies.
}
