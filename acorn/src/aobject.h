// Acorn object model: the owning value type and every heap object.
//
// Ownership rules every file relies on:
// - SQValue owns one reference to a ref-counted object; raw pointers never do.
// - An object is destroyed (release hook run, weak refs cleared) the moment
//   its count drops to zero.
// - Objects that can hold references to other objects (tables, arrays,
//   closures, classes, instances, generators, threads, user data, outers,
//   native closures) are SQCollectable: they sit on the shared state's
//   collectable list and implement traverse()/clear_refs() so the cycle
//   collector can find and break unreachable cycles. Strings, function
//   prototypes and weak references hold no cycles and are not collectable.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "areallocvector.h"
#include "squirrel.h"

struct SQSharedState;
struct SQValue;

// ---------------------------------------------------------------------------
// Reference-counted base
// ---------------------------------------------------------------------------

struct SQRefCounted {
    SQUnsignedInteger refs = 0;
    SQWeakRef *weakref = nullptr;  // the one weak reference object to this, if any

    virtual ~SQRefCounted();  // clears the weak reference (defined in aobject.cpp)
    // Called when refs reaches zero. Default: delete this, except that a
    // release triggered while another object is being destroyed is queued
    // and run by the outermost one, so that freeing a long chain of objects
    // never recurses deeply. The weak reference is cleared at once either way.
    virtual void release_self();
    SQWeakRef *get_weakref(SQObjectType selftype);
    void detach_weakref();
};

inline void sq_incref(SQRefCounted *p) { ++p->refs; }
inline void sq_decref(SQRefCounted *p) {
    if (--p->refs == 0) p->release_self();
}

// Visitor used by the cycle collector.
struct SQGCVisitor {
    virtual ~SQGCVisitor() = default;
    virtual void visit(const SQObject &o) = 0;
};

struct SQCollectable : SQRefCounted {
    SQSharedState *ss;
    SQCollectable *gc_prev = nullptr;
    SQCollectable *gc_next = nullptr;
    SQInteger gc_refs = 0;  // scratch for the collector
    uint8_t gc_flags = 0;
    SQObjectType gc_type = OT_NULL;  // scratch: the type it was last seen as by the collector

    explicit SQCollectable(SQSharedState *ss);  // links into ss's collectable list
    ~SQCollectable() override;                  // unlinks
    // Report every value this object holds a reference to.
    virtual void traverse(SQGCVisitor &v) = 0;
    // Drop every reference this object holds (used to break dead cycles).
    virtual void clear_refs() = 0;
};

// ---------------------------------------------------------------------------
// SQValue: an SQObject that owns its reference
// ---------------------------------------------------------------------------

// Values are copied field by field and every field is written whole (the
// union as its 8-byte raw form). Mixing a narrow store with a wide load of
// the same bytes, as a 16-byte struct copy after a 4-byte field store does,
// stalls the processor's store forwarding, and values are copied in every
// instruction the interpreter runs.
template <class T>
inline SQRawObjectVal sq_raw_bits(T v) {
    static_assert(sizeof(T) <= sizeof(SQRawObjectVal), "a value fits the union");
    SQRawObjectVal raw = 0;
    memcpy(&raw, &v, sizeof v);
    return raw;
}

inline void sq_copy_fields(SQObject &dst, const SQObject &src) {
    dst._type = src._type;
    dst._unVal.raw = src._unVal.raw;
}

inline void sq_set_fields(SQObject &dst, SQObjectType type, SQRawObjectVal raw) {
    dst._type = type;
    dst._unVal.raw = raw;
}

