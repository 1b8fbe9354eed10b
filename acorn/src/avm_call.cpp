// Calls: argument checks, frames for script closures, native calls,
// constructors, `_call`, generators and thread suspension.
#include <algorithm>
#include <new>
#include <string>

#include "agenerator.h"
#include "avm.h"

void sq_generator_save_outers(SQVM *v, SQGenerator *gen, SQInteger base);
void sq_generator_restore_outers(SQVM *v, SQGenerator *gen, SQInteger base);

namespace {

const SQObjectType TYPECHECK_TYPES[] = {
    OT_NULL,     OT_INTEGER,   OT_FLOAT,          OT_BOOL,      OT_STRING,      OT_TABLE,
    OT_ARRAY,    OT_USERDATA,  OT_CLOSURE,        OT_NATIVECLOSURE, OT_GENERATOR, OT_USERPOINTER,
    OT_THREAD,   OT_FUNCPROTO, OT_CLASS,          OT_INSTANCE,  OT_WEAKREF,
};

std::string mask_names(SQInteger mask) {
    std::string out;
    for (SQObjectType t : TYPECHECK_TYPES) {
        if (!(mask & _RAW_TYPE(t))) continue;
        // Script and native closures are both "function": named once each, as
        // the reference names them.
        if (!out.empty()) out += '|';
        out += sq_typename(t);
    }
    return out;
}

SQValue weak_target(const SQValue &env) { return SQValue(sq_weak(env)->obj); }

// Constructors and `_call` must be functions: anything else could make a
// call loop that never enters the interpreter's depth checks.
bool is_function(const SQObject &o) { return o._type == OT_CLOSURE || o._type == OT_NATIVECLOSURE; }

}  // namespace

// A call refused before it started is reported only when no script is
// running; otherwise the caller's frame receives the error and reports it.
bool SQVM::fail_call(bool raiseerror) {
    if (ss->notifyallexceptions || (raiseerror && calls.empty())) call_errorhandler(lasterror);
    return false;
}

bool SQVM::make_room(SQInteger base, SQInteger size) {
    SQInteger end = frame_end(base, size);
    SQInteger slot_limit = static_cast<SQInteger>(stack.limit()) - stack_headroom();
    SQInteger depth_limit = SQ_MAX_CALL_DEPTH + (in_errorhandler ? SQ_ERRORHANDLER_FRAMES : 0);
    if (base < 0 || end > slot_limit || call_depth() >= depth_limit || !grow_stack(end)) {
        raise_error("stack overflow");
        return false;
    }
    return true;
}

bool SQVM::check_arg_count(SQClosure *closure, SQInteger nargs) {
    const SQFunctionProto *fn = closure->fn();
    SQInteger nparams = fn->nparams;
    SQInteger required = nparams - static_cast<SQInteger>(closure->defaultparams.size());
    // The count named is every parameter, defaults included, as the reference says it.
    if (nargs < required) {
        raise_error("wrong number of parameters (%d passed, %s%d required)", static_cast<int>(nargs),
                    fn->varparams ? "at least " : "", static_cast<int>(nparams));
        return false;
    }
    if (nargs > nparams && !fn->varparams) {
        raise_error("wrong number of parameters (%d passed, %d required)", static_cast<int>(nargs),
                    static_cast<int>(nparams));
        return false;
    }
    return true;
}

bool SQVM::setup_args(SQClosure *closure, SQInteger nargs, SQInteger argbase) {
    if (!check_arg_count(closure, nargs)) return false;
    const SQFunctionProto *fn = closure->fn();
    SQInteger nparams = fn->nparams;
    SQInteger firstdefault = nparams - static_cast<SQInteger>(closure->defaultparams.size());
    for (SQInteger i = nargs; i < nparams; ++i) {
        stack[static_cast<size_t>(argbase + i)] = closure->defaultparams[static_cast<size_t>(i - firstdefault)];
    }
    if (fn->varparams) {
        SQArray *vargv = SQArray::create(ss);
        SQValue holder(vargv);
        for (SQInteger i = nparams; i < nargs; ++i) {
            vargv->values.push_back(std::move(stack[static_cast<size_t>(argbase + i)]));
        }
        stack[static_cast<size_t>(argbase + nparams)] = std::move(holder);
    }
    if (closure->env._type == OT_WEAKREF) stack[static_cast<size_t>(argbase)] = weak_target(closure->env);
    return true;
}

