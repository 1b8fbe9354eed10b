// Built-in methods of threads (coroutines made by newthread).
//
// A thread keeps the function it runs at the bottom of its own stack
// (API index 1), where newthread put it, so it can be called again once
// it is idle.
#include "abaselib.h"
#include "adelegate_common.h"

static HSQUIRRELVM self_thread(HSQUIRRELVM v) { return sq_thread(sq_arg(v, 1)); }

// Each VM limits only its own nesting of natives and scripts, so a chain of
// threads running threads is limited here, to keep the C++ stack bounded
// however deep the innermost thread goes on its own. While a thread runs,
// `depth` holds the nesting of every VM below it on this OS thread.
class ThreadNesting {
   public:
    explicit ThreadNesting(HSQUIRRELVM caller) : saved_(depth) { depth += caller->nativecalls; }
    ~ThreadNesting() { depth = saved_; }
    ThreadNesting(const ThreadNesting &) = delete;
    ThreadNesting &operator=(const ThreadNesting &) = delete;
    static bool too_deep() { return depth >= SQ_MAX_NATIVE_DEPTH / 2; }

   private:
    static thread_local SQInteger depth;
    SQInteger saved_;
};

thread_local SQInteger ThreadNesting::depth = 0;

// Moves the thread's error to the calling VM and raises it there.
static SQInteger rethrow_from(HSQUIRRELVM v, HSQUIRRELVM t) {
    sq_getlasterror(t);
    sq_move(v, t, -1);
    sq_settop(t, 1);
    return sq_throwobject(v);
}

// Moves the thread's result (the value it returned or suspended with) to the
// calling VM; an idle thread is left with only its function.
static SQInteger take_result(HSQUIRRELVM v, HSQUIRRELVM t) {
    sq_move(v, t, -1);
    if (sq_getvmstate(t) == SQ_VMSTATE_IDLE) {
        sq_settop(t, 1);
    } else {
        sq_pop(t, 1);
    }
    return 1;
}

static SQInteger thread_call(HSQUIRRELVM v) {
    HSQUIRRELVM t = self_thread(v);
    if (sq_getvmstate(t) != SQ_VMSTATE_IDLE) return sq_throwerror(v, "the thread is not idle");
    if (sq_gettop(t) < 1) return sq_throwerror(v, "the thread has no function to run");
    const ThreadNesting nesting(v);
    if (ThreadNesting::too_deep()) return sq_throwerror(v, "stack overflow");
    const SQInteger nargs = sq_gettop(v) - 1;
    sq_settop(t, 1);
    if (SQ_FAILED(sq_reservestack(t, nargs + 2))) return rethrow_from(v, t);
    sq_push(t, 1);
    sq_pushroottable(t);
    for (SQInteger i = 2; i <= nargs + 1; ++i) sq_move(t, v, i);
    if (SQ_FAILED(sq_call(t, nargs + 1, SQTrue, SQTrue))) return rethrow_from(v, t);
    return take_result(v, t);
}

// Continues a suspended thread: `value` becomes the result of its suspend()
// call, or with `throwing` is raised at that point. Returns whether the
// thread went on without an uncaught error; a refused resume sets the
// error in `v` and leaves the thread suspended.
static bool resume_thread(HSQUIRRELVM v, HSQUIRRELVM t, const SQObject &value, bool throwing, bool &refused) {
    refused = true;
    switch (sq_getvmstate(t)) {
        case SQ_VMSTATE_IDLE: sq_throwerror(v, "cannot wakeup a idle thread"); return false;
        case SQ_VMSTATE_RUNNING: sq_throwerror(v, "cannot wakeup a running thread"); return false;
        default: break;
    }
    const ThreadNesting nesting(v);
    if (ThreadNesting::too_deep()) {
        sq_throwerror(v, "stack overflow");
        return false;
    }
    refused = false;
    sq_pushobject(t, value);
    if (throwing) sq_throwobject(t);
    return SQ_SUCCEEDED(sq_wakeupvm(t, throwing ? SQFalse : SQTrue, SQTrue, SQTrue, throwing ? SQTrue : SQFalse));
}

static SQInteger thread_wakeup(HSQUIRRELVM v) {
    HSQUIRRELVM t = self_thread(v);
    const SQValue value = sq_gettop(v) >= 2 ? sq_arg(v, 2) : SQValue();
    bool refused = false;
    if (resume_thread(v, t, value, false, refused)) return take_result(v, t);
    return refused ? SQ_ERROR : rethrow_from(v, t);
}

// wakeupthrow(error, [propagate = true]): resumes the thread by raising
// `error` at its suspend point; if the thread does not catch it, it reaches
// the caller only when `propagate` is true.
static SQInteger thread_wakeupthrow(HSQUIRRELVM v) {
    HSQUIRRELVM t = self_thread(v);
    const bool propagate = sq_gettop(v) < 3 || !sq_isfalse(sq_arg(v, 3));
    bool refused = false;
    if (resume_thread(v, t, sq_arg(v, 2), true, refused)) return take_result(v, t);
    if (refused) return SQ_ERROR;
    if (propagate) return rethrow_from(v, t);
    sq_settop(t, 1);
    return 0;
}

static SQInteger thread_getstatus(HSQUIRRELVM v) {
    switch (sq_getvmstate(self_thread(v))) {
        case SQ_VMSTATE_RUNNING: sq_pushstring(v, "running", -1); break;
        case SQ_VMSTATE_SUSPENDED: sq_pushstring(v, "suspended", -1); break;
        default: sq_pushstring(v, "idle", -1); break;
    }
    return 1;
}

static SQInteger thread_getstackinfos(HSQUIRRELVM v) {
    return sq_push_stackinfos(self_thread(v), sq_arg_integer(v, 2), v);
}

const SQRegFunction sq_thread_delegate_funcs[] = {
    {"call", thread_call, -1, "v"},
    {"wakeup", thread_wakeup, -1, "v"},
    {"wakeupthrow", thread_wakeupthrow, -2, "v.b"},
    {"getstatus", thread_getstatus, 1, "v"},
    {"weakref", sq_delegate_weakref, 1, nullptr},
    {"getstackinfos", thread_getstackinfos, 2, "vn"},
    {"tostring", sq_delegate_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
