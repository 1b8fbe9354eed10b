// Free variables: open outers read their thread's stack slot, closed ones
// keep their own copy. A thread's list of open outers holds one reference
// to each, so an outer never dies while its slot is still linked.
#include "agenerator.h"
#include "avm.h"

void SQOuter::traverse(SQGCVisitor &v) { v.visit(value); }

void SQOuter::clear_refs() { value.set_null(); }

static void link_open_outer(SQVM *v, SQOuter *o, SQInteger stackidx) {
    o->thread = v;
    o->stackidx = stackidx;
    SQOuter **link = &v->open_outers;
    while (*link && (*link)->stackidx > stackidx) link = &(*link)->next_open;
    o->next_open = *link;
    *link = o;
    sq_incref(o);
}

SQOuter *SQVM::find_outer(SQInteger stackidx) {
    for (SQOuter *o = open_outers; o && o->stackidx >= stackidx; o = o->next_open) {
        if (o->stackidx == stackidx) return o;
    }
    auto *o = new SQOuter(ss);
    link_open_outer(this, o, stackidx);
    return o;
}

void SQVM::close_open_outers(SQInteger from_stackidx) {
    while (open_outers && open_outers->stackidx >= from_stackidx) {
        SQOuter *o = open_outers;
        open_outers = o->next_open;
        o->value = stack[static_cast<size_t>(o->stackidx)];
        o->stackidx = -1;
        o->thread = nullptr;
        o->next_open = nullptr;
        sq_decref(o);
    }
}

// Called with the generator's frame on top: its open outers move into the
// generator, keeping their current value, until the next resume.
void sq_generator_save_outers(SQVM *v, SQGenerator *gen, SQInteger base) {
    while (v->open_outers && v->open_outers->stackidx >= base) {
        SQOuter *o = v->open_outers;
        gen->outers.push_back({SQValue(o), o->stackidx - base});
        v->close_outers(o->stackidx);
    }
}

void sq_generator_restore_outers(SQVM *v, SQGenerator *gen, SQInteger base) {
    for (SQGenerator::SavedOuter &saved : gen->outers) {
        SQOuter *o = sq_outer(saved.outer);
        SQInteger idx = base + saved.reg;
        v->stack[static_cast<size_t>(idx)] = std::move(o->value);
        o->value.set_null();
        link_open_outer(v, o, idx);
    }
    gen->outers.clear();
}
