#include "core/cvar.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace me {
namespace {

// Reads like a 32-bit strtol: saturates at the int32 limits.
int32_t parse_int(const std::string& text) {
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

float parse_float(const std::string& text) {
    return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

int32_t truncate_to_int(float value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

std::string format_g(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return buffer;
}

}  // namespace

CVar::CVar(std::string name) : m_name(std::move(name)) {}

bool CVar::take_changed() {
    bool changed = has(Changed);
    clear_flags(Changed);
    return changed;
}

void CVar::set_from_text(std::string_view view) {
    std::string text(view);
    switch (m_type) {
    case CVarType::String:
        m_float_value = parse_float(text);
        m_int_value = parse_int(text);
        m_text = std::move(text);
        break;
    case CVarType::Bool:
        m_int_value = parse_int(text) != 0 ? 1 : 0;
        m_float_value = static_cast<float>(m_int_value);
        m_text = std::to_string(m_int_value);
        break;
    case CVarType::Int:
        m_int_value = parse_int(text);
        m_float_value = static_cast<float>(m_int_value);
        m_text = std::to_string(m_int_value);
        break;
    case CVarType::Float:
        m_float_value = parse_float(text);
        m_int_value = truncate_to_int(m_float_value);
        m_text = format_g(m_float_value);
        break;
    }
}

}  // namespace me
