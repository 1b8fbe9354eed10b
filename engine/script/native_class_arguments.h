#pragma once

#include <squirrel.h>

#include <cstdint>
#include <span>
#include <string>

#include "script/class_record.h"

namespace me {

// Reads the arguments of a native function (index 1 is this, the first
// explicit argument is 2). A failed read remembers its fixed message, and
// fail() raises it as the script error.
class NativeArguments {
public:
    explicit NativeArguments(HSQUIRRELVM vm) : m_vm(vm) {}

    SQInteger count() const { return sq_gettop(m_vm); }
    bool has(SQInteger index) const { return index <= count(); }

    // A float is truncated toward zero; a bool is refused.
    bool integer(SQInteger index, SQInteger& value);
    bool floating(SQInteger index, SQFloat& value);
    bool numeric(SQInteger index, SQFloat& value);
    bool string(SQInteger index, const SQChar*& value);
    bool boolean(SQInteger index, SQBool& value);
    bool blob(SQInteger index, std::span<const uint8_t>& bytes);
    // Either one array of exactly values.size() numbers or that many numeric
    // arguments from index on.
    bool vector(SQInteger index, std::span<float> values);
    // The instance's user pointer when its class carries record's tag;
    // null is accepted when optional.
    bool instance(SQInteger index, const ClassRecord& record, void*& pointer, bool optional = false);

    template <class T>
    bool instance(SQInteger index, T*& object, bool optional = false) {
        void* pointer = nullptr;
        if (!instance(index, T::kClassRecord, pointer, optional))
            return false;
        auto* root = static_cast<typename T::Root*>(pointer);
        // The tag says which script class the instance belongs to, not which
        // native object was bound to it: a derived class that inherited its
        // base's constructor holds a base object, which must not pass as T.
        if (root != nullptr && !root->class_record().is_kind_of(T::kClassRecord))
            return refuse(std::string("Expecting ") + T::kClassRecord.name);
        object = static_cast<T*>(root);
        return true;
    }

    bool refuse(std::string message);
    SQInteger fail() const { return sq_throwerror(m_vm, m_message.c_str()); }

private:
    bool element_as_float(SQInteger array_index, SQInteger element, float& value);

    HSQUIRRELVM m_vm;
    std::string m_message;
};

}  // namespace me
