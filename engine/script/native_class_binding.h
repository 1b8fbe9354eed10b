#pragma once

#include <squirrel.h>

#include <span>

#include "script/bind_class.h"
#include "script/class_record.h"

namespace me {

// The static declaration of a bound class: its record and its methods. Every
// declared class is bound into the root table at VM set-up before any binding
// unit runs, each after the nearest ancestor that is declared too, so that
// binding code may look up any declared class.
class NativeClassBinding {
public:
    NativeClassBinding(const ClassRecord& record, std::span<const MethodBinding> methods);
    NativeClassBinding(const NativeClassBinding&) = delete;
    NativeClassBinding& operator=(const NativeClassBinding&) = delete;

    static NativeClassBinding* first();
    NativeClassBinding* next() const { return m_next; }
    const ClassRecord& record() const { return m_record; }
    std::span<const MethodBinding> methods() const { return m_methods; }

private:
    const ClassRecord& m_record;
    std::span<const MethodBinding> m_methods;
    NativeClassBinding* m_next;
};

void bind_native_classes(HSQUIRRELVM vm);

}  // namespace me