struct SQValue : SQObject {
    SQValue() { sq_set_fields(*this, OT_NULL, 0); }
    SQValue(const SQValue &o) {
        sq_copy_fields(*this, o);
        addref();
    }
    SQValue(SQValue &&o) noexcept {
        sq_copy_fields(*this, o);
        sq_set_fields(o, OT_NULL, 0);
    }
    SQValue(const SQObject &o) {
        sq_copy_fields(*this, o);
        addref();
    }
    SQValue(SQObjectType t, SQRefCounted *p) {
        sq_set_fields(*this, t, sq_raw_bits(p));
        addref();
    }
    explicit SQValue(SQInteger i) { sq_set_fields(*this, OT_INTEGER, sq_raw_bits(i)); }
    explicit SQValue(SQFloat f) { sq_set_fields(*this, OT_FLOAT, sq_raw_bits(f)); }
    static SQValue boolean(bool b) {
        SQValue v;
        sq_set_fields(v, OT_BOOL, sq_raw_bits(SQInteger(b ? 1 : 0)));
        return v;
    }
    static SQValue userpointer(SQUserPointer p) {
        SQValue v;
        sq_set_fields(v, OT_USERPOINTER, sq_raw_bits(p));
        return v;
    }
    SQValue(SQString *p) : SQValue(OT_STRING, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQTable *p) : SQValue(OT_TABLE, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQArray *p) : SQValue(OT_ARRAY, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQClosure *p) : SQValue(OT_CLOSURE, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQNativeClosure *p) : SQValue(OT_NATIVECLOSURE, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQGenerator *p) : SQValue(OT_GENERATOR, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQFunctionProto *p) : SQValue(OT_FUNCPROTO, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQClass *p) : SQValue(OT_CLASS, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQInstance *p) : SQValue(OT_INSTANCE, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQWeakRef *p) : SQValue(OT_WEAKREF, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQUserData *p) : SQValue(OT_USERDATA, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQOuter *p) : SQValue(OT_OUTER, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(SQVM *p) : SQValue(OT_THREAD, reinterpret_cast<SQRefCounted *>(p)) {}
    SQValue(bool) = delete;  // use SQValue::boolean

    ~SQValue() { release(); }

    // Self-assignment needs no test: the new reference is taken before the
    // old one is dropped.
    SQValue &operator=(const SQValue &o) { return *this = static_cast<const SQObject &>(o); }
    SQValue &operator=(const SQObject &o) {
        const SQObjectType old_type = _type;
        SQRefCounted *const old = _unVal.pRefCounted;
        sq_copy_fields(*this, o);
        addref();
        if (ISREFCOUNTED(old_type)) sq_decref(old);
        return *this;
    }
    SQValue &operator=(SQValue &&o) noexcept {
        if (this != &o) {
            const SQObjectType old_type = _type;
            SQRefCounted *const old = _unVal.pRefCounted;
            sq_copy_fields(*this, o);
            sq_set_fields(o, OT_NULL, 0);
            if (ISREFCOUNTED(old_type)) sq_decref(old);
        }
        return *this;
    }

    void set_null() {
        const SQObjectType old_type = _type;
        SQRefCounted *const old = _unVal.pRefCounted;
        sq_set_fields(*this, OT_NULL, 0);
        if (ISREFCOUNTED(old_type)) sq_decref(old);
    }
    bool is_null() const { return _type == OT_NULL; }

   private:
    void addref() {
        if (ISREFCOUNTED(_type)) sq_incref(_unVal.pRefCounted);
    }
    void release() {
        if (ISREFCOUNTED(_type)) sq_decref(_unVal.pRefCounted);
    }
};

// An uncounted view of an object, e.g. to hand to a GC visitor.
inline SQObject sq_objref(SQObjectType t, const void *p) {
    SQObject o;
    o._type = t;
    o._unVal.raw = 0;
    o._unVal.pRefCounted = static_cast<SQRefCounted *>(const_cast<void *>(p));
    return o;
}

// The collectable object a value refers to, or null for other types.
SQCollectable *sq_as_collectable(const SQObject &o);

// Typed accessors (no checks: the caller has tested the type).
inline SQInteger sq_int(const SQObject &o) { return o._unVal.nInteger; }
inline SQFloat sq_float(const SQObject &o) { return o._unVal.fFloat; }
inline SQString *sq_str(const SQObject &o) { return o._unVal.pString; }
inline SQTable *sq_table(const SQObject &o) { return o._unVal.pTable; }
inline SQArray *sq_array(const SQObject &o) { return o._unVal.pArray; }
inline SQClosure *sq_closure(const SQObject &o) { return o._unVal.pClosure; }
inline SQNativeClosure *sq_nclosure(const SQObject &o) { return o._unVal.pNativeClosure; }
inline SQGenerator *sq_generator(const SQObject &o) { return o._unVal.pGenerator; }
inline SQFunctionProto *sq_proto(const SQObject &o) { return o._unVal.pFunctionProto; }
inline SQClass *sq_class(const SQObject &o) { return o._unVal.pClass; }
inline SQInstance *sq_instance(const SQObject &o) { return o._unVal.pInstance; }
inline SQWeakRef *sq_weak(const SQObject &o) { return o._unVal.pWeakRef; }
inline SQUserData *sq_userdata(const SQObject &o) { return o._unVal.pUserData; }
inline SQOuter *sq_outer(const SQObject &o) { return o._unVal.pOuter; }
inline SQVM *sq_thread(const SQObject &o) { return o._unVal.pThread; }
inline bool sq_isfalse(const SQObject &o) {
    switch (o._type) {
        case OT_NULL: return true;
        case OT_INTEGER:
        case OT_BOOL: return o._unVal.nInteger == 0;
        case OT_FLOAT: return o._unVal.fFloat == 0.0f;
        default: return false;
    }
}
// Script closures and native closures: the values that can be called as functions.
inline bool sq_isfunctionvalue(const SQObject &o) { return o._type == OT_CLOSURE || o._type == OT_NATIVECLOSURE; }
// Identity: same type and same payload (numbers by value, objects by address).
inline bool sq_rawequal(const SQObject &a, const SQObject &b) {
    if (a._type != b._type) return false;
    if (a._type == OT_FLOAT) return a._unVal.fFloat == b._unVal.fFloat;
    if (a._type == OT_INTEGER || a._type == OT_BOOL) return a._unVal.nInteger == b._unVal.nInteger;
    if (a._type == OT_NULL) return true;
    return a._unVal.pRefCounted == b._unVal.pRefCounted;
}

// Name of a type as `typeof` reports it ("integer", "table", "instance", ...).
const char *sq_typename(SQObjectType t);

// ---------------------------------------------------------------------------
// Strings: interned per shared state, immutable, hashed by content
// ---------------------------------------------------------------------------

// The longest string a script can make; producers check before allocating
// and raise "string too long" beyond it.
constexpr SQInteger SQ_MAX_STRING_LENGTH = ACORN_MAX_STRING_LENGTH;

struct SQString : SQRefCounted {
    SQSharedState *ss;
    SQString *chain = nullptr;  // next string in the same intern bucket
    SQInteger len;
    SQHash hash;
    char *data;  // len bytes followed by a terminating zero

