#include <squirrel.h>

#include <array>
#include <span>
#include <string>

#include "core/float_vector.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/script_push.h"

namespace me {

namespace {

// Reads vector arguments left to right: each is one array or as many
// numeric arguments as it has components.
class VectorArguments {
public:
    explicit VectorArguments(HSQUIRRELVM vm) : m_vm(vm), m_arguments(vm) {}

    bool read(std::span<float> components) {
        const bool is_array = m_arguments.has(m_position) && sq_gettype(m_vm, m_position) == OT_ARRAY;
        if (!m_arguments.vector(m_position, components))
            return false;
        m_position += is_array ? 1 : static_cast<SQInteger>(components.size());
        return true;
    }

    bool read(Vec2& v) {
        std::array<float, 2> c{};
        if (!read(c))
            return false;
        v = {c[0], c[1]};
        return true;
    }

    bool read(Vec3& v) {
        std::array<float, 3> c{};
        if (!read(c))
            return false;
        v = {c[0], c[1], c[2]};
        return true;
    }

    bool read(Quaternion& q) {
        std::array<float, 4> c{};
        if (!read(c))
            return false;
        q = {c[0], c[1], c[2], c[3]};
        return true;
    }

    SQInteger fail() const { return m_arguments.fail(); }

private:
    HSQUIRRELVM m_vm;
    NativeArguments m_arguments;
    SQInteger m_position = 2;
};

SQInteger push(HSQUIRRELVM vm, Vec2 v) {
    push_float_array(vm, {v.x, v.y});
    return 1;
}

SQInteger push(HSQUIRRELVM vm, Vec3 v) {
    push_float_array(vm, {v.x, v.y, v.z});
    return 1;
}

SQInteger push(HSQUIRRELVM vm, Quaternion q) {
    push_float_array(vm, {q.x, q.y, q.z, q.w});
    return 1;
}

// vec2() and vec3(): no components or all of them, each numeric.
template <int Size>
SQInteger construct_vector(HSQUIRRELVM vm) {
    const SQInteger given = sq_gettop(vm) - 1;
    if (given != 0 && given != Size)
        return sq_throwerror(vm, ("Invalid number of v" + std::to_string(Size) + "() parameters.").c_str());
    std::array<float, Size> components{};
    for (SQInteger i = 0; i < given; ++i) {
        const SQObjectType type = sq_gettype(vm, i + 2);
        if (type != OT_INTEGER && type != OT_FLOAT)
            return sq_throwerror(vm, ("Expecting float as parameter " + std::to_string(i + 1) + ".").c_str());
        SQFloat value = 0.0f;
        sq_getfloat(vm, i + 2, &value);
        components[static_cast<size_t>(i)] = static_cast<float>(value);
    }
    if constexpr (Size == 2)
        return push(vm, Vec2{components[0], components[1]});
    else
        return push(vm, Vec3{components[0], components[1], components[2]});
}

SQInteger construct_quaternion(HSQUIRRELVM vm) {
    if (sq_gettop(vm) != 1)
        return sq_throwerror(vm, "Invalid number of quat() parameters.");
    return push(vm, Quaternion{});
}

template <class Vector, Vector (*Operation)(Vector, Vector)>
SQInteger binary(HSQUIRRELVM vm) {
    VectorArguments arguments(vm);
    Vector a;
    Vector b;
    if (!arguments.read(a) || !arguments.read(b))
        return arguments.fail();
    return push(vm, Operation(a, b));
}

template <class Vector>
Vector add(Vector a, Vector b) {
    return a + b;
}

template <class Vector>
Vector subtract(Vector a, Vector b) {
    return a - b;
}

Quaternion hamilton_product(Quaternion p, Quaternion q) { return p * q; }

template <class Vector>
SQInteger script_length(HSQUIRRELVM vm) {
    VectorArguments arguments(vm);
    Vector v;
    if (!arguments.read(v))
        return arguments.fail();
    sq_pushfloat(vm, length(v));
    return 1;
}

template <class Argument, class Result, Result (*Operation)(Argument)>
SQInteger unary(HSQUIRRELVM vm) {
    VectorArguments arguments(vm);
    Argument v;
    if (!arguments.read(v))
        return arguments.fail();
    return push(vm, Operation(v));
}

Vec2 normalize2(Vec2 v) { return safe_normalize(v); }
Vec3 normalize3(Vec3 v) { return safe_normalize(v); }

constexpr MethodBinding kFunctions[] = {
    {"vec2", construct_vector<2>},
    {"vec3", construct_vector<3>},
    {"vec2_add", binary<Vec2, add<Vec2>>},
    {"vec3_add", binary<Vec3, add<Vec3>>},
    {"vec2_sub", binary<Vec2, subtract<Vec2>>},
    {"vec3_sub", binary<Vec3, subtract<Vec3>>},
    {"vec2_length", script_length<Vec2>},
    {"vec3_length", script_length<Vec3>},
    {"vec2_safe_normalize", unary<Vec2, Vec2, normalize2>},
    {"vec3_safe_normalize", unary<Vec3, Vec3, normalize3>},
    {"quaternion", construct_quaternion},
    {"quaternion_get_forward_vector", unary<Quaternion, Vec3, forward_vector>},
    {"quaternion_get_right_vector", unary<Quaternion, Vec3, right_vector>},
    {"quaternion_get_up_vector", unary<Quaternion, Vec3, up_vector>},
    {"quaternion_from_euler_angles", unary<Vec3, Quaternion, quaternion_from_euler_angles>},
    {"quaternion_transform_quaternion", binary<Quaternion, hamilton_product>},
    {"quaternion_from_forward_vector", unary<Vec3, Quaternion, quaternion_from_forward_vector>},
};

void bind_float_vector_functions(HSQUIRRELVM vm) {
    sq_pushroottable(vm);
    const SQInteger root = sq_gettop(vm);
    for (const MethodBinding& function : kFunctions)
        bind_function(vm, root, function.name, function.function);
    sq_pop(vm, 1);
}

const ScriptBindingUnit g_float_vector_functions(bind_float_vector_functions);

}  // namespace

}  // namespace me
