#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace me {

enum class CurveError {
    no_keys,
    keys_not_sorted,
    data_not_multiple_of_keys,
};

// The log message for a failed load; %1 stands for the curve's name.
const char* curve_error_message(CurveError error);

// Keyframed values of a curve resource: n key times followed by the values
// component by component (all n values of component 0, then component 1, ...).
// Between keys the values are interpolated linearly; before the first key
// and after the last (and at a NaN time) they hold the end values.
class CurveTable {
public:
    // A time_scale that is not positive counts as 0.
    static std::variant<CurveTable, CurveError> load(std::span<const float> keys,
                                                     std::span<const float> data,
                                                     float time_scale);

    std::size_t key_count() const { return m_key_count; }
    std::size_t dimension() const { return m_dimension; }
    const std::vector<float>& table() const { return m_table; }

    // Empty when component is not below dimension().
    std::optional<float> evaluate(float time, std::size_t component) const;

private:
    CurveTable(std::size_t key_count, std::size_t dimension);

    float key_time(std::size_t key) const { return m_table[key]; }
    float value(std::size_t key, std::size_t component) const;

    std::size_t m_key_count;
    std::size_t m_dimension;
    std::vector<float> m_table;
};

}  // namespace me
