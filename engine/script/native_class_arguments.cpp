#include "script/native_class_arguments.h"

#include <sqstdblob.h>

#include <utility>

namespace me {

namespace {

bool is_number(SQObjectType type) { return type == OT_INTEGER || type == OT_FLOAT; }

}  // namespace

bool NativeArguments::refuse(std::string message) {
    m_message = std::move(message);
    return false;
}

bool NativeArguments::integer(SQInteger index, SQInteger& value) {
    if (!has(index) || !is_number(sq_gettype(m_vm, index)))
        return refuse("Expecting integer.");
    sq_getinteger(m_vm, index, &value);
    return true;
}

bool NativeArguments::floating(SQInteger index, SQFloat& value) {
    if (!has(index) || !is_number(sq_gettype(m_vm, index)))
        return refuse("Expecting float.");
    sq_getfloat(m_vm, index, &value);
    return true;
}

bool NativeArguments::numeric(SQInteger index, SQFloat& value) {
    if (!has(index) || !is_number(sq_gettype(m_vm, index)))
        return refuse("Expecting numeric.");
    sq_getfloat(m_vm, index, &value);
    return true;
}

bool NativeArguments::string(SQInteger index, const SQChar*& value) {
    if (!has(index) || sq_gettype(m_vm, index) != OT_STRING)
        return refuse("Expecting string.");
    sq_getstring(m_vm, index, &value);
    return true;
}

bool NativeArguments::boolean(SQInteger index, SQBool& value) {
    if (!has(index) || sq_gettype(m_vm, index) != OT_BOOL)
        return refuse("Expecting bool.");
    sq_getbool(m_vm, index, &value);
    return true;
}

bool NativeArguments::blob(SQInteger index, std::span<const uint8_t>& bytes) {
    SQUserPointer data = nullptr;
    if (!has(index) || SQ_FAILED(sqstd_getblob(m_vm, index, &data)))
        return refuse("Expecting blob.");
    const SQInteger size = sqstd_getblobsize(m_vm, index);
    bytes = std::span<const uint8_t>(static_cast<const uint8_t*>(data), size > 0 ? static_cast<size_t>(size) : 0);
    return true;
}

bool NativeArguments::vector(SQInteger index, std::span<float> values) {
    if (has(index) && sq_gettype(m_vm, index) == OT_ARRAY) {
        if (sq_getsize(m_vm, index) != static_cast<SQInteger>(values.size()))
            return refuse("Vector array doesn't have right size.");
        for (size_t i = 0; i < values.size(); ++i)
            if (!element_as_float(index, static_cast<SQInteger>(i), values[i]))
                return refuse("Vector array element is not numeric.");
        return true;
    }
    for (size_t i = 0; i < values.size(); ++i) {
        SQFloat value = 0.0f;
        if (!numeric(index + static_cast<SQInteger>(i), value))
            return false;
        values[i] = static_cast<float>(value);
    }
    return true;
}

bool NativeArguments::element_as_float(SQInteger array_index, SQInteger element, float& value) {
    sq_pushinteger(m_vm, element);
    if (SQ_FAILED(sq_get(m_vm, array_index)))
        return false;
    SQFloat number = 0.0f;
    const bool numeric_element = is_number(sq_gettype(m_vm, -1));
    if (numeric_element)
        sq_getfloat(m_vm, -1, &number);
    sq_pop(m_vm, 1);
    value = static_cast<float>(number);
    return numeric_element;
}

bool NativeArguments::instance(SQInteger index, const ClassRecord& record, void*& pointer, bool optional) {
    pointer = nullptr;
    if (optional && has(index) && sq_gettype(m_vm, index) == OT_NULL)
        return true;
    SQUserPointer user_pointer = nullptr;
    if (!has(index) || sq_gettype(m_vm, index) != OT_INSTANCE ||
        SQ_FAILED(sq_getinstanceup(m_vm, index, &user_pointer, record.type_tag())) || user_pointer == nullptr)
        return refuse(std::string("Expecting ") + record.name);
    pointer = user_pointer;
    return true;
}

}  // namespace me