    // Returns the interned string with these bytes (creating it if needed).
    static SQString *create(SQSharedState *ss, const char *s, SQInteger len = -1);
    // The interned string of a's bytes followed by b's, joined straight into
    // the new string's own storage when it is not interned yet.
    static SQString *concat(SQSharedState *ss, const char *a, SQInteger alen, const char *b, SQInteger blen);
    void release_self() override;  // unlinks from the intern table, frees
    const char *c_str() const { return data; }
};

SQHash sq_hashbytes(const char *s, size_t len);

// ---------------------------------------------------------------------------
// Delegable base (tables, instances, user data)
// ---------------------------------------------------------------------------

struct SQDelegable : SQCollectable {
    SQTable *delegate = nullptr;  // counted reference, may be null
    using SQCollectable::SQCollectable;
    bool set_delegate(SQTable *t);  // false if that would make a delegation cycle
    ~SQDelegable() override;
};

// ---------------------------------------------------------------------------
// Tables: hash map that iterates in insertion order
// ---------------------------------------------------------------------------

struct SQTable : SQDelegable {
    struct Node {
        SQValue key;  // OT_NULL marks a deleted node
        SQValue val;
        SQHash hash;
        SQInteger next;  // next node index in the bucket chain, -1 ends
        SQInteger seq;   // insertion number, increasing along `nodes`
    };
    std::vector<Node> nodes;        // insertion order, with holes for deleted slots
    std::vector<SQInteger> buckets; // power of two, node index or -1
    SQInteger used = 0;             // live slots
    SQInteger next_seq = 0;         // insertion number of the next new slot

    static SQTable *create(SQSharedState *ss, SQInteger capacity = 0);
    explicit SQTable(SQSharedState *ss) : SQDelegable(ss) {}

