// Thread construction, stack bookkeeping, errors and debugging views.
#include "avm.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "agenerator.h"

SQVM::SQVM(SQSharedState *ss, SQInteger stacksize)
    : SQCollectable(ss),
      stack(static_cast<size_t>(SQ_MAX_STACK_SLOTS + SQ_ERRORHANDLER_SLOTS), static_cast<size_t>(SQ_MIN_STACK_SIZE) * 4),
      calls(static_cast<size_t>(SQ_MAX_CALL_DEPTH + SQ_ERRORHANDLER_FRAMES), 1024) {
    stack.grow_to(static_cast<size_t>(std::clamp(stacksize, SQ_MIN_STACK_SIZE, SQ_MAX_STACK_SLOTS)));
}

bool SQVM::grow_stack(SQInteger end) {
    if (end <= static_cast<SQInteger>(stack.size())) return true;
    if (end > static_cast<SQInteger>(stack.limit())) return false;
    // Doubling keeps the construction cost per slot constant.
    stack.grow_to(std::max(static_cast<size_t>(end), stack.size() * 2));
    return true;
}

SQVM::~SQVM() { clear_refs(); }

void SQVM::traverse(SQGCVisitor &v) {
    for (SQInteger i = 0; i < top; ++i) v.visit(stack[i]);
    for (const SQCallInfo &ci : calls) {
        v.visit(ci.closure);
        v.visit(ci.generator);
    }
    for (SQOuter *o = open_outers; o; o = o->next_open) v.visit(sq_objref(OT_OUTER, o));
    v.visit(roottable);
    v.visit(lasterror);
    v.visit(errorhandler);
    v.visit(debughook);
    v.visit(suspend_value);
}

void SQVM::clear_refs() {
    unwind_to(0);  // generators still running here die instead of staying "running"
    close_outers(0);
    traps.clear();
    for (SQValue &slot : stack) slot.set_null();
    top = 0;
    stackbase = 0;
    roottable.set_null();
    lasterror.set_null();
    errorhandler.set_null();
    debughook.set_null();
    hooks_changed();
    suspend_value.set_null();
}

void SQVM::pop(SQInteger n) {
    const SQInteger end = std::max<SQInteger>(top - std::max<SQInteger>(n, 0), 0);
    // Slots above a returned call are mostly null already.
    while (top > end) {
        SQValue &slot = stack[static_cast<size_t>(--top)];
        if (slot._type != OT_NULL) slot.set_null();
    }
}

void SQVM::raise_error(const char *fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    lasterror = SQValue(SQString::create(ss, buf));
    error_reported = false;
}

void SQVM::raise_error(const SQObject &value) {
    lasterror = value;
    error_reported = false;
}

// Errors raised while the handler runs are not reported again, or a failing
// handler would report itself without end.
void SQVM::call_errorhandler(const SQObject &error) {
    if (error_reported || in_errorhandler) return;
    error_reported = true;
    SQObjectType t = errorhandler._type;
    if (t != OT_CLOSURE && t != OT_NATIVECLOSURE) return;
    SQValue handler = errorhandler;
    SQValue saved = lasterror;
    SQInteger argbase = top;
    push(roottable);
    push(error);
    SQValue ignored;
    in_errorhandler = true;
    call(handler, 2, argbase, ignored, false);
    in_errorhandler = false;
    pop(top - argbase);
    lasterror = saved;
    error_reported = true;
}

const SQObject &SQVM::closure_root(const SQClosure *c) const {
    if (c->root._type == OT_WEAKREF && sq_weak(c->root)->obj._type == OT_TABLE) return sq_weak(c->root)->obj;
    return roottable;
}

bool SQVM::stack_info(SQInteger level, SQStackInfos &si) const {
    if (level < 0 || level >= call_depth()) return false;
    const SQCallInfo &ci = calls[calls.size() - 1 - static_cast<size_t>(level)];
    si.funcname = "unknown";
    si.source = "NATIVE";
    si.line = -1;
    if (ci.closure._type == OT_NATIVECLOSURE) {
        const SQNativeClosure *nc = sq_nclosure(ci.closure);
        if (nc->name._type == OT_STRING) si.funcname = sq_str(nc->name)->c_str();
        return true;
    }
    const SQFunctionProto *fn = sq_closure(ci.closure)->fn();
    if (fn->name._type == OT_STRING) si.funcname = sq_str(fn->name)->c_str();
    si.source = fn->sourcename._type == OT_STRING ? sq_str(fn->sourcename)->c_str() : "unknown";
    SQInteger pc = ci.ip ? static_cast<SQInteger>(ci.ip - fn->code.data()) - 1 : 0;
    si.line = fn->line_of(pc < 0 ? 0 : pc);
    return true;
}

const char *SQVM::local_name(SQInteger level, SQInteger idx, SQValue &val) const {
    if (level < 0 || level >= call_depth() || idx < 0) return nullptr;
    const SQCallInfo &ci = calls[calls.size() - 1 - static_cast<size_t>(level)];
    if (ci.closure._type != OT_CLOSURE) return nullptr;
    const SQFunctionProto *fn = sq_closure(ci.closure)->fn();
    SQInteger pc = ci.ip ? static_cast<SQInteger>(ci.ip - fn->code.data()) - 1 : 0;
    std::vector<const SQLocalVarInfo *> live;
    for (const SQLocalVarInfo &lv : fn->localvars) {
        if (pc >= lv.start_op && pc < lv.end_op) live.push_back(&lv);
    }
    if (idx >= static_cast<SQInteger>(live.size())) return nullptr;
    // The most recently declared local comes first.
    std::sort(live.begin(), live.end(), [](const SQLocalVarInfo *a, const SQLocalVarInfo *b) {
        return a->start_op != b->start_op ? a->start_op > b->start_op : a->reg > b->reg;
    });
    const SQLocalVarInfo &lv = *live[static_cast<size_t>(idx)];
    SQInteger slot = ci.stackbase + lv.reg;
    if (slot < 0 || slot >= static_cast<SQInteger>(stack.size())) return nullptr;
    val = stack[static_cast<size_t>(slot)];
    return lv.name._type == OT_STRING ? sq_str(lv.name)->c_str() : nullptr;
}

void sq_object_name(const SQObject &o, std::string &out) {
    char buf[64];
    snprintf(buf, sizeof buf, "(%s : 0x%" PRIxPTR ")", sq_typename(o._type),
             reinterpret_cast<uintptr_t>(o._unVal.pRefCounted));
    out = buf;
}

SQVM *sq_new_main_vm(SQInteger stacksize) {
    auto *ss = new SQSharedState();
    auto *v = new SQVM(ss, stacksize);
    sq_incref(v);
    ss->main_thread = v;
    v->roottable = SQValue(SQTable::create(ss));
    if (ss->registry.is_null()) ss->registry = SQValue(SQTable::create(ss));
    if (ss->consttable.is_null()) ss->consttable = SQValue(SQTable::create(ss));
    return v;
}
