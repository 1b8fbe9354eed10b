#include "resources/sprite_def_array.h"

namespace me {

namespace {

bool is_number(SQObjectType type) { return type == OT_INTEGER || type == OT_FLOAT; }

}  // namespace

SpriteDefArray::SpriteDefArray(HSQUIRRELVM vm, const ScriptObject& array) : m_vm(vm) {
    if (array.type() != OT_ARRAY)
        return;
    m_array = array;
    m_array.push(m_vm);
    m_size = static_cast<size_t>(sq_getsize(m_vm, -1));
    sq_pop(m_vm, 1);
}

ScriptObject SpriteDefArray::element(size_t i) const {
    if (i >= m_size)
        return {};
    m_array.push(m_vm);
    sq_pushinteger(m_vm, static_cast<SQInteger>(i));
    ScriptObject value;
    if (SQ_SUCCEEDED(sq_rawget(m_vm, -2))) {
        value = ScriptObject(m_vm, -1);
        sq_pop(m_vm, 1);
    }
    sq_pop(m_vm, 1);
    return value;
}

std::optional<float> SpriteDefArray::number(size_t i) const {
    const ScriptObject value = element(i);
    if (!is_number(value.type()))
        return std::nullopt;
    value.push(m_vm);
    SQFloat number = 0.0f;
    sq_getfloat(m_vm, -1, &number);
    sq_pop(m_vm, 1);
    return number;
}

std::optional<SQInteger> SpriteDefArray::integer(size_t i) const {
    const ScriptObject value = element(i);
    if (!is_number(value.type()))
        return std::nullopt;
    value.push(m_vm);
    SQInteger number = 0;
    sq_getinteger(m_vm, -1, &number);
    sq_pop(m_vm, 1);
    return number;
}

std::optional<std::string> SpriteDefArray::string(size_t i) const {
    const ScriptObject value = element(i);
    if (value.type() != OT_STRING)
        return std::nullopt;
    value.push(m_vm);
    const SQChar* text = nullptr;
    sq_getstring(m_vm, -1, &text);
    std::string result(text, static_cast<size_t>(sq_getsize(m_vm, -1)));
    sq_pop(m_vm, 1);
    return result;
}

std::vector<float> SpriteDefArray::numbers_or(const std::vector<float>& defaults, bool& fits) const {
    fits = m_size <= defaults.size();
    std::vector<float> numbers(defaults);
    for (size_t i = 0; i < numbers.size() && i < m_size; ++i) {
        const std::optional<float> number = this->number(i);
        if (number)
            numbers[i] = *number;
        else
            fits = false;
    }
    return numbers;
}

}  // namespace me
