// User data: a block of host-owned bytes with an optional delegate and a
// release hook that runs when the block dies.
#include <new>

#include "aobject.h"

namespace {
constexpr std::align_val_t kUserDataAlign{16};
}

SQUserData *SQUserData::create(SQSharedState *ss, SQInteger size) {
    SQUserData *ud = new SQUserData(ss);
    ud->size = size > 0 ? size : 0;
    if (ud->size > 0) {
        ud->data = static_cast<unsigned char *>(::operator new(static_cast<size_t>(ud->size), kUserDataAlign));
        std::memset(ud->data, 0, static_cast<size_t>(ud->size));
    }
    return ud;
}

SQUserData::~SQUserData() {
    if (hook) hook(data, size);
    if (data) ::operator delete(data, kUserDataAlign);
}

void SQUserData::traverse(SQGCVisitor &v) {
    if (delegate) v.visit(sq_objref(OT_TABLE, delegate));
}

void SQUserData::clear_refs() { set_delegate(nullptr); }
