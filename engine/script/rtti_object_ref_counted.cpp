#include "script/rtti_object_ref_counted.h"

namespace me {

const ClassRecord RefCountedObject::kClassRecord{"RefCountedObject", &RTTIObject::kClassRecord};

void RefCountedObject::release() {
    if (m_ownership.release() == NativeClassOwnership::AfterRelease::DeleteObject)
        delete this;
}

}  // namespace me
