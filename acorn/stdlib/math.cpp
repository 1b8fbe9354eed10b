#include <cmath>
#include <cstdlib>

#include "binding.h"
#include "sqstdmath.h"

namespace acorn::stdlib {

namespace {

constexpr SQFloat kPi = 3.14159265358979323846f;

SQFloat float_argument(HSQUIRRELVM v, SQInteger idx) {
    SQFloat value = 0;
    sq_getfloat(v, idx, &value);
    return value;
}

template <SQFloat (*Function)(SQFloat)>
SQInteger unary(HSQUIRRELVM v) {
    sq_pushfloat(v, Function(float_argument(v, 2)));
    return 1;
}

template <SQFloat (*Function)(SQFloat, SQFloat)>
SQInteger binary(HSQUIRRELVM v) {
    sq_pushfloat(v, Function(float_argument(v, 2), float_argument(v, 3)));
    return 1;
}

SQFloat sqrt_f(SQFloat x) { return std::sqrt(x); }
SQFloat sin_f(SQFloat x) { return std::sin(x); }
SQFloat cos_f(SQFloat x) { return std::cos(x); }
SQFloat tan_f(SQFloat x) { return std::tan(x); }
SQFloat asin_f(SQFloat x) { return std::asin(x); }
SQFloat acos_f(SQFloat x) { return std::acos(x); }
SQFloat atan_f(SQFloat x) { return std::atan(x); }
SQFloat log_f(SQFloat x) { return std::log(x); }
SQFloat log10_f(SQFloat x) { return std::log10(x); }
SQFloat exp_f(SQFloat x) { return std::exp(x); }
SQFloat floor_f(SQFloat x) { return std::floor(x); }
SQFloat ceil_f(SQFloat x) { return std::ceil(x); }
SQFloat fabs_f(SQFloat x) { return std::fabs(x); }
SQFloat atan2_f(SQFloat y, SQFloat x) { return std::atan2(y, x); }
SQFloat pow_f(SQFloat x, SQFloat y) { return std::pow(x, y); }

// Wraps like the integer arithmetic: the most negative integer stays itself.
SQInteger math_abs(HSQUIRRELVM v) {
    SQInteger value = 0;
    sq_getinteger(v, 2, &value);
    const auto magnitude = value < 0 ? SQUnsignedInteger(0) - static_cast<SQUnsignedInteger>(value)
                                     : static_cast<SQUnsignedInteger>(value);
    sq_pushinteger(v, static_cast<SQInteger>(magnitude));
    return 1;
}

SQInteger math_srand(HSQUIRRELVM v) {
    SQInteger seed = 0;
    sq_getinteger(v, 2, &seed);
    std::srand(static_cast<unsigned>(seed));
    return 0;
}

SQInteger math_rand(HSQUIRRELVM v) {
    sq_pushinteger(v, static_cast<SQInteger>(std::rand()));
    return 1;
}

const SQRegFunction kMathFunctions[] = {
    {"sqrt", unary<sqrt_f>, 2, ".n"},
    {"sin", unary<sin_f>, 2, ".n"},
    {"cos", unary<cos_f>, 2, ".n"},
    {"asin", unary<asin_f>, 2, ".n"},
    {"acos", unary<acos_f>, 2, ".n"},
    {"log", unary<log_f>, 2, ".n"},
    {"log10", unary<log10_f>, 2, ".n"},
    {"tan", unary<tan_f>, 2, ".n"},
    {"atan", unary<atan_f>, 2, ".n"},
    {"atan2", binary<atan2_f>, 3, ".nn"},
    {"pow", binary<pow_f>, 3, ".nn"},
    {"floor", unary<floor_f>, 2, ".n"},
    {"ceil", unary<ceil_f>, 2, ".n"},
    {"exp", unary<exp_f>, 2, ".n"},
    {"srand", math_srand, 2, ".n"},
    {"rand", math_rand, 1, nullptr},
    {"fabs", unary<fabs_f>, 2, ".n"},
    {"abs", math_abs, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};

void add_constant(HSQUIRRELVM v, const SQChar *name, void (*push)(HSQUIRRELVM)) {
    sq_pushstring(v, name, -1);
    push(v);
    sq_newslot(v, -3, SQFalse);
}

}  // namespace

}  // namespace acorn::stdlib

extern "C" SQRESULT sqstd_register_mathlib(HSQUIRRELVM v) {
    using namespace acorn::stdlib;
    SQInteger target = 0;
    if (SQ_FAILED(registration_target(v, target))) return SQ_ERROR;
    add_functions(v, kMathFunctions);
    add_constant(v, "RAND_MAX", [](HSQUIRRELVM vm) { sq_pushinteger(vm, RAND_MAX); });
    add_constant(v, "PI", [](HSQUIRRELVM vm) { sq_pushfloat(vm, kPi); });
    return SQ_OK;
}
