#include <squirrel.h>

#include <optional>
#include <string>

#include "core/fixed.h"
#include "core/fixed_vec2.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "world/fixed_arguments.h"

namespace me {

namespace {

SQInteger push_fixed(HSQUIRRELVM vm, Fixed value) {
    sq_pushinteger(vm, value);
    return 1;
}

SQInteger script_fixed_from_int(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger n = 0;
    if (!arguments.integer(2, n))
        return arguments.fail();
    return push_fixed(vm, fixed_from_int(n));
}

SQInteger script_fixed_from_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQFloat x = 0.0f;
    if (!arguments.floating(2, x))
        return arguments.fail();
    return push_fixed(vm, fixed_from_float(x));
}

SQInteger script_fixed_to_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Fixed f = 0;
    if (!read_fixed(vm, arguments, 2, f))
        return arguments.fail();
    sq_pushfloat(vm, fixed_to_float(f));
    return 1;
}

SQInteger script_fixed_to_int(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Fixed f = 0;
    if (!read_fixed(vm, arguments, 2, f))
        return arguments.fail();
    sq_pushinteger(vm, fixed_to_int(f));
    return 1;
}

SQInteger script_fixed_from_int_division(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger n = 0;
    SQInteger d = 0;
    if (!arguments.integer(2, n))
        return arguments.fail();
    if (!arguments.has(3) || sq_gettype(vm, 3) != OT_INTEGER)
        return sq_throwerror(vm, "Expecting integer.");
    sq_getinteger(vm, 3, &d);
    const std::optional<Fixed> quotient = fixed_from_int_division(n, d);
    if (!quotient)
        return sq_throwerror(vm, "fixed_from_int_division(): division by zero or a quotient out of range.");
    return push_fixed(vm, *quotient);
}

template <Fixed (*Operation)(Fixed, Fixed)>
SQInteger script_binary(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Fixed a = 0;
    Fixed b = 0;
    if (!read_fixed(vm, arguments, 2, a) || !read_fixed(vm, arguments, 3, b))
        return arguments.fail();
    return push_fixed(vm, Operation(a, b));
}

SQInteger script_fixed_div(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Fixed a = 0;
    Fixed b = 0;
    if (!read_fixed(vm, arguments, 2, a) || !read_fixed(vm, arguments, 3, b))
        return arguments.fail();
    const std::optional<Fixed> quotient = fixed_div(a, b);
    if (!quotient)
        return sq_throwerror(vm, "fixed_div(): division by zero.");
    return push_fixed(vm, *quotient);
}

template <Fixed (*Operation)(Fixed, Fixed, Fixed)>
SQInteger script_ternary(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Fixed a = 0;
    Fixed b = 0;
    Fixed c = 0;
    if (!read_fixed(vm, arguments, 2, a) || !read_fixed(vm, arguments, 3, b) || !read_fixed(vm, arguments, 4, c))
        return arguments.fail();
    return push_fixed(vm, Operation(a, b, c));
}

SQInteger script_fixed2_dot_product_sign(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger index = 2;
    FixedVec2 a;
    FixedVec2 b;
    if (!read_fixed_vec2(vm, arguments, index, a) || !read_fixed_vec2(vm, arguments, index, b))
        return arguments.fail();
    sq_pushinteger(vm, fixed_dot_sign(a, b));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"fixed_from_int", script_fixed_from_int},
    {"fixed_from_float", script_fixed_from_float},
    {"fixed_to_float", script_fixed_to_float},
    {"fixed_to_int", script_fixed_to_int},
    {"fixed_from_int_division", script_fixed_from_int_division},
    {"fixed_mul", script_binary<fixed_mul>},
    {"fixed_div", script_fixed_div},
    {"fixed_lerp", script_ternary<fixed_lerp>},
    {"fixed2_dot_product_sign", script_fixed2_dot_product_sign},
    {"fixed_length3", script_ternary<fixed_length3>},
};

void bind_fixed_functions(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    const SQInteger root = sq_gettop(vm);
    for (const MethodBinding& function : kFunctions)
        bind_function(vm, root, function.name, function.function);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_fixed_functions(bind_fixed_functions);

}  // namespace

}  // namespace me
