#include "world/fixed_arguments.h"

#include "core/log_format.h"

namespace me {

namespace {

bool read_array_fixed(HSQUIRRELVM vm, SQInteger array_index, SQInteger element, Fixed& value) {
    sq_pushinteger(vm, element);
    if (SQ_FAILED(sq_get(vm, array_index)))
        return false;
    SQInteger integer = 0;
    const bool is_integer = sq_gettype(vm, -1) == OT_INTEGER;
    if (is_integer)
        sq_getinteger(vm, -1, &integer);
    sq_pop(vm, 1);
    value = static_cast<Fixed>(integer);
    return is_integer;
}

}  // namespace

bool read_fixed(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger index, Fixed& value) {
    SQInteger integer = 0;
    if (!arguments.has(index) || sq_gettype(vm, index) != OT_INTEGER)
        return arguments.refuse(kExpectingFixed);
    sq_getinteger(vm, index, &integer);
    value = static_cast<Fixed>(integer);
    return true;
}

bool read_fixed_vec2(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& index, FixedVec2& value) {
    if (arguments.has(index) && sq_gettype(vm, index) == OT_ARRAY) {
        if (sq_getsize(vm, index) != 2)
            return arguments.refuse("Vector array doesn't have right size.");
        if (!read_array_fixed(vm, index, 0, value.x) || !read_array_fixed(vm, index, 1, value.y))
            return arguments.refuse("Vector array element is not integer (fixed-point).");
        ++index;
        return true;
    }
    if (!read_fixed(vm, arguments, index, value.x) || !read_fixed(vm, arguments, index + 1, value.y))
        return false;
    index += 2;
    return true;
}

bool read_integer_in_range(NativeArguments& arguments, SQInteger index, const char* what, SQInteger min,
                           SQInteger max, SQInteger& value) {
    if (!arguments.integer(index, value))
        return false;
    if (value < min || value > max)
        return arguments.refuse(format_message("Value %1 of %2 is out of range %3 to %4.", value, what, min, max));
    return true;
}

void push_fixed_vec2(HSQUIRRELVM vm, FixedVec2 value) {
    sq_newarray(vm, 0);
    sq_pushinteger(vm, value.x);
    sq_arrayappend(vm, -2);
    sq_pushinteger(vm, value.y);
    sq_arrayappend(vm, -2);
}

bool read_shape_arguments(HSQUIRRELVM vm, NativeArguments& arguments, FixedVec2& min, FixedVec2& max, Fixed* skew,
                          Fixed& height) {
    SQInteger index = 2;
    if (!read_fixed_vec2(vm, arguments, index, min) || !read_fixed_vec2(vm, arguments, index, max))
        return false;
    if (skew != nullptr && !read_fixed(vm, arguments, index++, *skew))
        return false;
    return read_fixed(vm, arguments, index, height);
}

}  // namespace me
