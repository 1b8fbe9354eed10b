#pragma once

#include "script/class_record.h"

namespace me {

// The root of the engine's native class tree.
class RTTIObject {
public:
    static const ClassRecord kClassRecord;

    RTTIObject() = default;
    RTTIObject(const RTTIObject&) = delete;
    RTTIObject& operator=(const RTTIObject&) = delete;
    virtual ~RTTIObject() = default;

    virtual const ClassRecord& class_record() const { return kClassRecord; }
    bool is_kind_of(const ClassRecord& record) const { return class_record().is_kind_of(record); }
};

}  // namespace me