    SQValue *find(const SQObject &key);  // pointer to the value, or null
    // find() for a string key that first tries the node named by `hint` and
    // leaves there the node it found. Keys are unique in a table, so a node
    // holding the key is its slot whatever the table went through since.
    SQValue *find_hinted(const SQObject &key, SQInteger &hint) {
        if (static_cast<size_t>(hint) < nodes.size()) {
            Node &n = nodes[static_cast<size_t>(hint)];
            if (key._type == OT_STRING && n.key._type == OT_STRING && sq_str(n.key) == sq_str(key)) return &n.val;
        }
        return find_and_hint(key, hint);
    }
    bool get(const SQObject &key, SQValue &val);
    bool set(const SQObject &key, const SQObject &val);  // only an existing slot
    void newslot(const SQObject &key, const SQObject &val);  // insert or overwrite
    bool remove(const SQObject &key);
    SQInteger count() const { return used; }
    // Iteration: `pos` is 0 to start; returns the position to pass next time,
    // or -1 when no slot is left. Positions are insertion numbers, so they
    // survive the table squeezing out deleted slots: slots added during an
    // iteration are visited and none is skipped or repeated.
    SQInteger next(SQInteger pos, SQValue &key, SQValue &val) const;
    SQTable *clone() const;  // shallow copy with the same delegate
    void clear();

    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;

   private:
    SQInteger find_node(const SQObject &key) const;  // index in `nodes`, or -1
    SQValue *find_and_hint(const SQObject &key, SQInteger &hint);
    void rebuild(size_t nbuckets);  // squeezes out holes, re-indexes into nbuckets
    size_t first_at_or_after(SQInteger seq) const;  // node index, nodes.size() if none
};

// ---------------------------------------------------------------------------
// Arrays
// ---------------------------------------------------------------------------

struct SQArray : SQCollectable {
    ReallocVector<SQValue> values;
    static SQArray *create(SQSharedState *ss, SQInteger size = 0);
    explicit SQArray(SQSharedState *ss) : SQCollectable(ss) {}
    SQInteger size() const { return static_cast<SQInteger>(values.size()); }
    SQArray *clone() const;
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};

// ---------------------------------------------------------------------------
// Weak references
// ---------------------------------------------------------------------------

// Holds the target without counting it; the target's destructor nulls `obj`.
struct SQWeakRef : SQRefCounted {
    SQObject obj;  // OT_NULL once the target is gone
    ~SQWeakRef() override;  // detaches from the target
};

// ---------------------------------------------------------------------------
// User data
// ---------------------------------------------------------------------------

struct SQUserData : SQDelegable {
    SQInteger size = 0;
    SQUserPointer typetag = nullptr;
    SQRELEASEHOOK hook = nullptr;
    unsigned char *data = nullptr;  // `size` bytes, 16-byte aligned
    static SQUserData *create(SQSharedState *ss, SQInteger size);
    explicit SQUserData(SQSharedState *ss) : SQDelegable(ss) {}
    ~SQUserData() override;  // runs the hook, frees data
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};

// ---------------------------------------------------------------------------
// Outers (free variables captured by closures)
// ---------------------------------------------------------------------------

// While the declaring frame is alive the outer is "open" and reads the
// variable from its thread's stack slot; when the frame returns (or a
// generator suspends) it is closed and keeps its own copy in `value`.
struct SQOuter : SQCollectable {
    SQVM *thread = nullptr;      // owning stack while open (not counted)
    SQInteger stackidx = -1;     // absolute slot while open, -1 when closed
    SQValue value;               // the value once closed
    SQOuter *next_open = nullptr;  // the thread's list of open outers
    explicit SQOuter(SQSharedState *ss) : SQCollectable(ss) {}
    inline SQValue &ref();  // the live variable (defined with SQVM)
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};

// ---------------------------------------------------------------------------
// Closures
// ---------------------------------------------------------------------------

struct SQClosure : SQCollectable {
    SQValue proto;                      // OT_FUNCPROTO
    std::vector<SQValue> outers;        // OT_OUTER values, one per proto outer
    std::vector<SQValue> defaultparams; // values of the trailing default parameters
    SQValue env;                        // OT_WEAKREF to the bound `this`, or null
    SQValue root;                       // OT_WEAKREF to the root table, or null
    SQValue base;                       // OT_CLASS for methods (target of `base`), or null

    static SQClosure *create(SQSharedState *ss, SQFunctionProto *proto, const SQValue &root);
    explicit SQClosure(SQSharedState *ss) : SQCollectable(ss) {}
    SQFunctionProto *fn() const { return sq_proto(proto); }
    SQClosure *clone() const;
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};

struct SQNativeClosure : SQCollectable {
    SQFUNCTION func = nullptr;
    std::vector<SQValue> outers;  // free variables, pushed after the arguments
    std::vector<SQInteger> typecheck;  // per-parameter _RT_ masks (bit union); empty: none
    SQInteger nparamscheck = 0;  // >0 exact count, <0 minimum count (-n), 0 any
    SQValue name;                // OT_STRING or null
    SQValue env;                 // OT_WEAKREF or null

