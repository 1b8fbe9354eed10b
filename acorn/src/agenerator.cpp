// Generator objects: creation, state and what the collector needs.
#include "agenerator.h"

SQGenerator *SQGenerator::create(SQSharedState *ss, SQClosure *closure) {
    auto *gen = new SQGenerator(ss);
    gen->closure = SQValue(closure);
    return gen;
}

const char *SQGenerator::status_name() const {
    switch (state) {
        case SUSPENDED: return "suspended";
        case RUNNING: return "running";
        default: return "dead";
    }
}

void SQGenerator::kill() {
    state = DEAD;
    registers.clear();
    traps.clear();
    outers.clear();
}

void SQGenerator::traverse(SQGCVisitor &v) {
    v.visit(closure);
    for (const SQValue &r : registers) v.visit(r);
    for (const SavedOuter &o : outers) v.visit(o.outer);
}

void SQGenerator::clear_refs() {
    closure.set_null();
    registers.clear();
    outers.clear();
}
