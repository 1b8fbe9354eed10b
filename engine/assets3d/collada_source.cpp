#include "assets3d/collada_source.h"

#include <tinyxml.h>

#include <charconv>

#include "assets3d/collada_report.h"
#include "assets3d/collada_text.h"

namespace me {

namespace {

// The "count" attribute, or nothing when it is missing or not a count.
std::optional<size_t> count_attribute(const TiXmlElement& array) {
    const std::string_view text = attribute(array, "count");
    size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return count;
}

// The accessor's stride: 1 when the attribute is absent, nothing when it is
// present but not a positive number.
std::optional<size_t> accessor_stride(const TiXmlElement& accessor) {
    if (accessor.Attribute("stride") == nullptr)
        return 1;
    const std::string_view text = attribute(accessor, "stride");
    size_t stride = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), stride);
    if (error != std::errc() || end != text.data() + text.size() || stride == 0)
        return std::nullopt;
    return stride;
}

}  // namespace

std::optional<ColladaSource> ColladaSource::read(const TiXmlElement& element, bool allow_names,
                                                 ColladaReport& report) {
    ColladaSource source;
    source.m_id = std::string(attribute(element, "id"));
    if (source.m_id.empty()) {
        report.error("Source doesn't have valid id.");
        return std::nullopt;
    }
    const TiXmlElement* array = element.FirstChildElement("float_array");
    if (array == nullptr && allow_names) {
        array = element.FirstChildElement("Name_array");
        source.m_kind = Kind::Names;
    }
    if (array == nullptr) {
        report.error("Only <float_array> and <Name_array> supported for <source>.");
        return std::nullopt;
    }
    const TiXmlElement* common = element.FirstChildElement("technique_common");
    const TiXmlElement* accessor = common != nullptr ? common->FirstChildElement("accessor") : nullptr;
    if (accessor == nullptr) {
        report.error("Accessor element not found for source.");
        return std::nullopt;
    }
    const std::optional<size_t> stride = accessor_stride(*accessor);
    if (!stride) {
        report.error("Invalid accessor's stride value for source.");
        return std::nullopt;
    }
    source.m_stride = *stride;
    if (source.m_kind == Kind::Floats)
        source.m_floats = parse_float_list(element_text(*array));
    else
        source.m_names = parse_name_list(element_text(*array));
    const std::optional<size_t> count = count_attribute(*array);
    if (!count || *count != source.value_count()) {
        report.error("Source float_array count doesn't match number of float values.");
        return std::nullopt;
    }
    if (*count % source.m_stride != 0) {
        report.error("Source float_array count doesn't match stride.");
        return std::nullopt;
    }
    return source;
}

}  // namespace me
