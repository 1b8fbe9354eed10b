// Cycle collector by trial deletion.
//
// Reference counting frees everything except cycles. To find dead cycles,
// subtract from each collectable's count the references other collectables
// hold to it: what remains are references from outside the object graph
// (host handles, values on the C++ stack, the shared state's tables, the
// host's reference to the main thread). Those objects and everything they
// reach are alive; the rest can only be reached from each other.
#include "aobject.h"

namespace {

enum : uint8_t { kReachable = 1 };

struct SubtractInternalRefs : SQGCVisitor {
    void visit(const SQObject &o) override {
        if (SQCollectable *c = sq_as_collectable(o)) {
            --c->gc_refs;
            c->gc_type = o._type;
        }
    }
};

// Marks what it visits and queues it, so that deep structures are walked
// without recursion.
struct MarkReachable : SQGCVisitor {
    std::vector<SQCollectable *> work;
    void visit(const SQObject &o) override {
        SQCollectable *c = sq_as_collectable(o);
        if (c && !(c->gc_flags & kReachable)) {
            c->gc_flags |= kReachable;
            work.push_back(c);
        }
    }
};

std::vector<SQCollectable *> find_unreachable(SQSharedState *ss) {
    for (SQCollectable *c = ss->gc_chain; c; c = c->gc_next) {
        // A count of zero means the object is queued for release (a release
        // hook is collecting): treat it as a root so that it is neither
        // freed twice nor are the objects it still holds freed under it.
        c->gc_refs = c->refs == 0 ? 1 : static_cast<SQInteger>(c->refs);
        c->gc_flags = 0;
    }
    SubtractInternalRefs subtract;
    for (SQCollectable *c = ss->gc_chain; c; c = c->gc_next) c->traverse(subtract);

    MarkReachable mark;
    for (SQCollectable *c = ss->gc_chain; c; c = c->gc_next) {
        if (c->gc_refs > 0 && !(c->gc_flags & kReachable)) {
            c->gc_flags |= kReachable;
            mark.work.push_back(c);
        }
    }
    while (!mark.work.empty()) {
        SQCollectable *c = mark.work.back();
        mark.work.pop_back();
        c->traverse(mark);
    }

    std::vector<SQCollectable *> dead;
    for (SQCollectable *c = ss->gc_chain; c; c = c->gc_next)
        if (!(c->gc_flags & kReachable)) dead.push_back(c);
    return dead;
}

}  // namespace

SQInteger sq_collect_cycles(SQSharedState *ss, std::vector<SQValue> *unreachable) {
    std::vector<SQCollectable *> dead = find_unreachable(ss);
    if (unreachable) {
        for (SQCollectable *c : dead) unreachable->push_back(SQValue(c->gc_type, c));
        return static_cast<SQInteger>(dead.size());
    }
    // Hold every dead object while the cycles are cut, so none is freed
    // half-way through; dropping the holds then frees them all normally.
    for (SQCollectable *c : dead) sq_incref(c);
    for (SQCollectable *c : dead) c->clear_refs();
    for (SQCollectable *c : dead) sq_decref(c);
    return static_cast<SQInteger>(dead.size());
}
