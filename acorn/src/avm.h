// The virtual machine: one SQVM per thread of execution (the main VM and
// every thread made by newthread). All threads share one SQSharedState.
//
// Stack layout: `stack` reserves its whole limit as address space and grows
// on demand, but never moves, so pointers and indices into it stay valid.
// `stackbase` is the absolute index of the running frame's R[0] (`this`);
// `top` is one past the last used slot, and every slot at or above `top` is
// null. API indices: positive idx counts from stackbase (1 is `this` of the
// running native call), negative from top (-1 is the top value).
//
// Script-to-script calls, generator resumes and yields run inside one
// interpreter loop without C++ recursion; a native function calling back
// into script code (sq_call) enters a nested loop. A thread can suspend only
// from its outermost loop.
#pragma once

#include <algorithm>
#include <vector>

#include "aobject.h"
#include "afuncproto.h"
#include "areserved.h"

// A VM or thread starts with the slots its creator asks for (at least
// SQ_MIN_STACK_SIZE) and grows as calls need more. Only a recursion that
// would pass SQ_MAX_STACK_SLOTS slots or SQ_MAX_CALL_DEPTH frames raises
// "stack overflow".
constexpr SQInteger SQ_MIN_STACK_SIZE = 1 << 10;
constexpr SQInteger SQ_MAX_STACK_SLOTS = 1 << 22;
constexpr SQInteger SQ_MAX_CALL_DEPTH = 1 << 20;
// What the error handler may use beyond those limits, so that an overflow
// can still be reported with its call stack.
constexpr SQInteger SQ_ERRORHANDLER_SLOTS = 1 << 12;
constexpr SQInteger SQ_ERRORHANDLER_FRAMES = 1 << 8;
constexpr SQInteger SQ_MAX_NATIVE_DEPTH = 200;  // nested native->script re-entries
constexpr SQInteger SQ_NATIVE_STACK_RESERVE = 64;  // free slots guaranteed to a native call
// Registers addressable by an 8-bit operand, whatever a prototype claims.
constexpr SQInteger SQ_MAX_FRAME_REGISTERS = 256;
// Returned by a native function (through sq_suspendvm) to suspend its thread.
// The suspended value is the native's top of stack when it has more than
// `this` on its stack, else null.
constexpr SQInteger SQ_SUSPEND_FLAG = -666;

struct SQGenerator;

struct SQCallInfo {
    SQCallInfo() = default;
    // A script frame entered at its first instruction.
    SQCallInfo(SQValue c, const SQInstruction *start, SQInteger base, SQInteger result)
        : closure(std::move(c)), ip(start), stackbase(base), target(result) {}

    SQValue closure;              // SQClosure or SQNativeClosure running in this frame
    const SQInstruction *ip = nullptr;  // next instruction (script frames)
    SQInteger stackbase = 0;      // absolute index of R[0]
    SQInteger target = -1;        // caller register receiving the result (-1: none)
    SQInteger prevtop = 0;        // root frames: `top` and `stackbase` to restore on leaving
    SQInteger prevbase = 0;
    int32_t exit_jump = 0;        // generator resumed by foreach: caller's jump when it returns
    bool root = false;            // returning from this frame leaves the interpreter loop
    bool constructor = false;     // result is R[0] (the new instance), not the returned value
    bool foreach_resume = false;  // see exit_jump
    SQValue generator;            // the generator this frame runs, or null
};

struct SQExceptionTrap {
    SQInteger stackbase;
    SQInteger top;
    const SQInstruction *ip;      // handler
    SQInteger target;             // register (relative to stackbase) receiving the error
    SQInteger callsize;           // depth of the call stack when installed
};

