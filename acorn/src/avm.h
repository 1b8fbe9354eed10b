// The virtual machine: one SQVM per thread of execution (the main VM and
// every thread made by newthread). All threads share one SQSharedState.
//
// Stack layout: `stack` is allocated once at its full size and never moves,
// so pointers and indices into it stay valid. `stackbase` is the absolute
// index of the running frame's R[0] (`this`); `top` is one past the last
// used slot. API indices: positive idx counts from stackbase (1 is `this` of
// the running native call), negative from top (-1 is the top value).
#pragma once

#include <vector>

#include "aobject.h"
#include "afuncproto.h"

constexpr SQInteger SQ_STACK_SIZE = 1 << 16;    // slots per thread
constexpr SQInteger SQ_MAX_CALL_DEPTH = 2000;   // deeper raises "stack overflow"
constexpr SQInteger SQ_MAX_NATIVE_DEPTH = 200;  // nested native->script re-entries

struct SQCallInfo {
    SQValue closure;              // the function running in this frame
    const SQInstruction *ip = nullptr;  // next instruction (script frames)
    SQInteger stackbase = 0;      // absolute index of R[0]
    SQInteger prevtop = 0;        // caller's top, restored on return
    SQInteger target = -1;        // caller register receiving the result (-1: none)
    SQInteger ntraps = 0;         // exception handlers installed by this frame
    bool root = false;            // returning from this frame leaves the VM loop
    bool generator = false;       // frame belongs to a running generator
};

struct SQExceptionTrap {
    SQInteger stackbase;
    SQInteger top;
    const SQInstruction *ip;      // handler
    SQInteger target;             // register (relative to stackbase) receiving the error
    SQInteger callsize;           // depth of the call stack when installed
};

struct SQVM : SQCollectable {
    std::vector<SQValue> stack;   // SQ_STACK_SIZE slots, never reallocated
    SQInteger top = 0;
    SQInteger stackbase = 0;
    std::vector<SQCallInfo> calls;
    std::vector<SQExceptionTrap> traps;
    SQOuter *open_outers = nullptr;  // sorted by stack index, highest first

    SQValue roottable;            // OT_TABLE
    SQValue lasterror;
    SQValue errorhandler;         // closure called with the error, or null
    SQValue debughook;
    SQDEBUGHOOK native_debughook = nullptr;
    SQUserPointer foreignptr = nullptr;
    SQRELEASEHOOK releasehook = nullptr;
    SQInteger state = SQ_VMSTATE_IDLE;
    SQInteger nativecalls = 0;    // native re-entry depth
    bool suspend_requested = false;
    SQValue suspend_value;        // value passed to suspend()
    SQValue wakeup_value;         // value passed to wakeup()

    explicit SQVM(SQSharedState *ss);
    ~SQVM() override;
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;

    // --- stack helpers for the API ---
    void push(const SQObject &o) { stack[top++] = o; }
    void pop(SQInteger n = 1);    // clears the popped slots
    SQValue &get_at(SQInteger idx) { return idx >= 0 ? stack[stackbase + idx - 1] : stack[top + idx]; }
    SQInteger abs_index(SQInteger idx) const { return idx >= 0 ? stackbase + idx - 1 : top + idx; }

    // --- operations with full language semantics ---
    // Each returns false on error, with `lasterror` set; callers propagate.
    // Calls `closure` with `nargs` arguments already on the stack at
    // stack[argbase ..]; stack[argbase] is `this`. The result goes to `ret`.
    // `raiseerror`: call the error handler on an uncaught error.
    bool call(const SQObject &closure, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror);
    // Resumes a generator, result to `ret`.
    bool resume_generator(SQGenerator *gen, SQValue &ret);
    // Slot access with delegates, default delegates and _get/_set metamethods.
    // `raw` skips delegates and metamethods. Missing slot: false with
    // "the index '%s' does not exist" unless `quiet` (then false with no error).
    bool get(const SQObject &self, const SQObject &key, SQValue &dest, bool raw = false, bool quiet = false);
    bool set(const SQObject &self, const SQObject &key, const SQObject &val, bool raw = false);
    bool newslot(const SQObject &self, const SQObject &key, const SQObject &val, bool bstatic, bool raw = false);
    bool delete_slot(const SQObject &self, const SQObject &key, SQValue &removed, bool raw = false);
    bool arith(int op, const SQObject &a, const SQObject &b, SQValue &dest);  // op: OP_ADD ..OP_USHR
    bool compare(const SQObject &a, const SQObject &b, SQInteger &result);    // <0, 0, >0, with _cmp
    bool equal(const SQObject &a, const SQObject &b);
    bool tostring(const SQObject &o, SQValue &dest);   // uses _tostring
    bool type_of(const SQObject &o, SQValue &dest);    // uses _typeof
    bool clone(const SQObject &o, SQValue &dest);      // uses _cloned
    // `_nexti`-aware iteration step used by foreach and sq_next.
    // Returns 1 with key/val/iter updated, 0 at the end, -1 on error.
    int iterate(const SQObject &o, SQValue &iter, SQValue &key, SQValue &val);

    // --- errors ---
    void raise_error(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void raise_error(const SQObject &value);
    // Runs the error handler (if set) on the current lasterror.
    void call_errorhandler(const SQObject &error);
};

// Creates a shared state, its main thread and the core tables.
SQVM *sq_new_main_vm(SQInteger stacksize);