    static SQNativeClosure *create(SQSharedState *ss, SQFUNCTION f, SQInteger nouters);
    explicit SQNativeClosure(SQSharedState *ss) : SQCollectable(ss) {}
    SQNativeClosure *clone() const;
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};

// ---------------------------------------------------------------------------
// Classes and instances
// ---------------------------------------------------------------------------

enum SQMetaMethod {
    MT_ADD, MT_SUB, MT_MUL, MT_DIV, MT_UNM, MT_MODULO, MT_SET, MT_GET, MT_TYPEOF, MT_NEXTI, MT_CMP,
    MT_CALL, MT_CLONED, MT_NEWSLOT, MT_DELSLOT, MT_TOSTRING, MT_NEWMEMBER, MT_INHERITED,
    MT_LAST
};
// "_add", "_sub", ... in the order above.
extern const char *const sq_metamethod_names[MT_LAST];

struct SQClassMember {
    SQValue val;
    SQValue attrs;  // attribute table or null
};

// A member name in `members` maps to an integer: bit 30 set for methods and
// static members (index into `methods`), clear for fields (index into
// `fields`, copied into each instance).
enum : SQInteger { SQ_MEMBER_METHOD_BIT = 0x40000000, SQ_MEMBER_INDEX_MASK = 0x3FFFFFFF };
// In a member cache: the class has no member of that name.
constexpr SQInteger SQ_MEMBER_NONE = -1;

// Where an instruction naming a constant member found it last time in an
// instance's class, or that the class had no such member. Once a class has
// instances a member keeps its encoded index, and a member added then gives
// the class a new serial, so the answer holds while the serial matches.
struct SQMemberCache {
    // Two classes per instruction: a method inherited by a subclass, or a
    // loop over a mix of two kinds of instance, looks members up for both.
    // The newest class comes first; serial 0 marks an empty entry.
    SQUnsignedInteger class_serial[2] = {0, 0};
    SQInteger code[2] = {0, 0};  // as in SQClass::members
    SQInteger table_node = 0;    // where a table held the key last time (see SQTable::find_hinted)
};

struct SQClass : SQCollectable {
    SQUnsignedInteger serial = 0;     // unique per shared state, never reused
    SQClass *base = nullptr;          // counted reference
    SQTable *members = nullptr;       // name -> encoded index; counted
    std::vector<SQClassMember> fields;
    std::vector<SQClassMember> methods;
    SQValue metamethods[MT_LAST];     // resolved from methods for speed
    SQValue attributes;               // class attributes
    SQValue constructor;              // the `constructor` method or null
    SQUserPointer typetag = nullptr;
    SQRELEASEHOOK hook = nullptr;
    SQInteger udsize = 0;
    bool locked = false;              // true once it or a class derived from it is instantiated

    static SQClass *create(SQSharedState *ss, SQClass *base);  // copies base's members
    explicit SQClass(SQSharedState *ss) : SQCollectable(ss) {}
    ~SQClass() override;
    // Adds or replaces a member. Functions (and statics) go to methods,
    // other values to fields. Returns false (and leaves the class unchanged)
    // if the class is locked and the change would alter the instance layout:
    // a new field, or a member turning from field to method or back.
    bool newslot(const SQObject &key, const SQObject &val, bool bstatic);
    bool get(const SQObject &key, SQValue &val);  // field default or method
    bool set_attributes(const SQObject &key, const SQObject &attrs);
    bool get_attributes(const SQObject &key, SQValue &attrs);
    SQInstance *create_instance();  // fields copied from defaults, no constructor call
    SQInteger next(SQInteger pos, SQValue &key, SQValue &val);  // like SQTable::next
    SQClassMember *member(const SQObject &key);  // field default or method, or null
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;

   private:
    // Keeps `constructor` and `metamethods` in step with a member just set.
    void resolve_special(const SQObject &key, const SQObject &val);
};

struct SQInstance : SQDelegable {
    SQClass *cls = nullptr;            // counted reference
    SQUserPointer up = nullptr;
    SQRELEASEHOOK hook = nullptr;
    SQInteger udsize = 0;
    std::vector<SQValue> fields;       // one per class field
    unsigned char *userdata = nullptr; // class udsize bytes, `up` points here when set

