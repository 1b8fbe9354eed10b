// Generators: the suspended frame of a function that contains `yield`.
//
// While suspended, the generator owns a copy of its registers, its pending
// exception handlers and the outers that closures captured from its frame;
// resuming puts them back on the resuming thread's stack, so a generator can
// be resumed from any thread and `yield` may sit inside `try`.
#pragma once

#include <vector>

#include "aobject.h"
#include "avm.h"

struct SQGenerator : SQCollectable {
    enum State { SUSPENDED, RUNNING, DEAD };

    // A trap with stackbase and callsize relative to the generator's frame.
    struct SavedTrap {
        SQInteger top;
        SQInteger ip_offset;
        SQInteger target;
    };
    // An outer captured from the frame, with its register.
    struct SavedOuter {
        SQValue outer;
        SQInteger reg;
    };

    State state = SUSPENDED;
    SQValue closure;                 // OT_CLOSURE
    std::vector<SQValue> registers;  // the frame's stack slots while suspended
    SQInteger ip_offset = 0;         // next instruction
    std::vector<SavedTrap> traps;
    std::vector<SavedOuter> outers;

    static SQGenerator *create(SQSharedState *ss, SQClosure *closure);
    explicit SQGenerator(SQSharedState *ss) : SQCollectable(ss) {}
    const char *status_name() const;  // "suspended", "running" or "dead"
    void kill();                     // becomes dead and drops its frame
    void traverse(SQGCVisitor &v) override;
    void clear_refs() override;
};
