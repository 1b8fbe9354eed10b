#pragma once

#include <squirrel.h>

#include <array>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "core/float_vector.h"
#include "script/native_class_arguments.h"
#include "script/script_push.h"

namespace me {

namespace bound_method_detail {

// Reads the argument at the cursor and moves the cursor past it: a vector
// given as one array takes one slot, given as numbers one slot a component.
template <size_t Size>
bool read_vector(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& cursor, std::array<float, Size>& values) {
    const bool as_array = arguments.has(cursor) && sq_gettype(vm, cursor) == OT_ARRAY;
    if (!arguments.vector(cursor, values))
        return false;
    cursor += as_array ? 1 : static_cast<SQInteger>(Size);
    return true;
}

inline bool read(HSQUIRRELVM, NativeArguments& arguments, SQInteger& cursor, float& value) {
    SQFloat number = 0;
    if (!arguments.floating(cursor++, number))
        return false;
    value = number;
    return true;
}

inline bool read(HSQUIRRELVM, NativeArguments& arguments, SQInteger& cursor, int32_t& value) {
    SQInteger number = 0;
    if (!arguments.integer(cursor++, number))
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

inline bool read(HSQUIRRELVM, NativeArguments& arguments, SQInteger& cursor, bool& value) {
    SQBool flag = SQFalse;
    if (!arguments.boolean(cursor++, flag))
        return false;
    value = flag != SQFalse;
    return true;
}

inline bool read(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& cursor, Vec2& value) {
    std::array<float, 2> components{};
    if (!read_vector(vm, arguments, cursor, components))
        return false;
    value = {components[0], components[1]};
    return true;
}

inline bool read(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& cursor, Vec3& value) {
    std::array<float, 3> components{};
    if (!read_vector(vm, arguments, cursor, components))
        return false;
    value = {components[0], components[1], components[2]};
    return true;
}

inline bool read(HSQUIRRELVM vm, NativeArguments& arguments, SQInteger& cursor, Quaternion& value) {
    std::array<float, 4> components{};
    if (!read_vector(vm, arguments, cursor, components))
        return false;
    value = {components[0], components[1], components[2], components[3]};
    return true;
}

inline void push(HSQUIRRELVM vm, float value) { sq_pushfloat(vm, value); }
inline void push(HSQUIRRELVM vm, int32_t value) { sq_pushinteger(vm, value); }
inline void push(HSQUIRRELVM vm, bool value) { sq_pushbool(vm, value ? SQTrue : SQFalse); }
inline void push(HSQUIRRELVM vm, Vec2 value) { push_float_array(vm, {value.x, value.y}); }
inline void push(HSQUIRRELVM vm, Vec3 value) { push_float_array(vm, {value.x, value.y, value.z}); }
inline void push(HSQUIRRELVM vm, Quaternion value) { push_float_array(vm, {value.x, value.y, value.z, value.w}); }

template <class Method>
struct MethodTraits;

template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
    using Arguments = std::tuple<std::decay_t<A>...>;
};

template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...) const> : MethodTraits<R (C::*)(A...)> {};

}  // namespace bound_method_detail

// A script method that calls Method on the native object bound to `this`:
// each parameter (float, int32_t, bool, Vec2, Vec3, Quaternion) is read from
// the script's arguments in order, vectors as one array or as separate
// numbers, and the result, if any, is pushed back the same way. A wrong
// argument raises the reader's message and calls nothing.
template <auto Method>
SQInteger method(HSQUIRRELVM vm) {
    using Traits = bound_method_detail::MethodTraits<decltype(Method)>;
    NativeArguments arguments(vm);
    typename Traits::Class* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    typename Traits::Arguments values{};
    SQInteger cursor = 2;
    const bool read_all = std::apply(
        [&](auto&... value) { return (bound_method_detail::read(vm, arguments, cursor, value) && ...); }, values);
    if (!read_all)
        return arguments.fail();
    const auto call = [&](auto&... value) { return (object->*Method)(value...); };
    if constexpr (std::is_void_v<typename Traits::Result>) {
        std::apply(call, values);
        return 0;
    } else {
        bound_method_detail::push(vm, std::apply(call, values));
        return 1;
    }
}

}  // namespace me
