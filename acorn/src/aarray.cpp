// Arrays.
#include "aobject.h"

SQArray *SQArray::create(SQSharedState *ss, SQInteger size) {
    SQArray *a = new SQArray(ss);
    if (size > 0) a->values.resize(static_cast<size_t>(size));
    return a;
}

SQArray *SQArray::clone() const {
    SQArray *a = new SQArray(ss);
    a->values = values;
    return a;
}

void SQArray::traverse(SQGCVisitor &v) {
    for (const SQValue &e : values) v.visit(e);
}

void SQArray::clear_refs() {
    // Released only after the array is empty: a release hook may look at it.
    ReallocVector<SQValue> old;
    old.swap(values);
}
