#pragma once

#include <squirrel.h>

#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "script/native_class_arguments.h"

namespace me {

inline constexpr const char* kExpectingFixed = "Expecting integer (fixed-point).";

// A Fixed argument takes the low 32 bits of a script integer; a float is
// refused with kExpectingFixed.
bool read_fixed(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger index, Fixed& value);

// A FixedVec2 is one array of two integers or two integer arguments; index
// moves past whichever was read.
bool read_fixed_vec2(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& index, FixedVec2& value);

// An integer that a state saves in fewer bits: a value outside min … max
// would come back changed after a save and a rollback, so it is refused
// ("Value %1 of %2 is out of range %3 to %4.") instead of being cut.
bool read_integer_in_range(NativeArguments& arguments, SQInteger index, const char* what, SQInteger min,
                           SQInteger max, SQInteger& value);

// The arguments of a collision shape from index 2 on: min and max corners,
// the skew when one is asked for, and the height.
bool read_shape_arguments(HSQUIRRELVM vm, NativeArguments& arguments, FixedVec2& min, FixedVec2& max, Fixed* skew,
                          Fixed& height);

// Pushes [x, y] as an array of two integers.
void push_fixed_vec2(HSQUIRRELVM vm, FixedVec2 value);

}  // namespace me
