#pragma once

#include <squirrel.h>

#include <cstdint>

namespace me {

// The native reference count of an object and its binding to a script
// instance. While native references exist the instance is pinned by one
// reference of its own, so a bound object lives while either side holds it;
// the instance's release hook then destroys the object.
class NativeClassOwnership {
public:
    enum class AfterRelease { Keep, DeleteObject };

    NativeClassOwnership() = default;
    NativeClassOwnership(const NativeClassOwnership&) = delete;
    NativeClassOwnership& operator=(const NativeClassOwnership&) = delete;

    void acquire();
    // DeleteObject when the last native reference of an unbound object went.
    // Releasing the pin of a bound object may destroy the object (and this)
    // before returning.
    AfterRelease release();

    // The instance at idx becomes the object's script side.
    void bind(HSQUIRRELVM vm, SQInteger idx);
    // Called by the release hook: the instance is being freed.
    void unbind();
    bool is_bound() const { return m_vm != nullptr; }
    // Whether something besides this record's own pin refers to the script
    // instance: false once every script variable has let go of it.
    bool instance_referenced_elsewhere() const;
    void push_instance(HSQUIRRELVM vm) const { sq_pushobject(vm, m_instance); }
    int32_t count() const { return m_count; }

private:
    int32_t m_count = 0;
    HSQUIRRELVM m_vm = nullptr;
    HSQOBJECT m_instance{};
};

}  // namespace me
