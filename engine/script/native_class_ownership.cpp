#include "script/native_class_ownership.h"

namespace me {

void NativeClassOwnership::acquire() {
    ++m_count;
    if (m_count == 1 && is_bound())
        sq_addref(m_vm, &m_instance);
}

NativeClassOwnership::AfterRelease NativeClassOwnership::release() {
    --m_count;
    if (m_count > 0)
        return AfterRelease::Keep;
    if (!is_bound())
        return AfterRelease::DeleteObject;
    // The release may free the instance and with it this record.
    HSQUIRRELVM vm = m_vm;
    HSQOBJECT instance = m_instance;
    sq_release(vm, &instance);
    return AfterRelease::Keep;
}

void NativeClassOwnership::bind(HSQUIRRELVM vm, SQInteger idx) {
    sq_resetobject(&m_instance);
    sq_getstackobj(vm, idx, &m_instance);
    m_vm = vm;
    if (m_count > 0)
        sq_addref(m_vm, &m_instance);
}

bool NativeClassOwnership::instance_referenced_elsewhere() const {
    if (!is_bound())
        return false;
    HSQOBJECT instance = m_instance;
    const SQUnsignedInteger pins = m_count > 0 ? 1 : 0;
    return sq_getrefcount(m_vm, &instance) > pins;
}

void NativeClassOwnership::unbind() {
    m_vm = nullptr;
    sq_resetobject(&m_instance);
}

}  // namespace me
