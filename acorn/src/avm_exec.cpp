// The interpreter loop. Script calls, returns, generator resumes and yields
// switch frames in place; only natives re-enter it recursively.
#include <algorithm>
#include <cstring>

#include "agenerator.h"
#include "avm.h"
#include "avm_intarith.h"

#if defined(__GNUC__)
#define ACORN_THREADED_DISPATCH 1
#else
#define ACORN_THREADED_DISPATCH 0
#endif

namespace {

using U = SQUnsignedInteger;

inline void set_integer(SQValue &dst, SQInteger v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    sq_set_fields(dst, OT_INTEGER, sq_raw_bits(v));
}

inline void set_float(SQValue &dst, SQFloat v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    sq_set_fields(dst, OT_FLOAT, sq_raw_bits(v));
}

inline void set_bool(SQValue &dst, bool v) {
    if (ISREFCOUNTED(dst._type)) dst.set_null();
    sq_set_fields(dst, OT_BOOL, sq_raw_bits(SQInteger(v ? 1 : 0)));
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

// An array or a string has no slot a string names and no metamethods, so
// such a key is found in its type's default delegate or not at all: looked
// up there at once, from the node the instruction found last time.
inline SQValue *builtin_member(const SQSharedState *ss, const SQObject &self, const SQObject &key, SQInteger &hint) {
    if (key._type != OT_STRING || (self._type != OT_ARRAY && self._type != OT_STRING)) return nullptr;
    const SQValue &delegate = self._type == OT_ARRAY ? ss->array_delegate : ss->string_delegate;
    return delegate._type == OT_TABLE ? sq_table(delegate)->find_hinted(key, hint) : nullptr;
}

// A name a method reads through `this` that its class lacks, with no `_get`
// to ask and no built-in instance method of that name, is looked up in the
// root table next: there at once, from the node the instruction found last
// time. Null leaves the lookup to the general path.
inline SQValue *root_name_in_method(const SQSharedState *ss, const SQInstance *self, const SQObject &root,
                                    const SQObject &key, SQInteger &hint) {
    if (key._type != OT_STRING || root._type != OT_TABLE || !self->cls) return nullptr;
    if (!self->cls->metamethods[MT_GET].is_null()) return nullptr;
    const SQValue &builtins = ss->instance_delegate;
    if (builtins._type != OT_TABLE || sq_table(builtins)->find(key)) return nullptr;
    return sq_table(root)->find_hinted(key, hint);
}

// The common script call, entered without leaving the loop: exactly the
// declared arguments, no bound environment, and room on the stack. Returns
// false, having changed nothing, when push_script_frame must take it.
inline bool enter_plain_frame(SQVM &v, SQClosure *callee, SQInteger nargs, SQInteger argbase, SQInteger target) {
    const SQFunctionProto *fn = callee->fn();
    if (nargs != fn->nparams || fn->varparams || fn->generator || callee->env._type == OT_WEAKREF) return false;
    if (!v.frame_fits(argbase, fn->stacksize)) return false;
    v.open_script_frame(SQValue(callee), argbase, target);
    return true;
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
    bool hooked = false;
    bool line_hooked = false;
// The instruction being run, read where it is needed rather than decoded
// up front: fewer live values in this large function.
#define i (ip[-1])

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
        SET_HOOK_FLAGS();                         \
    } while (0)
#define CALL_EVENT()                                                           \
    if (hooked && !debug_event('c', fn, fn->line_of(0))) goto handle_error
// A handler with an object to destroy in its scope ends with NEXT(), a
// `continue`, so that the object is destroyed; the others end with
// NEXT_FAST().
#if ACORN_THREADED_DISPATCH
#define OPCODE(op) \
    case op:       \
    L_##op:
#else
#define OPCODE(op) case op:
#endif
#define NEXT() continue
// A handler with no object to destroy in its scope dispatches the next
// instruction itself: each such handler gets a jump of its own for the
// processor to predict.
#if ACORN_THREADED_DISPATCH
#define NEXT_FAST()           \
    do {                      \
        ++ip;                 \
        ci->ip = ip;          \
        goto *dispatch[i.op]; \
    } while (0)
#else
#define NEXT_FAST() NEXT()
#endif
// Arithmetic and comparisons take a literal right operand when c is NO_REG.
#define RIGHT_OPERAND (i.c == NO_REG ? K[i.d] : R[i.c])
// A comparison followed by the conditional jump that tests its result (how
// `if`, `while` and `for` conditions compile) takes that jump at once,
// saving a dispatch. The result stays stored: the register may be read
// again. With a line hook every instruction runs on its own.
#define BRANCH_ON(result)                                                                    \
    if (!line_hooked && (ip->op == OP_JZ || ip->op == OP_JNZ) && ip->a == i.a) {             \
        int32_t offset = ((ip->op == OP_JNZ) == (result)) ? ip->d : 0;                       \
        ip += 1 + offset;                                                                    \
        NEXT_FAST();                                                                         \
    }
#define LINE_EVENT()                                                                              \
    if (line_hooked && !debug_event('l', fn, fn->line_of(ip - 1 - fn->code.data()))) goto handle_error

#if ACORN_THREADED_DISPATCH
    // Handlers in opcode order. Only verified code runs, and the verifier
    // refuses any byte that names no opcode, so every index is in range.
    static const void *const handlers[] = {
        &&L_OP_LOADK, &&L_OP_LOADINT, &&L_OP_LOADFLOAT, &&L_OP_LOADBOOL, &&L_OP_LOADNULLS, &&L_OP_LOADROOT,
        &&op_invalid, &&L_OP_MOVE, &&L_OP_GETK, &&L_OP_GET, &&L_OP_SET, &&L_OP_SETK, &&L_OP_NEWSLOT,
        &&L_OP_NEWMEMBER, &&L_OP_DELETE, &&L_OP_GETOUTER, &&L_OP_SETOUTER, &&L_OP_GETBASE, &&L_OP_ADD,
        &&L_OP_SUB, &&L_OP_MUL, &&L_OP_DIV, &&L_OP_MOD, &&L_OP_BAND, &&L_OP_BOR, &&L_OP_BXOR, &&L_OP_SHL,
        &&L_OP_SHR, &&L_OP_USHR, &&L_OP_EQ, &&L_OP_NE, &&L_OP_LT, &&L_OP_LE, &&L_OP_GT, &&L_OP_GE,
        &&L_OP_CMP3, &&L_OP_INSTANCEOF, &&L_OP_IN, &&L_OP_UNM, &&L_OP_NOT, &&L_OP_BNOT, &&L_OP_TYPEOF,
        &&L_OP_CLONE, &&L_OP_INCR, &&L_OP_JMP, &&L_OP_JZ, &&L_OP_JNZ, &&L_OP_CALL, &&L_OP_TAILCALL,
        &&L_OP_PREPCALLK, &&L_OP_PREPCALL, &&L_OP_NEWTABLE, &&L_OP_NEWARRAY, &&L_OP_APPEND, &&L_OP_NEWCLASS,
        &&L_OP_CLOSURE, &&L_OP_RETURN, &&L_OP_YIELD, &&L_OP_RESUME, &&L_OP_PUSHTRAP, &&L_OP_POPTRAP,
        &&L_OP_THROW, &&L_OP_FOREACH, &&L_OP_CLOSE,
    };
    static_assert(sizeof handlers / sizeof handlers[0] == OP_COUNT, "one handler per opcode");
    // With a line hook every opcode first goes through the hook, so the
    // dispatch without one tests nothing.
    static const void *line_hook_handlers[OP_COUNT];
    static const bool line_hook_handlers_ready =
        (std::fill(std::begin(line_hook_handlers), std::end(line_hook_handlers), &&line_hook), true);
    (void)line_hook_handlers_ready;
    const void *const *dispatch = handlers;
#define SET_HOOK_FLAGS()                                       \
    do {                                                       \
        hooked = debug_hooked();                               \
        line_hooked = hooked && ss->debuginfo;                 \
        dispatch = line_hooked ? line_hook_handlers : handlers; \
    } while (0)
#else
#define SET_HOOK_FLAGS()                       \
    do {                                       \
        hooked = debug_hooked();               \
        line_hooked = hooked && ss->debuginfo; \
    } while (0)
#endif

    RELOAD();
    if (start == ExecStart::THROW) goto handle_error;
    if (ci->ip == fn->code.data() && ci->generator.is_null()) CALL_EVENT();
    if (start == ExecStart::RETURN) {
        retval = stack[static_cast<size_t>(suspended_target)];
        suspended_target = -1;
        goto do_return;
    }

    for (;;) {
        ++ip;
        ci->ip = ip;
#if ACORN_THREADED_DISPATCH
        // A jump table without the switch's range check.
        goto *dispatch[i.op];
    line_hook:
        if (sq_is_line_start(fn, ip - 1 - fn->code.data())) LINE_EVENT();
        goto *handlers[i.op];
#else
        if (line_hooked && sq_is_line_start(fn, ip - 1 - fn->code.data())) LINE_EVENT();
#endif
        switch (i.op) {
            OPCODE(OP_LOADK) R[i.a] = K[i.d]; NEXT_FAST();
            OPCODE(OP_LOADINT) set_integer(R[i.a], static_cast<SQInteger>(i.d)); NEXT_FAST();
            OPCODE(OP_LOADFLOAT) {
                SQFloat f;
                int32_t bits = i.d;
                memcpy(&f, &bits, sizeof f);
                set_float(R[i.a], f);
                NEXT_FAST();
            }
            OPCODE(OP_LOADBOOL) set_bool(R[i.a], i.b != 0); NEXT_FAST();
            OPCODE(OP_LOADNULLS)
                for (int32_t k = 0; k < i.d; ++k) R[i.a + k].set_null();
                NEXT_FAST();
            OPCODE(OP_LOADROOT) R[i.a] = closure_root(cl); NEXT_FAST();
            OPCODE(OP_MOVE) R[i.a] = R[i.b]; NEXT_FAST();

            OPCODE(OP_GETK) {
                const SQValue &self = R[i.b];
                if (self._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(self)->find_hinted(K[i.d], fn->member_cache(ip - 1).table_node)) {
                        R[i.a] = *slot;
                        NEXT_FAST();
                    }
                }
                if (self._type == OT_INSTANCE) {
                    SQMemberCache &cache = fn->member_cache(ip - 1);
                    if (const SQValue *member = sq_instance(self)->cached_member(cache)) {
                        R[i.a] = *member;
                        NEXT_FAST();
                    }
                    if (sq_instance(self)->get(K[i.d], tmp, cache)) {
                        R[i.a] = std::move(tmp);
                        NEXT_FAST();
                    }
                    if (i.b == 0) {
                        if (SQValue *global = root_name_in_method(ss, sq_instance(self), closure_root(cl), K[i.d],
                                                                  cache.table_node)) {
                            R[i.a] = *global;
                            NEXT_FAST();
                        }
                    }
                }
                if (SQValue *method = builtin_member(ss, self, K[i.d], fn->member_cache(ip - 1).table_node)) {
                    R[i.a] = *method;
                    NEXT_FAST();
                }
                int r = try_get(self, K[i.d], tmp);
                if (r == 0 && i.b == 0) r = try_get(closure_root(cl), K[i.d], tmp);
                if (r == 0) get_index_error(K[i.d]);
                if (r <= 0) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            }
            OPCODE(OP_GET) {
                const SQValue &self = R[i.b], &key = R[i.c];
                if (self._type == OT_ARRAY && key._type == OT_INTEGER) {
                    SQArray *a = sq_array(self);
                    SQInteger idx = sq_int(key);
                    if (idx >= 0 && idx < a->size()) {
                        R[i.a] = a->values[static_cast<size_t>(idx)];
                        NEXT_FAST();
                    }
                } else if (self._type == OT_TABLE) {
                    if (SQValue *slot = sq_table(self)->find(key)) {
                        R[i.a] = *slot;
                        NEXT_FAST();
                    }
                }
                if (!get(self, key, tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            }
            OPCODE(OP_SET)
            OPCODE(OP_SETK) {
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
                    SQValue *slot = i.op == OP_SETK
                                        ? sq_table(self)->find_hinted(key, fn->member_cache(ip - 1).table_node)
                                        : sq_table(self)->find(key);
                    if (slot) {
                        *slot = val;
                        done = true;
                    }
                } else if (self._type == OT_INSTANCE) {
                    if (i.op == OP_SETK) {
                        SQMemberCache &cache = fn->member_cache(ip - 1);
                        if (SQValue *field = sq_instance(self)->cached_field(cache)) {
                            *field = val;
                            done = true;
                        } else {
                            done = sq_instance(self)->set(key, val, cache);
                        }
                    } else {
                        done = sq_instance(self)->set(key, val);
                    }
                }
                if (!done && !set(self, key, val)) goto handle_error;
                if (i.a != NO_REG) R[i.a] = R[i.d];
                NEXT_FAST();
            }
            OPCODE(OP_NEWSLOT)
                if (!newslot(R[i.b], R[i.c], R[i.d], false)) goto handle_error;
                if (i.a != NO_REG) R[i.a] = R[i.d];
                NEXT_FAST();
            OPCODE(OP_NEWMEMBER) {
                SQValue attrs = (i.a & 2) ? R[(i.d >> 8) & 0xFF] : SQValue();
                if (!newmember(R[i.b], R[i.c], R[i.d & 0xFF], attrs, (i.a & 1) != 0, false)) goto handle_error;
                NEXT();
            }
            OPCODE(OP_DELETE)
                if (!delete_slot(R[i.b], R[i.c], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            OPCODE(OP_GETOUTER) R[i.a] = sq_outer(cl->outers[i.b])->ref(); NEXT_FAST();
            OPCODE(OP_SETOUTER)
                sq_outer(cl->outers[i.b])->ref() = R[i.c];
                if (i.a != NO_REG) R[i.a] = R[i.c];
                NEXT_FAST();
            OPCODE(OP_GETBASE)
                if (cl->base._type == OT_CLASS && sq_class(cl->base)->base) {
                    R[i.a] = SQValue(sq_class(cl->base)->base);
                } else {
                    R[i.a].set_null();
                }
                NEXT_FAST();

            OPCODE(OP_ADD) {
                const SQValue &x = R[i.b], &y = RIGHT_OPERAND;
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) + static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) + as_float(y));
                } else {
                    if (!arith(OP_ADD, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                NEXT_FAST();
            }
            OPCODE(OP_SUB) {
                const SQValue &x = R[i.b], &y = RIGHT_OPERAND;
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) - static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) - as_float(y));
                } else {
                    if (!arith(OP_SUB, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                NEXT_FAST();
            }
            OPCODE(OP_MUL) {
                const SQValue &x = R[i.b], &y = RIGHT_OPERAND;
                if (both_int(x, y)) {
                    set_integer(R[i.a], static_cast<SQInteger>(static_cast<U>(sq_int(x)) * static_cast<U>(sq_int(y))));
                } else if (both_number(x, y)) {
                    set_float(R[i.a], as_float(x) * as_float(y));
                } else {
                    if (!arith(OP_MUL, x, y, tmp)) goto handle_error;
                    R[i.a] = std::move(tmp);
                }
                NEXT_FAST();
            }
            // One handler each, so that the operator is known where it runs.
#define INTEGER_OPERATOR(op)                                                  \
    OPCODE(op) {                                                              \
        const SQValue &x = R[i.b], &y = RIGHT_OPERAND;                        \
        SQInteger r;                                                          \
        if (both_int(x, y) && sq_int_binop(op, sq_int(x), sq_int(y), r)) {    \
            set_integer(R[i.a], r);                                           \
            NEXT_FAST();                                                      \
        }                                                                     \
        if (op == OP_DIV && both_number(x, y) && !both_int(x, y)) {           \
            set_float(R[i.a], as_float(x) / as_float(y));                     \
            NEXT_FAST();                                                      \
        }                                                                     \
        if (!arith(op, x, y, tmp)) goto handle_error;                         \
        R[i.a] = std::move(tmp);                                              \
        NEXT_FAST();                                                          \
    }
            INTEGER_OPERATOR(OP_DIV)
            INTEGER_OPERATOR(OP_MOD)
            INTEGER_OPERATOR(OP_BAND)
            INTEGER_OPERATOR(OP_BOR)
            INTEGER_OPERATOR(OP_BXOR)
            INTEGER_OPERATOR(OP_SHL)
            INTEGER_OPERATOR(OP_SHR)
            INTEGER_OPERATOR(OP_USHR)
#undef INTEGER_OPERATOR

            OPCODE(OP_EQ) OPCODE(OP_NE) {
                bool result = equal(R[i.b], RIGHT_OPERAND) == (i.op == OP_EQ);
                set_bool(R[i.a], result);
                BRANCH_ON(result);
                NEXT_FAST();
            }
            OPCODE(OP_LT) OPCODE(OP_LE) OPCODE(OP_GT) OPCODE(OP_GE) {
                const SQValue &x = R[i.b], &y = RIGHT_OPERAND;
                bool result;
                if (both_number(x, y)) {
                    result = number_compare(i.op, x, y);
                } else {
                    SQInteger c;
                    if (!compare(x, y, c)) goto handle_error;
                    result = compare_op(i.op, c);
                }
                set_bool(R[i.a], result);
                BRANCH_ON(result);
                NEXT_FAST();
            }
            OPCODE(OP_CMP3) {
                const SQValue &x = R[i.b], &y = R[i.c];
                SQInteger c;
                if (both_int(x, y)) {
                    c = (sq_int(x) > sq_int(y)) - (sq_int(x) < sq_int(y));
                } else if (!compare(x, y, c)) {
                    goto handle_error;
                }
                set_integer(R[i.a], c);  // as compared: `_cmp`'s answer, a byte difference for strings
                NEXT_FAST();
            }
            OPCODE(OP_INSTANCEOF) {
                bool result;
                if (!instance_of(R[i.b], R[i.c], result)) goto handle_error;
                set_bool(R[i.a], result);
                NEXT_FAST();
            }
            OPCODE(OP_IN) {
                int r = try_get(R[i.c], R[i.b], tmp, true);
                if (r < 0) goto handle_error;
                set_bool(R[i.a], r > 0);
                NEXT_FAST();
            }
            OPCODE(OP_UNM)
                if (!unary_minus(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            OPCODE(OP_NOT) set_bool(R[i.a], sq_isfalse(R[i.b])); NEXT_FAST();
            OPCODE(OP_BNOT)
                if (R[i.b]._type != OT_INTEGER) {
                    raise_error("attempt to perform a bitwise op on a %s", sq_typename(R[i.b]._type));
                    goto handle_error;
                }
                set_integer(R[i.a], ~sq_int(R[i.b]));
                NEXT_FAST();
            OPCODE(OP_TYPEOF)
                if (!type_of(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            OPCODE(OP_CLONE)
                if (!clone(R[i.b], tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();
            OPCODE(OP_INCR) {
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
                NEXT_FAST();
            }

            OPCODE(OP_JMP) {
                const int32_t offset = i.d;
                ip += offset;
                if (offset < 0) LINE_EVENT();
                NEXT_FAST();
            }
            OPCODE(OP_JZ) {
                if (!sq_isfalse(R[i.a])) NEXT_FAST();
                const int32_t offset = i.d;
                ip += offset;
                if (offset < 0) LINE_EVENT();
                NEXT_FAST();
            }
            OPCODE(OP_JNZ) {
                if (sq_isfalse(R[i.a])) NEXT_FAST();
                const int32_t offset = i.d;
                ip += offset;
                if (offset < 0) LINE_EVENT();
                NEXT_FAST();
            }

            OPCODE(OP_PREPCALLK)
            OPCODE(OP_PREPCALL) {
                const SQValue &key_ref = i.op == OP_PREPCALLK ? K[i.d] : R[i.d];
                if (i.op == OP_PREPCALLK && R[i.b]._type == OT_INSTANCE) {
                    if (const SQValue *member = sq_instance(R[i.b])->cached_member(fn->member_cache(ip - 1))) {
                        tmp = *member;
                        R[i.c] = R[i.b];
                        R[i.a] = std::move(tmp);
                        NEXT_FAST();
                    }
                }
                if (R[i.b]._type == OT_INSTANCE &&
                    (i.op == OP_PREPCALLK ? sq_instance(R[i.b])->get(key_ref, tmp, fn->member_cache(ip - 1))
                                          : sq_instance(R[i.b])->get(key_ref, tmp))) {
                    R[i.c] = R[i.b];
                    R[i.a] = std::move(tmp);
                    NEXT_FAST();
                }
                if (i.op == OP_PREPCALLK && i.b == 0 && R[0]._type == OT_INSTANCE) {
                    if (SQValue *global = root_name_in_method(ss, sq_instance(R[0]), closure_root(cl), key_ref,
                                                              fn->member_cache(ip - 1).table_node)) {
                        tmp = *global;
                        R[i.c] = R[0];
                        R[i.a] = std::move(tmp);
                        NEXT_FAST();
                    }
                }
                if (R[i.b]._type == OT_TABLE) {
                    SQValue *slot = i.op == OP_PREPCALLK
                                        ? sq_table(R[i.b])->find_hinted(key_ref, fn->member_cache(ip - 1).table_node)
                                        : sq_table(R[i.b])->find(key_ref);
                    if (slot) {
                        tmp = *slot;
                        R[i.c] = R[i.b];
                        R[i.a] = std::move(tmp);
                        NEXT_FAST();
                    }
                }
                if (i.op == OP_PREPCALLK) {
                    if (SQValue *method = builtin_member(ss, R[i.b], key_ref, fn->member_cache(ip - 1).table_node)) {
                        tmp = *method;
                        R[i.c] = R[i.b];
                        R[i.a] = std::move(tmp);
                        NEXT_FAST();
                    }
                }
                {
                    SQValue self = R[i.b];
                    SQValue key = i.op == OP_PREPCALLK ? K[i.d] : R[i.d];
                    int r = try_get(self, key, tmp);
                    if (r == 0 && i.b == 0) r = try_get(closure_root(cl), key, tmp);
                    if (r == 0) get_index_error(key);
                    if (r <= 0) goto handle_error;
                    R[i.c] = std::move(self);
                    R[i.a] = std::move(tmp);
                }
                NEXT_FAST();
            }
            OPCODE(OP_CALL)
            ordinary_call: {
                SQInteger argbase = stackbase + i.c;
                const SQValue &callee = R[i.b];
                if (callee._type == OT_CLOSURE && !sq_closure(callee)->fn()->generator) {
                    SQClosure *target_cl = sq_closure(callee);
                    if (!enter_plain_frame(*this, target_cl, i.d, argbase, i.a) &&
                        !push_script_frame(target_cl, i.d, argbase, i.a, false)) {
                        goto handle_error;
                    }
                    RELOAD();
                    CALL_EVENT();
                    NEXT_FAST();
                }
                if (callee._type == OT_NATIVECLOSURE) {
                    bool suspended;
                    native_from_loop = true;
                    {
                        SQValue holder = callee;
                        if (!call_native(sq_nclosure(holder), i.d, argbase, tmp, suspended)) goto handle_error;
                    }
                    if (suspended) {
                        suspended_target = stackbase + i.a;
                        state = SQ_VMSTATE_SUSPENDED;
                        ret = suspend_value;
                        return true;
                    }
                    R[i.a] = std::move(tmp);
                    SET_HOOK_FLAGS();
                    NEXT_FAST();
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
                        SQClosure *ctor_cl = sq_closure(ctor);
                        if (!enter_plain_frame(*this, ctor_cl, i.d, argbase, i.a) &&
                            !push_script_frame(ctor_cl, i.d, argbase, i.a, false)) {
                            goto handle_error;
                        }
                        calls.back().constructor = true;
                        RELOAD();
                        CALL_EVENT();
                        NEXT();
                    }
                }
                SQValue holder = callee;
                if (!call(holder, i.d, argbase, tmp, false)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT();
            }
            OPCODE(OP_TAILCALL) {
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
                    NEXT();
                }
                // A class, or a closure this frame cannot give its place to:
                // when the return of the result follows, as the compiler
                // emits it, an ordinary call keeps it in this loop.
                if (callee._type != OT_NATIVECLOSURE && ip->op == OP_RETURN && ip->b != 0 && ip->a == i.a) {
                    goto ordinary_call;
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

            OPCODE(OP_NEWTABLE) R[i.a] = SQValue(SQTable::create(ss, std::clamp<int32_t>(i.d, 0, 1024))); NEXT_FAST();
            OPCODE(OP_NEWARRAY) {
                SQArray *a = SQArray::create(ss);
                a->values.reserve(static_cast<size_t>(std::clamp<int32_t>(i.d, 0, 1024)));
                R[i.a] = SQValue(a);
                NEXT_FAST();
            }
            OPCODE(OP_APPEND)
                if (R[i.a]._type != OT_ARRAY) {
                    raise_error("appending to a %s", sq_typename(R[i.a]._type));
                    goto handle_error;
                }
                sq_array(R[i.a])->values.push_back(R[i.b]);
                NEXT_FAST();
            OPCODE(OP_NEWCLASS)
                if (!make_class(i.b != NO_REG ? &R[i.b] : nullptr, i.c != NO_REG ? R[i.c] : SQValue(), tmp)) {
                    goto handle_error;
                }
                R[i.a] = std::move(tmp);
                NEXT();
            OPCODE(OP_CLOSURE)
                if (!make_closure(cl, i.d, i.b != NO_REG ? &R[i.b] : nullptr, tmp)) goto handle_error;
                R[i.a] = std::move(tmp);
                NEXT_FAST();

            OPCODE(OP_RETURN)
                if (i.b != 0) {
                    // The registers are cleared on the way out: the value can
                    // move, unless a hook may still look at it or a
                    // constructor returns its instance instead.
                    if (hooked || ci->constructor) {
                        retval = R[i.a];
                    } else {
                        retval = std::move(R[i.a]);
                    }
                } else {
                    retval.set_null();
                }
                goto do_return;
            OPCODE(OP_YIELD) {
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
                NEXT();
            }
            OPCODE(OP_RESUME)
                if (R[i.b]._type != OT_GENERATOR) {
                    raise_error("trying to resume a '%s',only genenerator can be resumed", sq_typename(R[i.b]._type));
                    goto handle_error;
                }
                if (!push_generator_frame(sq_generator(R[i.b]), i.a, false)) goto handle_error;
                RELOAD();
                NEXT();
            OPCODE(OP_PUSHTRAP)
                traps.push_back({stackbase, top, ip + i.d, i.a, call_depth()});
                NEXT_FAST();
            OPCODE(OP_POPTRAP)
                for (int32_t k = 0; k < i.d && !traps.empty() && traps.back().callsize == call_depth(); ++k) {
                    traps.pop_back();
                }
                NEXT_FAST();
            OPCODE(OP_THROW) raise_error(R[i.a]); goto handle_error;
            OPCODE(OP_FOREACH) {
                const SQValue &cont = R[i.a];
                if (cont._type == OT_GENERATOR) {
                    SQGenerator *gen = sq_generator(cont);
                    if (gen->state == SQGenerator::DEAD) {
                        ip += i.d;
                        NEXT();
                    }
                    SQValue &iter = R[i.b + 2];
                    SQInteger idx = iter._type == OT_INTEGER ? sq_int(iter) + 1 : 0;
                    set_integer(iter, idx);
                    set_integer(R[i.b], idx);
                    if (!push_generator_frame(gen, i.b + 1, false)) goto handle_error;
                    calls.back().foreach_resume = true;
                    calls.back().exit_jump = i.d;
                    RELOAD();
                    NEXT();
                }
                if (cont._type == OT_ARRAY) {
                    // The common case, stepped here: as iterate() does it.
                    const SQArray *a = sq_array(cont);
                    SQValue &iter = R[i.b + 2];
                    SQInteger pos = iter._type == OT_INTEGER ? sq_int(iter) : 0;
                    if (pos < 0 || pos >= a->size()) {
                        ip += i.d;
                        NEXT_FAST();
                    }
                    set_integer(iter, pos + 1);
                    set_integer(R[i.b], pos);
                    // The container register keeps the array alive.
                    R[i.b + 1] = a->values[static_cast<size_t>(pos)];
                    NEXT_FAST();
                }
                // Tables, classes and other iterables.
                {
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
                        NEXT();
                    }
                    R[i.b] = std::move(key);
                    R[i.b + 1] = std::move(val);
                    NEXT();
                }
            }
            OPCODE(OP_CLOSE) close_outers(stackbase + i.a); NEXT_FAST();
            default:
#if ACORN_THREADED_DISPATCH
            op_invalid:
#endif
                raise_error("invalid instruction %d", static_cast<int>(i.op));
                goto handle_error;
        }

    do_return: {
        if (hooked) debug_event('r', fn, fn->line_of(ip - 1 - fn->code.data()));
        if (ci->constructor) retval = R[0];
        while (!traps.empty() && traps.back().callsize >= call_depth()) traps.pop_back();
        close_outers(stackbase);
        if (ci->generator._type == OT_GENERATOR) sq_generator(ci->generator)->kill();
        for (SQValue *reg = R, *const end = R + fn->stacksize; reg != end; ++reg) {
            if (reg->_type != OT_NULL) reg->set_null();
        }
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
        NEXT_FAST();
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
#undef OPCODE
#undef RIGHT_OPERAND
#undef BRANCH_ON
#undef NEXT
#undef NEXT_FAST
#undef SET_HOOK_FLAGS
#undef i
}
