#include "resources/emitter_resource_values.h"

#include <algorithm>
#include <limits>

#include "resources/sprite_color.h"

namespace me {

namespace {

bool is_number(SQObjectType type) { return type == OT_INTEGER || type == OT_FLOAT; }

// Restores the stack top when it goes out of scope.
class StackGuard {
public:
    explicit StackGuard(HSQUIRRELVM vm) : m_vm(vm), m_top(sq_gettop(vm)) {}
    ~StackGuard() { sq_settop(m_vm, m_top); }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    HSQUIRRELVM m_vm;
    SQInteger m_top;
};

template <class T>
std::optional<T> script_number(HSQUIRRELVM vm, const ScriptObject& value);

template <>
std::optional<float> script_number<float>(HSQUIRRELVM vm, const ScriptObject& value) {
    return script_float(vm, value);
}

template <>
std::optional<int32_t> script_number<int32_t>(HSQUIRRELVM vm, const ScriptObject& value) {
    return script_int(vm, value);
}

// The first count elements as numbers, or nothing when there are fewer or
// one is not a number.
template <class T>
std::optional<std::vector<T>> leading_numbers(HSQUIRRELVM vm, const std::vector<ScriptObject>& elements,
                                              size_t count) {
    if (elements.size() < count)
        return std::nullopt;
    std::vector<T> numbers;
    for (size_t i = 0; i < count; ++i) {
        const std::optional<T> number = script_number<T>(vm, elements[i]);
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
    }
    return numbers;
}

}  // namespace

std::optional<float> script_float(HSQUIRRELVM vm, const ScriptObject& value) {
    if (vm == nullptr || !is_number(value.type()))
        return std::nullopt;
    StackGuard guard(vm);
    value.push(vm);
    SQFloat number = 0.0f;
    sq_getfloat(vm, -1, &number);
    return number;
}

std::optional<int32_t> script_int(HSQUIRRELVM vm, const ScriptObject& value) {
    if (vm == nullptr || !is_number(value.type()))
        return std::nullopt;
    StackGuard guard(vm);
    value.push(vm);
    SQInteger number = 0;
    sq_getinteger(vm, -1, &number);
    const SQInteger low = std::numeric_limits<int32_t>::min();
    const SQInteger high = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(number, low, high));
}

std::optional<std::string> script_string(HSQUIRRELVM vm, const ScriptObject& value) {
    if (vm == nullptr || value.type() != OT_STRING)
        return std::nullopt;
    StackGuard guard(vm);
    value.push(vm);
    const SQChar* text = nullptr;
    sq_getstring(vm, -1, &text);
    return std::string(text, static_cast<size_t>(sq_getsize(vm, -1)));
}

std::optional<std::vector<ScriptObject>> script_array_elements(HSQUIRRELVM vm, const ScriptObject& value) {
    if (vm == nullptr || value.type() != OT_ARRAY)
        return std::nullopt;
    StackGuard guard(vm);
    value.push(vm);
    std::vector<ScriptObject> elements;
    const SQInteger size = sq_getsize(vm, -1);
    for (SQInteger i = 0; i < size; ++i) {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_rawget(vm, -2)))
            return std::nullopt;
        elements.emplace_back(vm, -1);
        sq_pop(vm, 1);
    }
    return elements;
}

template <class T>
std::optional<std::array<T, 2>> script_number_pair(HSQUIRRELVM vm, const ScriptObject& value) {
    if (const std::optional<T> number = script_number<T>(vm, value))
        return std::array<T, 2>{*number, *number};
    const auto elements = script_array_elements(vm, value);
    const auto numbers = elements ? leading_numbers<T>(vm, *elements, 2) : std::nullopt;
    if (!numbers)
        return std::nullopt;
    return std::array<T, 2>{(*numbers)[0], (*numbers)[1]};
}

template std::optional<std::array<float, 2>> script_number_pair<float>(HSQUIRRELVM, const ScriptObject&);
template std::optional<std::array<int32_t, 2>> script_number_pair<int32_t>(HSQUIRRELVM, const ScriptObject&);

std::optional<EmitterRange> script_emitter_range(HSQUIRRELVM vm, const ScriptObject& value) {
    const auto pair = script_number_pair<float>(vm, value);
    if (!pair)
        return std::nullopt;
    return EmitterRange{(*pair)[0], std::max((*pair)[0], (*pair)[1])};
}

std::optional<EmitterIntRange> script_emitter_int_range(HSQUIRRELVM vm, const ScriptObject& value) {
    const auto pair = script_number_pair<int32_t>(vm, value);
    if (!pair)
        return std::nullopt;
    return EmitterIntRange{(*pair)[0], std::max((*pair)[0], (*pair)[1])};
}

std::optional<ParticleRange> script_particle_range(HSQUIRRELVM vm, const ScriptObject& value) {
    const auto pair = script_number_pair<float>(vm, value);
    if (!pair)
        return std::nullopt;
    return ParticleRange{(*pair)[0], (*pair)[1] - (*pair)[0]};
}

std::optional<std::array<float, 2>> script_vec2(HSQUIRRELVM vm, const ScriptObject& value) {
    const auto elements = script_array_elements(vm, value);
    if (!elements || elements->size() != 2)
        return std::nullopt;
    const auto numbers = leading_numbers<float>(vm, *elements, 2);
    if (!numbers)
        return std::nullopt;
    return std::array<float, 2>{(*numbers)[0], (*numbers)[1]};
}

std::optional<std::array<float, 3>> script_rgb(HSQUIRRELVM vm, const ScriptObject& value) {
    const auto elements = script_array_elements(vm, value);
    if (!elements)
        return std::nullopt;
    std::array<float, 5> components{255.0f, 255.0f, 255.0f, 255.0f, 255.0f};
    const auto numbers = leading_numbers<float>(vm, *elements, std::min(elements->size(), components.size()));
    if (!numbers)
        return std::nullopt;
    std::copy(numbers->begin(), numbers->end(), components.begin());
    const Color color = premultiplied_color(components);
    return std::array<float, 3>{color.red, color.green, color.blue};
}

}  // namespace me