struct SQVM : SQCollectable {
    // `top` and `stackbase` are kept apart: the compiler reads adjacent
    // 4-byte fields as one 8-byte load, which stalls right after a push has
    // stored `top` alone (store forwarding cannot split a store).
    SQInteger top = 0;
    ReservedArray<SQValue> stack;  // grows, never moves
    SQInteger stackbase = 0;
    ReservedArray<SQCallInfo> calls;
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
    SQInteger nativecalls = 0;    // nested interpreter loops running on this thread
    bool error_reported = false;  // the error handler already saw lasterror
    SQValue suspend_value;        // value passed to suspend()
    SQInteger suspended_target = -1;  // absolute slot receiving the wakeup value
    bool suspended_tailcall = false;  // the suspended call was a tail call: return its value
    SQInteger loop_entry = -1;    // call depth of the innermost interpreter loop's root frame
    bool native_from_loop = false;   // the next native call comes straight from a script frame
    bool native_may_suspend = false; // the running native may suspend the thread
    bool in_debughook = false;    // hooks do not hear their own execution
    bool hook_set = false;        // debughook or native_debughook is set; see hooks_changed()
    bool in_errorhandler = false;

    explicit SQVM(SQSharedState *ss, SQInteger stacksize = SQ_MIN_STACK_SIZE);
    ~SQVM() override;
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;

    // --- stack helpers for the API ---
    void push(const SQObject &o) {
        if (top >= static_cast<SQInteger>(stack.size())) grow_stack(top + 1);
        stack[top++] = o;
    }
    void pop(SQInteger n = 1);    // clears the popped slots
    SQValue &get_at(SQInteger idx) { return idx >= 0 ? stack[stackbase + idx - 1] : stack[top + idx]; }
    SQInteger abs_index(SQInteger idx) const { return idx >= 0 ? stackbase + idx - 1 : top + idx; }
    // Free slots left above `top`, counting those the stack can still grow by.
    SQInteger stack_room() const { return static_cast<SQInteger>(stack.limit()) - top - stack_headroom(); }
    // Makes slots below `end` usable; false (no error raised) past the limit.
    bool grow_stack(SQInteger end);

    // --- operations with full language semantics ---
    // Each returns false on error, with `lasterror` set; callers propagate.
    // Calls `closure` with `nargs` arguments already on the stack at
    // stack[argbase ..]; stack[argbase] is `this`. The result goes to `ret`.
    // `raiseerror`: call the error handler on an uncaught error. On return
    // `top` is what it was at the call. If the thread suspends inside, the
    // result is true, `state` becomes SQ_VMSTATE_SUSPENDED, `ret` holds the
    // suspended value and the frames stay on the stack (the caller must not
    // pop the arguments until the thread finishes).
    bool call(const SQObject &closure, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror);
    // Resumes a generator to its next yield (value in `ret`) or return
    // (generator dead, returned value in `ret`).
    bool resume_generator(SQGenerator *gen, SQValue &ret);
    // Continues a suspended thread: `value` becomes the result of the
    // suspend() call (or, with `throwerror`, lasterror is thrown at that
    // point). Then as call(): the next suspended value or the final result.
    bool wakeup(const SQObject &value, bool throwerror, SQValue &ret, bool raiseerror);
    // Called by a native function (sq_suspendvm) that wants to suspend its
    // thread: SQ_SUSPEND_FLAG if allowed, else raises and returns SQ_ERROR.
    SQInteger suspend();
    // Slot access with delegates, default delegates and _get/_set metamethods.
    // `raw` skips delegates and metamethods. Missing slot: false with
    // "the index '%s' does not exist" unless `quiet` (then false with no error).
    bool get(const SQObject &self, const SQObject &key, SQValue &dest, bool raw = false, bool quiet = false);
    // As get(): 1 found, 0 missing (no error raised), -1 error.
    int try_get(const SQObject &self, const SQObject &key, SQValue &dest, bool raw = false);
    bool set(const SQObject &self, const SQObject &key, const SQObject &val, bool raw = false);
    bool newslot(const SQObject &self, const SQObject &key, const SQObject &val, bool bstatic, bool raw = false);
    // Class member with attributes; calls the class's `_newmember` unless `raw`.
    bool newmember(const SQObject &cls, const SQObject &key, const SQObject &val, const SQObject &attrs,
                   bool bstatic, bool raw);
    bool delete_slot(const SQObject &self, const SQObject &key, SQValue &removed, bool raw = false);
    bool arith(int op, const SQObject &a, const SQObject &b, SQValue &dest);  // op: OP_ADD ..OP_USHR
    bool unary_minus(const SQObject &a, SQValue &dest);                      // with _unm
    bool compare(const SQObject &a, const SQObject &b, SQInteger &result);    // <0, 0, >0, with _cmp
    bool equal(const SQObject &a, const SQObject &b);
    bool tostring(const SQObject &o, SQValue &dest);   // uses _tostring
    bool type_of(const SQObject &o, SQValue &dest);    // uses _typeof
    bool clone(const SQObject &o, SQValue &dest);      // uses _cloned
    bool instance_of(const SQObject &o, const SQObject &cls, bool &result);
    // `_nexti`-aware iteration step used by foreach and sq_next.
    // Returns 1 with key/val/iter updated, 0 at the end, -1 on error.
    // Generators are not iterated here (foreach resumes them in its loop).
    int iterate(const SQObject &o, SQValue &iter, SQValue &key, SQValue &val);

