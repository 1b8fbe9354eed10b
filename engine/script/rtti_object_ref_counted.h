#pragma once

#include "script/native_class_ownership.h"
#include "script/rtti_object.h"

namespace me {

// A reference-counted native object (configuration variables, render states,
// buffers). Unbound, it deletes itself when its last reference goes.
class RefCountedObject : public RTTIObject {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }

    void acquire() { m_ownership.acquire(); }
    void release();
    NativeClassOwnership& ownership() { return m_ownership; }

private:
    NativeClassOwnership m_ownership;
};

}  // namespace me
