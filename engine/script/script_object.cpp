#include "script/script_object.h"

#include <utility>

namespace me {

ScriptObject::ScriptObject() { sq_resetobject(&m_object); }

ScriptObject::ScriptObject(HSQUIRRELVM vm, SQInteger idx) : m_vm(vm) {
    sq_resetobject(&m_object);
    if (SQ_SUCCEEDED(sq_getstackobj(vm, idx, &m_object)))
        sq_addref(vm, &m_object);
    else
        sq_resetobject(&m_object);
}

ScriptObject::ScriptObject(const ScriptObject& other) : m_vm(other.m_vm), m_object(other.m_object) {
    if (m_vm != nullptr)
        sq_addref(m_vm, &m_object);
}

ScriptObject::ScriptObject(ScriptObject&& other) noexcept : m_vm(other.m_vm), m_object(other.m_object) {
    other.m_vm = nullptr;
    sq_resetobject(&other.m_object);
}

ScriptObject& ScriptObject::operator=(const ScriptObject& other) {
    if (this != &other)
        *this = ScriptObject(other);
    return *this;
}

ScriptObject& ScriptObject::operator=(ScriptObject&& other) noexcept {
    if (this != &other) {
        reset();
        std::swap(m_vm, other.m_vm);
        std::swap(m_object, other.m_object);
    }
    return *this;
}

ScriptObject::~ScriptObject() { reset(); }

void ScriptObject::push(HSQUIRRELVM vm) const {
    if (m_vm == nullptr)
        sq_pushnull(vm);
    else
        sq_pushobject(vm, m_object);
}

void ScriptObject::reset() {
    if (m_vm != nullptr)
        sq_release(m_vm, &m_object);
    m_vm = nullptr;
    sq_resetobject(&m_object);
}

}  // namespace me
