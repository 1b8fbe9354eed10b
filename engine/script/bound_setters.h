#pragma once

#include <squirrel.h>

#include <array>

#include "script/native_class_arguments.h"
#include "core/float_vector.h"

namespace me {

// Script methods that pass one argument straight to a setter of the bound
// native object: a 2-vector (array or two numbers) or a float.
template <class T, void (T::*Setter)(Vec2)>
SQInteger set_vec2_method(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    T* object = nullptr;
    std::array<float, 2> value{};
    if (!arguments.instance(1, object) || !arguments.vector(2, value))
        return arguments.fail();
    (object->*Setter)({value[0], value[1]});
    return 0;
}

template <class T, void (T::*Setter)(float)>
SQInteger set_float_method(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    T* object = nullptr;
    SQFloat value = 0.0f;
    if (!arguments.instance(1, object) || !arguments.floating(2, value))
        return arguments.fail();
    (object->*Setter)(value);
    return 0;
}

}  // namespace me
