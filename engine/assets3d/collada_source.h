#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class TiXmlElement;

namespace me {

class ColladaReport;

// One <source>: a flat array of floats (or of names, for animation
// interpolations) cut into elements of `stride` values by its accessor.
class ColladaSource {
public:
    enum class Kind { Floats, Names };

    // Nothing, after reporting why, when the source breaks a rule; names
    // are accepted only where allow_names is set.
    static std::optional<ColladaSource> read(const TiXmlElement& element, bool allow_names, ColladaReport& report);

    const std::string& id() const { return m_id; }
    Kind kind() const { return m_kind; }
    size_t stride() const { return m_stride; }
    // Whole elements of `stride` values.
    size_t element_count() const { return value_count() / m_stride; }
    size_t value_count() const { return m_kind == Kind::Floats ? m_floats.size() : m_names.size(); }
    // Component `component` of element `element`; both must be in range.
    float value(size_t element, size_t component) const { return m_floats[element * m_stride + component]; }
    const std::vector<float>& floats() const { return m_floats; }
    const std::vector<std::string>& names() const { return m_names; }

private:
    std::string m_id;
    Kind m_kind = Kind::Floats;
    size_t m_stride = 1;
    std::vector<float> m_floats;
    std::vector<std::string> m_names;
};

}  // namespace me
