#pragma once

namespace me {

// The static run-time type record of a native class. Its address is the type
// tag of the script class bound for it, so it must never be copied.
struct ClassRecord {
    const char* name;
    const ClassRecord* base;

    bool is_kind_of(const ClassRecord& other) const;
    void* type_tag() const { return const_cast<ClassRecord*>(this); }
};

}  // namespace me
