// The interpreter loop. Script calls, returns, generator resumes and yields
// switch frames in place; only natives re-enter it recursively.
#include <algorithm>
#include <cstring>

#include "agenerator.h"
#include "avm.h"
#include "avm_intarith.h"

namespace {

using U = SQUnsignedInteger;

inline void set_integer(SQValue &dst, SQInteger v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    dst._type = OT_INTEGER;
    dst._unVal.raw = 0;
    dst._unVal.nInteger = v;
}

inline void set_float(SQValue &dst, SQFloat v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    dst._type = OT_FLOAT;
    dst._unVal.raw = 0;
    dst._unVal.fFloat = v;
}

inline void set_bool(SQValue &dst, bool v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    dst._type = OT_BOOL;
    dst._unVal.raw = 0;
    dst._unVal.nInteger = v ? 1 : 0;
}

inline bool both_int(const SQObject &a, const SQObject &b) {
    return a._type == OT_INTEGER && b._type == OT_INTEGER;
}

inline bool both_number(const SQObject &a, const SQObject &b) {
    return (a._type & SQOBJECT_NUMERIC) && (b._type & SQOBJECT_NUMERIC);
}

inline SQFloat as_float(const SQObject &o) {
    return o._type == OT_INTEGER ? static_cast<SQFloat>(sq_int(o)) : sq_float(o);
}

bool compare_op(int op, SQInteger c) {
    switch (op) {
        case OP_LT: return c < 0;
        case OP_LE: return c <= 0;
        case OP_GT: return c > 0;
        default: return c >= 0;
    }
}

// Fast comparison of two numbers for OP_LT..OP_GE.
bool number_compare(int op, const SQObject &a, const SQObject &b) {
    if (both_int(a, b)) {
        SQInteger x = sq_int(a), y = sq_int(b);
        return compare_op(op, x < y ? -1 : (x > y ? 1 : 0));
    }
    SQFloat x = as_float(a), y = as_float(b);
    switch (op) {
        case OP_LT: return x < y;
        case OP_LE: return x <= y;
        case OP_GT: return x > y;
        default: return x >= y;
    }
}

// Restores the thread's loop bookkeeping however the loop is left.
// A call made while older frames wait suspended leaves the thread suspended.
struct LoopScope {
    SQVM *v;
    SQInteger saved_entry;
    SQInteger saved_state;
    bool outermost;
    LoopScope(SQVM *vm, SQInteger entry)
        : v(vm), saved_entry(vm->loop_entry), saved_state(vm->state), outermost(vm->nativecalls == 0) {
        ++v->nativecalls;
        v->loop_entry = entry;
        if (outermost) v->state = SQ_VMSTATE_RUNNING;
    }
    ~LoopScope() {
        --v->nativecalls;
        v->loop_entry = saved_entry;
        if (!outermost) return;
        bool suspended = v->state == SQ_VMSTATE_SUSPENDED || saved_state == SQ_VMSTATE_SUSPENDED;
        v->state = suspended ? SQ_VMSTATE_SUSPENDED : SQ_VMSTATE_IDLE;
    }
};

}  // namespace

