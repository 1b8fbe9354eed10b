#pragma once

#include <squirrel.h>

#include <initializer_list>

#include "script/bind_class.h"
#include "script/class_record.h"

namespace me {

// Pushes an array of floats (a vector for scripts).
void push_float_array(HSQUIRRELVM vm, std::initializer_list<float> values);

// Creates an instance of the root table's class named record.name without
// calling its constructor; fatal when there is no such class.
void push_new_instance(HSQUIRRELVM vm, const ClassRecord& record);

// Pushes object as its script instance, creating and binding the instance
// the first time; null pushes null.
template <class Root>
void push_object(HSQUIRRELVM vm, Root* object) {
    if (object == nullptr) {
        sq_pushnull(vm);
        return;
    }
    if (object->ownership().is_bound()) {
        object->ownership().push_instance(vm);
        return;
    }
    push_new_instance(vm, object->class_record());
    attach_to_instance<Root>(vm, sq_gettop(vm), object);
}

}  // namespace me