bool SQVM::push_script_frame(SQClosure *closure, SQInteger nargs, SQInteger argbase, SQInteger target,
                             bool root) {
    const SQFunctionProto *fn = closure->fn();
    if (!check_stack(argbase, std::max(fn->stacksize, nargs))) return false;
    // Most calls pass exactly the declared parameters to a closure with no
    // bound environment: nothing to fill in. Otherwise the argument slots
    // may hold the only other reference to the closure, and `keep` is taken
    // before they change.
    SQValue keep(closure);
    const bool plain = nargs == fn->nparams && !fn->varparams && closure->env._type != OT_WEAKREF;
    if (!plain && !setup_args(closure, nargs, argbase)) return false;
    open_script_frame(std::move(keep), argbase, target).root = root;
    return true;
}

bool SQVM::make_generator(SQClosure *closure, SQInteger nargs, SQInteger argbase, SQValue &ret) {
    SQValue keep(closure);
    const SQFunctionProto *fn = closure->fn();
    if (!check_stack(argbase, std::max(fn->stacksize, nargs)) || !setup_args(closure, nargs, argbase)) return false;
    SQGenerator *gen = SQGenerator::create(ss, closure);
    SQValue holder(gen);
    gen->registers.resize(static_cast<size_t>(std::max<SQInteger>(fn->stacksize, 1)));
    SQInteger live = std::min<SQInteger>(fn->nparams + (fn->varparams ? 1 : 0), fn->stacksize);
    SQInteger used = std::max(nargs, live);
    for (SQInteger i = 0; i < used; ++i) {
        SQValue &slot = stack[static_cast<size_t>(argbase + i)];
        if (i < live) {
            gen->registers[static_cast<size_t>(i)] = std::move(slot);
        } else {
            slot.set_null();
        }
    }
    ret = std::move(holder);
    return true;
}

static bool check_native_params(SQVM *v, const SQNativeClosure *nc, SQInteger nargs, SQInteger argbase) {
    SQInteger want = nc->nparamscheck;
    if ((want > 0 && nargs != want) || (want < 0 && nargs < -want)) {
        v->raise_error("wrong number of parameters");
        return false;
    }
    SQInteger n = std::min<SQInteger>(nargs, static_cast<SQInteger>(nc->typecheck.size()));
    for (SQInteger i = 0; i < n; ++i) {
        SQInteger mask = nc->typecheck[static_cast<size_t>(i)];
        SQObjectType t = v->stack[static_cast<size_t>(argbase + i)]._type;
        if (mask == 0 || mask == -1 || (t & mask)) continue;
        v->raise_error("parameter %d has an invalid type '%s' ; expected: '%s'", static_cast<int>(i),
                       sq_typename(t), mask_names(mask).c_str());
        return false;
    }
    return true;
}

SQInteger SQVM::run_native(SQNativeClosure *nc) {
    const SQInteger depth = call_depth();
    try {
        return nc->func(this);
    } catch (const std::bad_alloc &) {
        unwind_to(depth);
        raise_error("out of memory");
        return SQ_ERROR;
    }
}

// The loop starts again by throwing the error in the frame that ran out, so
// a script's try/catch sees it like any other error; a loop whose frames are
// gone already only reports it.
bool SQVM::execute(SQInteger entry, SQValue &ret, bool raiseerror, ExecStart start) {
    for (;;) {
        try {
            return run_loop(entry, ret, raiseerror, start);
        } catch (const std::bad_alloc &) {
            raise_error("out of memory");
            if (call_depth() <= entry || calls.back().closure._type != OT_CLOSURE) return false;
            start = ExecStart::THROW;
        }
    }
}

