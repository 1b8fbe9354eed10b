#pragma once

#include "script/native_class_ownership.h"
#include "script/rtti_object.h"
#include "script/weak_slot.h"

namespace me {

// A native object that can be bound to a script instance (resources, 2D
// nodes, scenes, files, sound channels, ...).
class EngineObject : public RTTIObject {
public:
    using Root = EngineObject;
    static const ClassRecord kClassRecord;

    ~EngineObject() override;
    const ClassRecord& class_record() const override { return kClassRecord; }

    void acquire() { m_ownership.acquire(); }
    void release();
    NativeClassOwnership& ownership() { return m_ownership; }
    WeakSlotList& weak_slots() { return m_weak_slots; }

private:
    NativeClassOwnership m_ownership;
    WeakSlotList m_weak_slots;
};

}  // namespace me