    explicit SQInstance(SQSharedState *ss) : SQDelegable(ss) {}
    ~SQInstance() override;  // runs the hook with (up, udsize) first
    bool get(const SQObject &key, SQValue &val);  // fields then class methods
    bool set(const SQObject &key, const SQObject &val);  // fields only
    // As above for an instruction's constant key, remembering the member in `cache`.
    bool get(const SQObject &key, SQValue &val, SQMemberCache &cache);
    bool set(const SQObject &key, const SQObject &val, SQMemberCache &cache);
    // The member the cache names for this instance's class: the common case
    // of the two above, without a call. Null when the cache cannot tell.
    const SQValue *cached_member(const SQMemberCache &cache) const {
        const SQInteger code = cached_code(cache);
        if (code == SQ_MEMBER_NONE) return nullptr;
        const auto idx = static_cast<size_t>(code & SQ_MEMBER_INDEX_MASK);
        if (code & SQ_MEMBER_METHOD_BIT) return &cls->methods[idx].val;
        return idx < fields.size() ? &fields[idx] : nullptr;
    }
    SQValue *cached_field(const SQMemberCache &cache) {
        const SQInteger code = cached_code(cache);
        if (code == SQ_MEMBER_NONE || (code & SQ_MEMBER_METHOD_BIT)) return nullptr;
        const auto idx = static_cast<size_t>(code & SQ_MEMBER_INDEX_MASK);
        return idx < fields.size() ? &fields[idx] : nullptr;
    }
    bool instance_of(const SQClass *c) const;
    SQInstance *clone() const;  // shallow copy of fields, same class
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;

   private:
    SQInteger cached_code(const SQMemberCache &cache) const {
        if (!cls) return SQ_MEMBER_NONE;
        if (cache.class_serial[0] == cls->serial) return cache.code[0];
        if (cache.class_serial[1] == cls->serial) return cache.code[1];
        return SQ_MEMBER_NONE;
    }
};

// ---------------------------------------------------------------------------
// Shared state: everything the threads of one VM have in common
// ---------------------------------------------------------------------------

struct SQSharedState {
    // String interning
    std::vector<SQString *> string_buckets;
    SQInteger string_count = 0;

    // Collectable objects, for the cycle collector
    SQCollectable *gc_chain = nullptr;

    SQValue registry;     // OT_TABLE
    SQValue consttable;   // OT_TABLE
    SQValue metamethod_names[MT_LAST];  // interned "_add", ...
    SQValue constructor_name;           // "constructor"

    // Default delegates, created by the base library
    SQValue table_delegate, array_delegate, string_delegate, number_delegate, closure_delegate,
        generator_delegate, thread_delegate, class_delegate, instance_delegate, weakref_delegate;

    SQPRINTFUNCTION printfunc = nullptr;
    SQPRINTFUNCTION errorfunc = nullptr;
    SQCOMPILERERROR compilererrorhandler = nullptr;
    bool debuginfo = false;
    bool notifyallexceptions = false;
    SQUserPointer foreignptr = nullptr;
    SQRELEASEHOOK releasehook = nullptr;
    std::vector<char> scratchpad;
    SQVM *main_thread = nullptr;  // not counted
    SQUnsignedInteger class_serials = 0;  // serial of the last class made

    // Host handles taken with sq_addref: one real reference per object plus
    // the number of sq_addref calls not yet matched by sq_release.
    struct HandleRef {
        SQValue value;
        SQUnsignedInteger count = 0;
    };
    std::unordered_map<SQRefCounted *, HandleRef> handles;

    explicit SQSharedState();
    ~SQSharedState();
    // Default delegate table for a value type (null value if none).
    const SQValue &default_delegate(SQObjectType t) const;
    // Metamethod index of an interned name, or MT_LAST if it names none.
    SQMetaMethod metamethod_of(const SQObject &name) const;
    // Drops the host handles, the registry, the constant table and the
    // default delegates: everything the state itself keeps alive.
    void release_roots();
};

// Cycle collector: frees every collectable object that only other
// unreachable collectables refer to and returns how many it freed. With
// `unreachable` set it frees nothing and hands back references to them.
SQInteger sq_collect_cycles(SQSharedState *ss, std::vector<SQValue> *unreachable = nullptr);
