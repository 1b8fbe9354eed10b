// Script closures and native closures.
#include "afuncproto.h"
#include "aobject.h"

namespace {

// A closure keeps its root table only weakly: the root table usually holds
// the closure, and that cycle must not keep either alive.
SQValue weak_root(const SQValue &root) {
    if (ISREFCOUNTED(root._type) && root._type != OT_WEAKREF)
        return SQValue(root._unVal.pRefCounted->get_weakref(root._type));
    return root;
}

void visit_all(SQGCVisitor &v, const std::vector<SQValue> &values) {
    for (const SQValue &e : values) v.visit(e);
}

}  // namespace

SQClosure *SQClosure::create(SQSharedState *ss, SQFunctionProto *proto, const SQValue &root) {
    SQClosure *c = new SQClosure(ss);
    c->proto = SQValue(proto);
    c->outers.resize(proto->outers.size());
    c->defaultparams.resize(proto->defaultparams.size());
    c->root = weak_root(root);
    return c;
}

SQClosure *SQClosure::clone() const {
    SQClosure *c = new SQClosure(ss);
    c->proto = proto;
    c->outers = outers;
    c->defaultparams = defaultparams;
    c->env = env;
    c->root = root;
    c->base = base;
    return c;
}

void SQClosure::traverse(SQGCVisitor &v) {
    visit_all(v, outers);
    visit_all(v, defaultparams);
    v.visit(base);
}

void SQClosure::clear_refs() {
    std::vector<SQValue> old_outers, old_defaults;
    old_outers.swap(outers);
    old_defaults.swap(defaultparams);
    SQValue old_base = std::move(base);
    SQValue old_env = std::move(env);
    SQValue old_root = std::move(root);
}

SQNativeClosure *SQNativeClosure::create(SQSharedState *ss, SQFUNCTION f, SQInteger nouters) {
    SQNativeClosure *c = new SQNativeClosure(ss);
    c->func = f;
    if (nouters > 0) c->outers.resize(static_cast<size_t>(nouters));
    return c;
}

SQNativeClosure *SQNativeClosure::clone() const {
    SQNativeClosure *c = new SQNativeClosure(ss);
    c->func = func;
    c->outers = outers;
    c->typecheck = typecheck;
    c->nparamscheck = nparamscheck;
    c->name = name;
    c->env = env;
    return c;
}

void SQNativeClosure::traverse(SQGCVisitor &v) { visit_all(v, outers); }

void SQNativeClosure::clear_refs() {
    std::vector<SQValue> old_outers;
    old_outers.swap(outers);
    SQValue old_env = std::move(env);
}