bool SQVM::run_loop(SQInteger entry, SQValue &ret, bool raiseerror, ExecStart start) {
    if (nativecalls >= SQ_MAX_NATIVE_DEPTH) {
        raise_error("stack overflow");
        start = ExecStart::THROW;
    }
    LoopScope scope(this, entry);
    SQCallInfo *ci;
    SQClosure *cl;
    const SQFunctionProto *fn;
    const SQInstruction *ip;
    SQValue *R;
    const SQValue *K;
    SQValue tmp;
    SQValue retval;
    SQInstruction i;
    bool hooked = false;
    bool line_hooked = false;

#define RELOAD()                                  \
    do {                                          \
        ci = &calls.back();                       \
        cl = sq_closure(ci->closure);             \
        fn = cl->fn();                            \
        ip = ci->ip;                              \
        stackbase = ci->stackbase;                \
        R = &stack[static_cast<size_t>(stackbase)]; \
        K = fn->literals.data();                  \
        top = stackbase + fn->stacksize;          \
        hooked = debug_hooked();                  \
        line_hooked = hooked && ss->debuginfo;    \
    } while (0)
#define CALL_EVENT()                                                           \
    if (hooked && !debug_event('c', fn, fn->line_of(0))) goto handle_error
#define LINE_EVENT()                                                                              \
    if (line_hooked && !debug_event('l', fn, fn->line_of(ip - 1 - fn->code.data()))) goto handle_error

    RELOAD();
    if (start == ExecStart::THROW) goto handle_error;
    if (ci->ip == fn->code.data() && ci->generator.is_null()) CALL_EVENT();
    if (start == ExecStart::RETURN) {
        retval = stack[static_cast<size_t>(suspended_target)];
        suspended_target = -1;
        goto do_return;
    }

    for (;;) {
        i = *ip++;
        ci->ip = ip;
        if (line_hooked && sq_is_line_start(fn, ip - 1 - fn->code.data())) LINE_EVENT();
        switch (i.op) {
            case OP_LOADK: R[i.a] = K[i.d]; continue;
            case OP_LOADINT: set_integer(R[i.a], static_cast<SQInteger>(i.d)); continue;
            case OP_LOADFLOAT: {
                SQFloat f;
                int32_t bits = i.d;
                memcpy(&f, &bits, sizeof f);
                set_float(R[i.a], f);
                continue;
            }
            case OP_LOADBOOL: set_bool(R[i.a], i.b != 0); continue;
            case OP_LOADNULLS:
                for (int32_t k = 0; k < i.d; ++k) R[i.a + k].set_null();
                continue;
            case OP_LOADROOT: R[i.a] = closure_root(cl); continue;
            case OP_MOVE: R[i.a] = R[i.b]; continue;

            case OP_GETK: {
                const SQValue &self = R[i.b];
                if (self._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(self)->find(K[i.d])) {
                        R[i.a] = *slot;
                        continue;
                    }
                }
                if (self._type == OT_INSTANCE && sq_instance(self)->get(K[i.d], tmp)) {
                    R[i.a] = std::move(tmp);
                    continue;
                }
                int r = try_get(self, K[i.d], tmp);
                if (r == 0 && i.b == 0) r = try_get(closure_root(cl), K[i.d], tmp);
                if (r == 0) get_index_error(K[i.d]);
                if (r <= 0) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            }
            case OP_GET: {
                const SQValue &self = R[i.b], &key = R[i.c];
                if (self._type == OT_ARRAY && key._type == OT_INTEGER) {
                    SQArray *a = sq_array(self);
                    SQInteger idx = sq_int(key);
                    if (idx >= 0 && idx < a->size()) {
                        R[i.a] = a->values[static_cast<size_t>(idx)];
                        continue;
                    }
                } else if (self._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(self)->find(key)) {
                        R[i.a] = *slot;
                        continue;
                    }
                }
                if (!get(self, key, tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            }
            case OP_SET:
            case OP_SETK: {
                const SQValue &self = R[i.b];
                const SQValue &key = i.op == OP_SETK ? K[i.c] : R[i.c];
                const SQValue &val = R[i.d];
                bool done = false;
                if (self._type == OT_ARRAY && key._type == OT_INTEGER) {
                    SQArray *a = sq_array(self);
                    SQInteger idx = sq_int(key);
                    if (idx >= 0 && idx < a->size()) {
                        a->values[static_cast<size_t>(idx)] = val;
                        done = true;
                    }
                } else if (self._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(self)->find(key)) {
                        *slot = val;
                        done = true;
                    }
                } else if (self._type == OT_INSTANCE) {
                    done = sq_instance(self)->set(key, val);
                }
                if (!done && !set(self, key, val)) goto handle_error;
                if (i.a != NO_REG) R[i.a] = R[i.d];
                continue;
            }
            case OP_NEWSLOT:
                if (!newslot(R[i.b], R[i.c], R[i.d], false)) goto handle_error;
                if (i.a != NO_REG) R[i.a] = R[i.d];
                continue;
            case OP_NEWMEMBER: {
                SQValue attrs = (i.a & 2) ? R[(i.d >> 8) & 0xFF] : SQValue();
                if (!newmember(R[i.b], R[i.c], R[i.d & 0xFF], attrs, (i.a & 1) != 0, false)) goto handle_error;
                continue;
            }
            case OP_DELETE:
                if (!delete_slot(R[i.b], R[i.c], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            case OP_GETOUTER: R[i.a] = sq_outer(cl->outers[i.b])->ref(); continue;
            case OP_SETOUTER:
                sq_outer(cl->outers[i.b])->ref() = R[i.c];
                if (i.a != NO_REG) R[i.a] = R[i.c];
                continue;
            case OP_GETBASE:
                if (cl->base._type == OT_CLASS && sq_class(cl->base)->base) {
                    R[i.a] = SQValue(sq_class(cl->base)->base);
                } else {
                    R[i.a].set_null();
                }
                continue;

            case OP_ADD: {
                const SQValue &x = R[i.b], &y = R[i.c];
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) + static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) + as_float(y));
                } else {
                    if (!arith(OP_ADD, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                continue;
            }
            case OP_SUB: {
                const SQValue &x = R[i.b], &y = R[i.c];
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) - static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) - as_float(y));
                } else {
                    if (!arith(OP_SUB, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                continue;
            }
            case OP_MUL: {
                const SQValue &x = R[i.b], &y = R[i.c];
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) * static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) * as_float(y));
                } else {
                    if (!arith(OP_MUL, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                continue;
            }
            case OP_DIV: case OP_MOD: case OP_BAND: case OP_BOR: case OP_BXOR:
            case OP_SHL: case OP_SHR: case OP_USHR: {
                SQInteger r;
                if (both_int(R[i.b], R[i.c]) && sq_int_binop(i.op, sq_int(R[i.b]), sq_int(R[i.c]), r)) {
                    set_integer(R[i.a], r);
                    continue;
                }
                if (!arith(i.op, R[i.b], R[i.c], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            }

            case OP_EQ: set_bool(R[i.a], equal(R[i.b], R[i.c])); continue;
            case OP_NE: set_bool(R[i.a], !equal(R[i.b], R[i.c])); continue;
            case OP_LT: case OP_LE: case OP_GT: case OP_GE: {
                const SQValue &x = R[i.b], &y = R[i.c];
                if (both_number(x, y)) {
                    set_bool(R[i.a], number_compare(i.op, x, y));
                    continue;
                }
                SQInteger c;
                if (!compare(x, y, c)) goto handle_error;
                set_bool(R[i.a], compare_op(i.op, c));
                continue;
            }
            case OP_CMP3: {
                SQInteger c;
                if (!compare(R[i.b], R[i.c], c)) goto handle_error;
                set_integer(R[i.a], c);  // as compared: `_cmp`'s answer, a byte difference for strings
                continue;
            }
            case OP_INSTANCEOF: {
                bool result;
                if (!instance_of(R[i.b], R[i.c], result)) goto handle_error;
                set_bool(R[i.a], result);
                continue;
            }
            case OP_IN: {
                int r = try_get(R[i.c], R[i.b], tmp, true);
                if (r < 0) goto handle_error;
                set_bool(R[i.a], r > 0);
                continue;
            }
            case OP_UNM:
                if (!unary_minus(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            case OP_NOT: set_bool(R[i.a], sq_isfalse(R[i.b])); continue;
            case OP_BNOT:
                if (R[i.b]._type != OT_INTEGER) {
                    raise_error("attempt to perform a bitwise op on a %s", sq_typename(R[i.b]._type));
                    goto handle_error;
                }
                set_integer(R[i.a], ~sq_int(R[i.b]));
                continue;
            case OP_TYPEOF:
                if (!type_of(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            case OP_CLONE:
                if (!clone(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            case OP_INCR: {
                const SQValue &x = R[i.b];
                SQInteger amount = static_cast<SQInteger>(i.c) - 128;
                if (x._type == OT_INTEGER) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) + static_cast<U>(amount)));
                } else if (x._type == OT_FLOAT) {
                    set_float(R[i.a], sq_float(x) + static_cast<SQFloat>(amount));
                } else {
                    if (!arith(OP_ADD, x, SQValue(amount), tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                continue;
            }

            case OP_JMP:
                ip += i.d;
                if (i.d < 0) LINE_EVENT();
                continue;
            case OP_JZ:
                if (!sq_isfalse(R[i.a])) continue;
                ip += i.d;
                if (i.d < 0) LINE_EVENT();
                continue;
            case OP_JNZ:
                if (sq_isfalse(R[i.a])) continue;
                ip += i.d;
                if (i.d < 0) LINE_EVENT();
                continue;

            case OP_PREPCALLK:
            case OP_PREPCALL: {
                const SQValue &key_ref = i.op == OP_PREPCALLK ? K[i.d] : R[i.d];
                if (R[i.b]._type == OT_INSTANCE && sq_instance(R[i.b])->get(key_ref, tmp)) {
                    R[i.c] = R[i.b];
                    R[i.a] = std::move(tmp);
                    continue;
                }
                if (R[i.b]._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(R[i.b])->find(key_ref)) {
                        tmp = *slot;
                        R[i.c] = R[i.b];
                        R[i.a] = std::move(tmp);
                        continue;
                    }
                }
                SQValue self = R[i.b];
                SQValue key = i.op == OP_PREPCALLK ? K[i.d] : R[i.d];
                int r = try_get(self, key, tmp);
                if (r == 0 && i.b == 0) r = try_get(closure_root(cl), key, tmp);
                if (r == 0) get_index_error(key);
                if (r <= 0) goto handle_error;
                R[i.c] = std::move(self);
                R[i.a] = std::move(tmp);
                continue;
            }
            case OP_CALL: {
                SQInteger argbase = stackbase + i.c;
                const SQValue &callee = R[i.b];
                if (callee._type == OT_CLOSURE && !sq_closure(callee)->fn()->generator) {
                    if (!push_script_frame(sq_closure(callee), i.d, argbase, i.a, false)) goto handle_error;
                    RELOAD();
                    CALL_EVENT();
                    continue;
                }
                if (callee._type == OT_NATIVECLOSURE) {
                    bool suspended;
                    native_from_loop = true;
                    SQValue holder = callee;
                    if (!call_native(sq_nclosure(holder), i.d, argbase, tmp, suspended)) goto handle_error;
                    if (suspended) {
                        suspended_target = stackbase + i.a;
                        state = SQ_VMSTATE_SUSPENDED;
                        ret = suspend_value;
                        return true;
                    }
                    R[i.a] = std::move(tmp);
                    hooked = debug_hooked();
                    line_hooked = hooked && ss->debuginfo;
                    continue;
                }
                if (callee._type == OT_CLASS) {
                    SQClass *k = sq_class(callee);
                    SQValue ctor = k->constructor;
                    if (ctor._type == OT_CLOSURE && !sq_closure(ctor)->fn()->generator) {
                        SQInstance *inst = k->create_instance();
                        if (!inst) {
                            raise_error("cannot create an instance of this class");
                            goto handle_error;
                        }
                        R[i.c] = SQValue(inst);
                        if (!push_script_frame(sq_closure(ctor), i.d, argbase, i.a, false)) goto handle_error;
                        calls.back().constructor = true;
                        RELOAD();
                        CALL_EVENT();
                        continue;
                    }
                }
                SQValue holder = callee;
                if (!call(holder, i.d, argbase, tmp, false)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;
            }
            case OP_TAILCALL: {
                SQValue callee = R[i.b];
                SQInteger nargs = i.d;
                if (callee._type == OT_CLOSURE && !sq_closure(callee)->fn()->generator &&
                    ci->generator.is_null() && !ci->constructor) {
                    SQClosure *target_cl = sq_closure(callee);
                    if (!check_arg_count(target_cl, nargs)) goto handle_error;
                    SQCallInfo saved = std::move(*ci);
                    while (!traps.empty() && traps.back().callsize >= call_depth()) traps.pop_back();
                    close_outers(stackbase);
                    for (SQInteger k = 0; k < nargs; ++k) R[k] = std::move(R[i.c + k]);
                    for (SQInteger k = nargs; k < fn->stacksize; ++k) R[k].set_null();
                    calls.pop_back();
                    if (!push_script_frame(target_cl, nargs, saved.stackbase, saved.target, saved.root)) {
                        calls.push_back(std::move(saved));
                        RELOAD();
                        goto handle_error;
                    }
                    calls.back().prevtop = saved.prevtop;
                    calls.back().prevbase = saved.prevbase;
                    RELOAD();
                    CALL_EVENT();
                    continue;
                }
                SQInteger argbase = stackbase + i.c;
                if (callee._type == OT_NATIVECLOSURE) {
                    bool suspended;
                    native_from_loop = true;
                    if (!call_native(sq_nclosure(callee), nargs, argbase, tmp, suspended)) goto handle_error;
                    if (suspended) {
                        suspended_target = argbase;
                        suspended_tailcall = true;
                        state = SQ_VMSTATE_SUSPENDED;
                        ret = suspend_value;
                        return true;
                    }
                } else if (!call(callee, nargs, argbase, tmp, false)) {
                    goto handle_error;
                }
                retval = std::move(tmp);
                goto do_return;
            }

            case OP_NEWTABLE: R[i.a] = SQValue(SQTable::create(ss, std::clamp<int32_t>(i.d, 0, 1024))); continue;
            case OP_NEWARRAY: {
                SQArray *a = SQArray::create(ss);
                a->values.reserve(static_cast<size_t>(std::clamp<int32_t>(i.d, 0, 1024)));
                R[i.a] = SQValue(a);
                continue;
            }
            case OP_APPEND:
                if (R[i.a]._type != OT_ARRAY) {
                    raise_error("appending to a %s", sq_typename(R[i.a]._type));
                    goto handle_error;
                }
                sq_array(R[i.a])->values.push_back(R[i.b]);
                continue;
            case OP_NEWCLASS:
                if (!make_class(i.b != NO_REG ? &R[i.b] : nullptr, i.c != NO_REG ? R[i.c] : SQValue(), tmp)) {
                    goto handle_error;
                }
                R[i.a] = std::move(tmp);
                continue;
            case OP_CLOSURE:
                if (!make_closure(cl, i.d, i.b != NO_REG ? &R[i.b] : nullptr, tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                continue;

            case OP_RETURN:
                if (i.b != 0) {
                    retval = R[i.a];
                } else {
                    retval.set_null();
                }
                goto do_return;
            case OP_YIELD: {
                if (ci->generator.is_null()) {
                    raise_error("yield outside a generator");
                    goto handle_error;
                }
                if (i.b != 0) {
                    retval = R[i.a];
                } else {
                    retval.set_null();
                }
                yield_generator_frame();
                bool root = ci->root;
                SQInteger target = ci->target, prevtop = ci->prevtop, prevbase = ci->prevbase;
                calls.pop_back();
                if (root) {
                    top = prevtop;
                    stackbase = prevbase;
                    ret = std::move(retval);
                    return true;
                }
                RELOAD();
                if (target >= 0) R[target] = std::move(retval);
                continue;
            }
            case OP_RESUME:
                if (R[i.b]._type != OT_GENERATOR) {
                    raise_error("trying to resume a '%s',only genenerator can be resumed", sq_typename(R[i.b]._type));
                    goto handle_error;
                }
                if (!push_generator_frame(sq_generator(R[i.b]), i.a, false)) goto handle_error;
                RELOAD();
                continue;
            case OP_PUSHTRAP:
                traps.push_back({stackbase, top, ip + i.d, i.a, call_depth()});
                continue;
            case OP_POPTRAP:
                for (int32_t k = 0; k < i.d && !traps.empty() && traps.back().callsize == call_depth(); ++k) {
                    traps.pop_back();
                }
                continue;
            case OP_THROW: raise_error(R[i.a]); goto handle_error;
            case OP_FOREACH: {
                const SQValue &cont = R[i.a];
                if (cont._type == OT_GENERATOR) {
                    SQGenerator *gen = sq_generator(cont);
                    if (gen->state == SQGenerator::DEAD) {
                        ip += i.d;
                        continue;
                    }
                    SQValue &iter = R[i.b + 2];
                    SQInteger idx = iter._type == OT_INTEGER ? sq_int(iter) + 1 : 0;
                    set_integer(iter, idx);
                    set_integer(R[i.b], idx);
                    if (!push_generator_frame(gen, i.b + 1, false)) goto handle_error;
                    calls.back().foreach_resume = true;
                    calls.back().exit_jump = i.d;
                    RELOAD();
                    continue;
                }
                SQValue key, val;
                SQValue &iter = R[i.b + 2], &limit = R[i.b + 3];
                // A table or class visits only the slots it had when the loop
                // began: slots the body inserts come after them in insertion
                // order, and would otherwise keep the loop going for ever.
                const SQTable *slots = cont._type == OT_TABLE   ? sq_table(cont)
                                       : cont._type == OT_CLASS ? sq_class(cont)->members
                                                                : nullptr;
                if (slots && iter.is_null()) set_integer(limit, slots->next_seq);
                int r = iterate(cont, iter, key, val);
                if (r < 0) goto handle_error;
                if (r > 0 && slots && limit._type == OT_INTEGER && sq_int(iter) > sq_int(limit)) r = 0;
                if (r == 0) {
                    ip += i.d;
                    continue;
                }
                R[i.b] = std::move(key);
                R[i.b + 1] = std::move(val);
                continue;
            }
            case OP_CLOSE: close_outers(stackbase + i.a); continue;
            default:
                raise_error("invalid instruction %d", static_cast<int>(i.op));
                goto handle_error;
        }

    do_return: {
        if (hooked) debug_event('r', fn, fn->line_of(ip - 1 - fn->code.data()));
        if (ci->constructor) retval = R[0];
        while (!traps.empty() && traps.back().callsize >= call_depth()) traps.pop_back();
        close_outers(stackbase);
        if (ci->generator._type == OT_GENERATOR) sq_generator(ci->generator)->kill();
        for (SQInteger k = 0; k < fn->stacksize; ++k) R[k].set_null();
        bool root = ci->root, foreach_exit = ci->foreach_resume;
        SQInteger target = ci->target, prevtop = ci->prevtop, prevbase = ci->prevbase;
        int32_t jump = ci->exit_jump;
        calls.pop_back();
        if (root) {
            top = prevtop;
            stackbase = prevbase;
            ret = std::move(retval);
            return true;
        }
        RELOAD();
        if (foreach_exit) {
            ip += jump;
        } else if (target >= 0) {
            R[target] = std::move(retval);
        }
        retval.set_null();
        continue;
    }

    handle_error: {
        if (ss->notifyallexceptions) call_errorhandler(lasterror);
        if (!traps.empty() && traps.back().callsize > entry) {
            SQExceptionTrap trap = traps.back();
            traps.pop_back();
            unwind_to(trap.callsize);
            RELOAD();
            ip = trap.ip;
            R[trap.target] = lasterror;
            error_reported = false;
            continue;
        }
        // A trap left on this thread belongs to a script frame below the
        // native that called this loop: the error will reach it, and an
        // error the script catches is not reported.
        if (raiseerror && traps.empty()) call_errorhandler(lasterror);
        SQInteger prevtop = calls[static_cast<size_t>(entry)].prevtop;
        SQInteger prevbase = calls[static_cast<size_t>(entry)].prevbase;
        unwind_to(entry);
        top = prevtop;
        stackbase = prevbase;
        return false;
    }
    }
#undef RELOAD
#undef CALL_EVENT
#undef LINE_EVENT
}
