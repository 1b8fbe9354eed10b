#include "script/engine_object.h"

namespace me {

const ClassRecord EngineObject::kClassRecord{"EngineObject", &RTTIObject::kClassRecord};

EngineObject::~EngineObject() { m_weak_slots.clear_all(); }

void EngineObject::release() {
    if (m_ownership.release() == NativeClassOwnership::AfterRelease::DeleteObject)
        delete this;
}

}  // namespace me
