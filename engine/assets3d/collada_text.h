#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TiXmlElement;

namespace me {

// Small readers shared by the parts of the COLLADA loader: the whitespace-
// separated lists inside elements, attributes and "#id" references.

// Every number of the list; a token that is not a number ends the list, so
// a caller comparing the count with what it expects catches bad text.
std::vector<float> parse_float_list(std::string_view text);
std::vector<int64_t> parse_integer_list(std::string_view text);
std::vector<std::string> parse_name_list(std::string_view text);

// The element's text, "" when it has none.
std::string_view element_text(const TiXmlElement& element);
// The attribute's value, "" when it is missing.
std::string_view attribute(const TiXmlElement& element, const char* name);
// The id after the number sign of a local reference, or nothing for any
// other form of URI.
std::optional<std::string> fragment_id(std::string_view reference);
// The first child element with the given name whose "id" is id.
const TiXmlElement* child_with_id(const TiXmlElement* parent, const char* name, std::string_view id);

}  // namespace me
