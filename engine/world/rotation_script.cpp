#include <cmath>

#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

constexpr float kTurnsPerDegree = 0.0027777778f;
constexpr float kTurnsPerRadian = 0.15915494f;
constexpr float kRadiansPerTurn = 6.2831855f;
constexpr float kDegreesPerTurn = 360.0f;

float degrees_to_rotation(float degrees) { return degrees * kTurnsPerDegree; }
float radians_to_rotation(float radians) { return radians * kTurnsPerRadian; }
float rotation_to_radians(float rotation) { return rotation * kRadiansPerTurn; }
float rotation_to_degrees(float rotation) { return rotation * kDegreesPerTurn; }
float radians_to_degrees(float radians) { return radians * kDegreesPerTurn * kTurnsPerRadian; }
float degrees_to_radians(float degrees) { return degrees * kRadiansPerTurn * kTurnsPerDegree; }
float normalize_rotation(float rotation) { return rotation - std::floor(rotation); }

template <float (*Convert)(float)>
SQInteger convert(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQFloat value = 0.0f;
    if (!arguments.floating(2, value))
        return arguments.fail();
    sq_pushfloat(vm, Convert(value));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"degrees_to_rotation", convert<degrees_to_rotation>},
    {"radians_to_rotation", convert<radians_to_rotation>},
    {"rotation_to_radians", convert<rotation_to_radians>},
    {"rotation_to_degrees", convert<rotation_to_degrees>},
    {"radians_to_degrees", convert<radians_to_degrees>},
    {"degrees_to_radians", convert<degrees_to_radians>},
    {"normalize_rotation", convert<normalize_rotation>},
};

void bind_rotation_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_rotation_functions(bind_rotation_functions);

}  // namespace

}  // namespace me
