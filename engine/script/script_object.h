#pragma once

#include <squirrel.h>

namespace me {

// An owned reference to one script object: it keeps the object alive until
// it is reset or destroyed.
class ScriptObject {
public:
    ScriptObject();
    // Takes a reference to the object at idx of vm's stack.
    ScriptObject(HSQUIRRELVM vm, SQInteger idx);
    ScriptObject(const ScriptObject& other);
    ScriptObject(ScriptObject&& other) noexcept;
    ScriptObject& operator=(const ScriptObject& other);
    ScriptObject& operator=(ScriptObject&& other) noexcept;
    ~ScriptObject();

    bool is_null() const { return m_object._type == OT_NULL; }
    SQObjectType type() const { return m_object._type; }
    const HSQOBJECT& handle() const { return m_object; }
    // Pushes the object, or null when it holds none.
    void push(HSQUIRRELVM vm) const;
    void reset();

private:
    HSQUIRRELVM m_vm = nullptr;
    HSQOBJECT m_object;
};

}  // namespace me
