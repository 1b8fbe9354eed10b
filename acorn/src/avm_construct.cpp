// Objects made by instructions: closures (capturing outers and default
// parameter values from the running frame) and classes.
#include "avm.h"

bool SQVM::make_closure(const SQClosure *parent, SQInteger protoidx, const SQValue *env, SQValue &out) {
    const SQFunctionProto *fn = parent->fn();
    if (protoidx < 0 || static_cast<size_t>(protoidx) >= fn->functions.size()) {
        raise_error("invalid function index");
        return false;
    }
    if (env && !ISREFCOUNTED(env->_type)) {
        raise_error("cannot bind a %s as environment", sq_typename(env->_type));
        return false;
    }
    SQFunctionProto *child = sq_proto(fn->functions[static_cast<size_t>(protoidx)]);
    SQValue made(SQClosure::create(ss, child, parent->root));
    SQClosure *c = sq_closure(made);
    const SQValue *frame = &stack[static_cast<size_t>(stackbase)];
    c->outers.clear();
    for (const SQOuterVarInfo &info : child->outers) {
        if (info.kind == OUTER_FROM_LOCAL) {
            c->outers.push_back(SQValue(find_outer(stackbase + info.index)));
        } else {
            c->outers.push_back(parent->outers[static_cast<size_t>(info.index)]);
        }
    }
    c->defaultparams.clear();
    for (SQInteger reg : child->defaultparams) c->defaultparams.push_back(frame[reg]);
    if (env) c->env = SQValue(env->_unVal.pRefCounted->get_weakref(env->_type));
    out = std::move(made);
    return true;
}

bool SQVM::make_class(const SQObject *base, const SQObject &attrs, SQValue &out) {
    if (base && base->_type != OT_CLASS) {
        raise_error("trying to inherit from a %s", sq_typename(base->_type));
        return false;
    }
    SQClass *parent = base ? sq_class(*base) : nullptr;
    SQValue cls(SQClass::create(ss, parent));
    sq_class(cls)->attributes = attrs;
    if (parent && !parent->metamethods[MT_INHERITED].is_null()) {
        SQValue hook = parent->metamethods[MT_INHERITED], ignored;
        if (!call_metamethod(hook, cls, 1, &attrs, ignored)) return false;
    }
    out = std::move(cls);
    return true;
}