    // --- debugging ---
    // Call-stack level 0 is the innermost frame.
    SQInteger call_depth() const { return static_cast<SQInteger>(calls.size()); }
    bool stack_info(SQInteger level, SQStackInfos &si) const;
    // Name of local `idx` live at that level (0 counts from the first
    // visible local), its value in `val`; null when there is none.
    const char *local_name(SQInteger level, SQInteger idx, SQValue &val) const;

    // Whether a native or script debug hook is set. Read on every script
    // call and return, so it is kept as a flag: whatever sets a hook calls
    // hooks_changed().
    bool debug_hooked() const { return hook_set; }
    void hooks_changed() {
        hook_set = native_debughook || debughook._type == OT_CLOSURE || debughook._type == OT_NATIVECLOSURE;
    }
    // Tells the debug hook about event `type` ('c', 'r' or 'l'); false if
    // the hook raised an error (then in lasterror).
    bool debug_event(SQInteger type, const SQFunctionProto *fn, SQInteger line);

    // --- errors ---
    void raise_error(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void raise_error(const SQObject &value);
    // Runs the error handler (if set) on the error.
    void call_errorhandler(const SQObject &error);

    // --- internals shared by the VM's own files ---
    // How the interpreter loop starts on the top frame.
    enum class ExecStart {
        RUN,     // at the frame's next instruction
        THROW,   // by throwing lasterror
        RETURN,  // by returning stack[suspended_target] (a woken tail call)
    };
    // Runs frames until the one at `entry_depth` returns or yields, or the
    // thread suspends. Memory running out becomes the script error "out of
    // memory", thrown in the running frame.
    bool execute(SQInteger entry_depth, SQValue &ret, bool raiseerror, ExecStart start = ExecStart::RUN);
    bool run_loop(SQInteger entry_depth, SQValue &ret, bool raiseerror, ExecStart start);
    // Runs a native function; memory running out inside it is its error.
    SQInteger run_native(SQNativeClosure *nc);
    bool call_any(const SQObject &closure, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror);
    bool construct(SQClass *cls, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror);
    bool fail_call(bool raiseerror);
    bool check_arg_count(SQClosure *closure, SQInteger nargs);
    // Fills default parameters and vargv, binds the environment.
    bool setup_args(SQClosure *closure, SQInteger nargs, SQInteger argbase);
    bool make_generator(SQClosure *closure, SQInteger nargs, SQInteger argbase, SQValue &ret);
    // Pushes a script frame for `closure` whose arguments are at
    // stack[argbase ..]. Checks argument count, fills defaults and vargv.
    bool push_script_frame(SQClosure *closure, SQInteger nargs, SQInteger argbase, SQInteger target, bool root);
    // The last step of every script call, with the arguments in place:
    // `closure` (a counted reference to it) runs at `argbase`.
    SQCallInfo &open_script_frame(SQValue closure, SQInteger argbase, SQInteger target) {
        const SQFunctionProto *fn = sq_closure(closure)->fn();
        clear_stale_registers(argbase, fn->nparams + (fn->varparams ? 1 : 0), fn->stacksize);
        SQCallInfo &ci = calls.emplace_back(std::move(closure), fn->code.data(), argbase, target);
        stackbase = argbase;
        top = argbase + fn->stacksize;
        return ci;
    }
    // Nulls registers [from, size) of a frame starting at `argbase` that the
    // caller's frame left values in. Slots at or above `top` are null already.
    void clear_stale_registers(SQInteger argbase, SQInteger from, SQInteger size) {
        SQValue *regs = &stack[static_cast<size_t>(argbase)];
        SQInteger end = std::min(size, top - argbase);
        for (SQInteger i = from; i < end; ++i) {
            if (regs[i]._type != OT_NULL) regs[i].set_null();
        }
    }
    bool call_native(SQNativeClosure *nc, SQInteger nargs, SQInteger argbase, SQValue &ret, bool &suspended);
    bool call_metamethod(const SQObject &fn, const SQObject &self, SQInteger nargs, const SQObject *args,
                         SQValue &ret);
    // Looks up metamethod `mm` of a table (through its delegate), instance or user data.
    bool find_metamethod(const SQObject &o, SQMetaMethod mm, SQValue &fn);
    // Closure of child prototype `protoidx` of the running frame's function.
    bool make_closure(const SQClosure *parent, SQInteger protoidx, const SQValue *env, SQValue &out);
    bool make_class(const SQObject *base, const SQObject &attrs, SQValue &out);
    bool push_generator_frame(SQGenerator *gen, SQInteger target, bool root);
    void yield_generator_frame();
    SQOuter *find_outer(SQInteger stackidx);
    // Inline because every return runs it and almost never finds an outer.
    void close_outers(SQInteger from_stackidx) {
        if (open_outers && open_outers->stackidx >= from_stackidx) close_open_outers(from_stackidx);
    }
    void close_open_outers(SQInteger from_stackidx);
    // Drops frames above `depth`, closing their outers and clearing their registers.
    void unwind_to(SQInteger depth);
    // Room for a frame of `size` registers at `base`; inline, as every call asks.
    bool check_stack(SQInteger base, SQInteger size) { return frame_fits(base, size) || make_room(base, size); }
    bool make_room(SQInteger base, SQInteger size);  // grows the stack, or raises "stack overflow"
    // check_stack's test for the common case: the frame fits the slots the
    // stack has now, so nothing needs to grow.
    bool frame_fits(SQInteger base, SQInteger size) const {
        return frame_end(base, size) <= static_cast<SQInteger>(stack.size()) && call_depth() < SQ_MAX_CALL_DEPTH;
    }
    // One past the last slot a frame of `size` registers at `base` may touch,
    // with the room a native called from it is promised.
    static SQInteger frame_end(SQInteger base, SQInteger size) {
        return base + std::max(size, SQ_MAX_FRAME_REGISTERS) + SQ_NATIVE_STACK_RESERVE;
    }
    // Slots of the reservation kept back for the error handler.
    SQInteger stack_headroom() const { return in_errorhandler ? 0 : SQ_ERRORHANDLER_SLOTS; }
    const SQObject &closure_root(const SQClosure *c) const;
    bool get_index_error(const SQObject &key);
};

// Read in every free-variable access: inline.
inline SQValue &SQOuter::ref() { return stackidx >= 0 ? thread->stack[static_cast<size_t>(stackidx)] : value; }

// Whether instruction `pc` is the first of a source line.
bool sq_is_line_start(const SQFunctionProto *fn, SQInteger pc);
// Creates a shared state, its main thread and the core tables.
SQVM *sq_new_main_vm(SQInteger stacksize);
// Writes "(typename : 0x...)" for reference types, used by tostring.
void sq_object_name(const SQObject &o, std::string &out);
