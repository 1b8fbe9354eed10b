#pragma once

#include <squirrel.h>

#include <span>

#include "script/class_record.h"
#include "script/script_binding.h"

namespace me {

// One method of a bound class; the parameter count includes this, a negative
// count means at least that many, and the mask uses the language's type
// letters.
struct MethodBinding {
    const char* name;
    SQFUNCTION function;
    SQInteger parameter_count = 0;
    const char* type_mask = nullptr;
};

// Creates the class record.name in the container (derived from base when
// given), tagged with the record's address, adds the methods and returns the
// class object with one reference held for creating instances from native
// code. A failure of the VM's binding interface is fatal.
HSQOBJECT bind_class(HSQUIRRELVM vm, SQInteger container_index, const ClassRecord& record, const HSQOBJECT* base,
                     SQInteger user_data_size, std::span<const MethodBinding> methods);

// Ends the process for a binding call that must not fail, after logging
// the call's text followed by "unpexpectly failed.".
[[noreturn]] void fail_binding_call(const char* call);

// The release hook of an instance bound to a heap object of root type Root:
// the object learns that its instance is gone and is deleted.
template <class Root>
SQInteger release_bound_object(SQUserPointer pointer, SQInteger) {
    Root* object = static_cast<Root*>(pointer);
    if (object != nullptr) {
        object->ownership().unbind();
        delete object;
    }
    return 1;
}

// Attaches object to the instance at idx: user pointer, release hook, binding.
template <class Root>
void attach_to_instance(HSQUIRRELVM vm, SQInteger idx, Root* object) {
    if (SQ_FAILED(sq_setinstanceup(vm, idx, object)))
        fail_binding_call("sq_setinstanceup( v, idx, o )");
    sq_setreleasehook(vm, idx, release_bound_object<Root>);
    object->ownership().bind(vm, idx);
}

// The constructor of a native class: a fresh T bound to this.
template <class T>
SQInteger construct_bound_object(HSQUIRRELVM vm) {
    if (sq_gettype(vm, 1) != OT_INSTANCE)
        return sq_throwerror(vm, "the object is not a class instance");
    SQUserPointer previous = nullptr;
    if (SQ_FAILED(sq_getinstanceup(vm, 1, &previous, nullptr)))
        fail_binding_call("sq_getinstanceup( v, stack_index, &p, 0 )");
    if (previous != nullptr)
        return sq_throwerror(vm, "the instance is already constructed");
    using Root = typename T::Root;
    attach_to_instance<Root>(vm, 1, static_cast<Root*>(new T()));
    return 0;
}

}  // namespace me
