#include "world/curve_table.h"

#include <algorithm>

namespace me {

const char* curve_error_message(CurveError error) {
    switch (error) {
    case CurveError::no_keys: return "Curve '%1': invalid number of keys.";
    case CurveError::keys_not_sorted: return "Curve '%1': keys are not sorted.";
    case CurveError::data_not_multiple_of_keys: return "Curve '%1': Invalid number of data values.";
    }
    return "Curve '%1': invalid curve.";
}

CurveTable::CurveTable(std::size_t key_count, std::size_t dimension)
    : m_key_count(key_count), m_dimension(dimension), m_table(key_count * (dimension + 1)) {}

std::variant<CurveTable, CurveError> CurveTable::load(std::span<const float> keys,
                                                      std::span<const float> data,
                                                      float time_scale) {
    const std::size_t n = keys.size();
    if (n == 0) return CurveError::no_keys;
    if (data.empty() || data.size() % n != 0) return CurveError::data_not_multiple_of_keys;
    const float scale = time_scale > 0.0f ? time_scale : 0.0f;

    CurveTable curve(n, data.size() / n);
    for (std::size_t i = 0; i < n; ++i) {
        // Written as "not >=" so that a NaN key is refused too.
        if (i > 0 && !(keys[i] >= keys[i - 1])) return CurveError::keys_not_sorted;
        curve.m_table[i] = keys[i] * scale;
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < curve.m_dimension; ++j) {
            curve.m_table[n + j * n + i] = data[i * curve.m_dimension + j];
        }
    }
    return curve;
}

float CurveTable::value(std::size_t key, std::size_t component) const {
    return m_table[m_key_count + component * m_key_count + key];
}

std::optional<float> CurveTable::evaluate(float time, std::size_t component) const {
    if (component >= m_dimension) return std::nullopt;
    const auto keys_begin = m_table.begin();
    const auto keys_end = keys_begin + static_cast<std::ptrdiff_t>(m_key_count);
    const std::size_t next = static_cast<std::size_t>(std::upper_bound(keys_begin, keys_end, time) - keys_begin);
    if (next == 0) return value(0, component);
    if (next == m_key_count) return value(m_key_count - 1, component);

    const std::size_t previous = next - 1;
    const float fraction = (time - key_time(previous)) / (key_time(next) - key_time(previous));
    const float from = value(previous, component);
    return from + fraction * (value(next, component) - from);
}

}  // namespace me