bool SQVM::call_native(SQNativeClosure *nc, SQInteger nargs, SQInteger argbase, SQValue &ret, bool &suspended) {
    suspended = false;
    bool from_loop = native_from_loop;
    native_from_loop = false;
    SQInteger nouters = static_cast<SQInteger>(nc->outers.size());
    if (!check_native_params(this, nc, nargs, argbase) || !check_stack(argbase, nargs + nouters)) return false;
    if (nc->env._type == OT_WEAKREF) stack[static_cast<size_t>(argbase)] = weak_target(nc->env);
    SQInteger savedbase = stackbase, savedtop = top;
    bool saved_may_suspend = native_may_suspend;
    native_may_suspend = from_loop && nativecalls == 1 && loop_entry == 0;
    calls.emplace_back(SQValue(nc), nullptr, argbase, -1);
    stackbase = argbase;
    top = argbase + nargs;
    for (const SQValue &outer : nc->outers) push(outer);
    SQInteger result = run_native(nc);
    SQInteger endtop = std::clamp<SQInteger>(top, argbase, static_cast<SQInteger>(stack.size()));
    calls.pop_back();
    native_may_suspend = saved_may_suspend;
    bool ok = true;
    if (result == SQ_SUSPEND_FLAG) {
        suspended = true;
        suspend_value = endtop - 1 > argbase ? stack[static_cast<size_t>(endtop - 1)] : SQValue();
        ret.set_null();
    } else if (result < 0) {
        ok = false;
    } else if (result > 0 && endtop > argbase) {
        ret = stack[static_cast<size_t>(endtop - 1)];
    } else {
        ret.set_null();
    }
    SQInteger clear_end = std::max(endtop, argbase + nargs + nouters);
    for (SQInteger i = argbase; i < clear_end; ++i) stack[static_cast<size_t>(i)].set_null();
    stackbase = savedbase;
    top = savedtop;
    return ok;
}

bool SQVM::construct(SQClass *cls, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror) {
    SQInstance *inst = cls->create_instance();
    if (!inst) {
        raise_error("cannot create an instance of this class");
        return fail_call(raiseerror);
    }
    SQValue instance(inst);
    SQValue ctor = cls->constructor;
    if (!ctor.is_null() && !is_function(ctor)) {
        raise_error("attempt to call '%s'", sq_typename(ctor._type));
        return fail_call(raiseerror);
    }
    stack[static_cast<size_t>(argbase)] = instance;
    if (!ctor.is_null()) {
        SQValue ignored;
        if (!call(ctor, nargs, argbase, ignored, raiseerror)) return false;
    }
    ret = std::move(instance);
    return true;
}

bool SQVM::call_any(const SQObject &closure, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror) {
    SQInteger prevtop = top, prevbase = stackbase;
    switch (closure._type) {
        case OT_CLOSURE: {
            SQClosure *c = sq_closure(closure);
            if (c->fn()->generator) return make_generator(c, nargs, argbase, ret) || fail_call(raiseerror);
            if (!push_script_frame(c, nargs, argbase, -1, true)) return fail_call(raiseerror);
            SQCallInfo &ci = calls.back();
            ci.prevtop = prevtop;
            ci.prevbase = prevbase;
            return execute(call_depth() - 1, ret, raiseerror);
        }
        case OT_NATIVECLOSURE: {
            bool suspended;
            if (!call_native(sq_nclosure(closure), nargs, argbase, ret, suspended)) return fail_call(raiseerror);
            if (suspended) {
                raise_error("cannot suspend through native calls");
                return fail_call(raiseerror);
            }
            return true;
        }
        case OT_CLASS: return construct(sq_class(closure), nargs, argbase, ret, raiseerror);
        case OT_TABLE:
        case OT_INSTANCE:
        case OT_USERDATA: {
            SQValue fn;
            if (!find_metamethod(closure, MT_CALL, fn) || !is_function(fn)) break;
            if (!check_stack(top, nargs + 1)) return fail_call(raiseerror);
            SQInteger newbase = top;
            push(closure);
            for (SQInteger i = 0; i < nargs; ++i) push(stack[static_cast<size_t>(argbase + i)]);
            bool ok = call(fn, nargs + 1, newbase, ret, raiseerror);
            pop(top - newbase);
            return ok;
        }
        default: break;
    }
    raise_error("attempt to call '%s'", sq_typename(closure._type));
    return fail_call(raiseerror);
}

bool SQVM::call(const SQObject &closure, SQInteger nargs, SQInteger argbase, SQValue &ret, bool raiseerror) {
    SQInteger prevtop = top, prevbase = stackbase;
    SQInteger depth = call_depth();
    SQValue callee = closure;
    bool ok = call_any(callee, nargs, argbase, ret, raiseerror);
    if (call_depth() > depth) return ok;  // suspended: the frames stay
    for (SQInteger i = prevtop; i < top; ++i) stack[static_cast<size_t>(i)].set_null();
    top = prevtop;
    stackbase = prevbase;
    return ok;
}

bool SQVM::push_generator_frame(SQGenerator *gen, SQInteger target, bool root) {
    if (gen->state == SQGenerator::DEAD) {
        raise_error("resuming dead generator");
        return false;
    }
    if (gen->state == SQGenerator::RUNNING) {
        raise_error("resuming active generator");
        return false;
    }
    SQClosure *c = sq_closure(gen->closure);
    const SQFunctionProto *fn = c->fn();
    SQInteger base = top;
    if (!check_stack(base, fn->stacksize)) return false;
    SQInteger nregs = static_cast<SQInteger>(gen->registers.size());
    for (SQInteger i = 0; i < nregs; ++i) {
        stack[static_cast<size_t>(base + i)] = std::move(gen->registers[static_cast<size_t>(i)]);
    }
    gen->registers.clear();
    sq_generator_restore_outers(this, gen, base);
    SQInteger callsize = call_depth() + 1;
    for (const SQGenerator::SavedTrap &t : gen->traps) {
        traps.push_back({base, base + t.top, fn->code.data() + t.ip_offset, t.target, callsize});
    }
    gen->traps.clear();
    SQCallInfo &ci = calls.emplace_back();
    ci.closure = gen->closure;
    ci.ip = fn->code.data() + gen->ip_offset;
    ci.stackbase = base;
    ci.target = target;
    ci.root = root;
    ci.generator = SQValue(gen);
    gen->state = SQGenerator::RUNNING;
    stackbase = base;
    top = base + fn->stacksize;
    return true;
}

void SQVM::yield_generator_frame() {
    SQCallInfo &ci = calls.back();
    SQGenerator *gen = sq_generator(ci.generator);
    const SQFunctionProto *fn = sq_closure(ci.closure)->fn();
    SQInteger base = ci.stackbase;
    SQInteger depth = call_depth();
    size_t first = traps.size();
    while (first > 0 && traps[first - 1].callsize == depth) --first;
    for (size_t i = first; i < traps.size(); ++i) {
        const SQExceptionTrap &t = traps[i];
        gen->traps.push_back({t.top - base, static_cast<SQInteger>(t.ip - fn->code.data()), t.target});
    }
    traps.resize(first);
    sq_generator_save_outers(this, gen, base);
    gen->registers.resize(static_cast<size_t>(fn->stacksize));
    for (SQInteger i = 0; i < fn->stacksize; ++i) {
        gen->registers[static_cast<size_t>(i)] = std::move(stack[static_cast<size_t>(base + i)]);
    }
    gen->ip_offset = static_cast<SQInteger>(ci.ip - fn->code.data());
    gen->state = SQGenerator::SUSPENDED;
}

bool SQVM::resume_generator(SQGenerator *gen, SQValue &ret) {
    SQInteger prevtop = top, prevbase = stackbase;
    if (!push_generator_frame(gen, -1, true)) return false;
    SQCallInfo &ci = calls.back();
    ci.prevtop = prevtop;
    ci.prevbase = prevbase;
    return execute(call_depth() - 1, ret, false);
}

bool SQVM::wakeup(const SQObject &value, bool throwerror, SQValue &ret, bool raiseerror) {
    if (state != SQ_VMSTATE_SUSPENDED || calls.empty()) {
        raise_error("cannot resume a vm that is not running any code");
        return false;
    }
    if (!throwerror && suspended_target >= 0) stack[static_cast<size_t>(suspended_target)] = value;
    ExecStart start = throwerror ? ExecStart::THROW : (suspended_tailcall ? ExecStart::RETURN : ExecStart::RUN);
    suspended_tailcall = false;
    if (start != ExecStart::RETURN) suspended_target = -1;
    state = SQ_VMSTATE_RUNNING;
    return execute(0, ret, raiseerror, start);
}

SQInteger SQVM::suspend() {
    if (!native_may_suspend) {
        raise_error("cannot suspend through native calls");
        return SQ_ERROR;
    }
    return SQ_SUSPEND_FLAG;
}

void SQVM::unwind_to(SQInteger depth) {
    while (call_depth() > depth) {
        SQCallInfo &ci = calls.back();
        while (!traps.empty() && traps.back().callsize >= call_depth()) traps.pop_back();
        if (ci.closure._type == OT_CLOSURE) {
            close_outers(ci.stackbase);
            SQInteger end = ci.stackbase + sq_closure(ci.closure)->fn()->stacksize;
            for (SQInteger i = ci.stackbase; i < end; ++i) stack[static_cast<size_t>(i)].set_null();
            if (ci.generator._type == OT_GENERATOR) sq_generator(ci.generator)->kill();
        }
        calls.pop_back();
    }
}
