#include "assets3d/collada_text.h"

#include <tinyxml.h>

#include <cctype>
#include <charconv>

namespace me {

namespace {

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Calls take(token) for every whitespace-separated token until it answers false.
template <typename Take>
void for_each_token(std::string_view text, Take take) {
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_space(text[at]))
            ++at;
        size_t end = at;
        while (end < text.size() && !is_space(text[end]))
            ++end;
        if (end > at && !take(text.substr(at, end - at)))
            return;
        at = end;
    }
}

template <typename Number>
std::vector<Number> parse_number_list(std::string_view text) {
    std::vector<Number> values;
    for_each_token(text, [&](std::string_view token) {
        Number value{};
        const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (error != std::errc() || end != token.data() + token.size())
            return false;
        values.push_back(value);
        return true;
    });
    return values;
}

}  // namespace

std::vector<float> parse_float_list(std::string_view text) { return parse_number_list<float>(text); }

std::vector<int64_t> parse_integer_list(std::string_view text) { return parse_number_list<int64_t>(text); }

std::vector<std::string> parse_name_list(std::string_view text) {
    std::vector<std::string> names;
    for_each_token(text, [&](std::string_view token) {
        names.emplace_back(token);
        return true;
    });
    return names;
}

std::string_view element_text(const TiXmlElement& element) {
    const char* text = element.GetText();
    return text != nullptr ? std::string_view(text) : std::string_view();
}

std::string_view attribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

std::optional<std::string> fragment_id(std::string_view reference) {
    if (reference.size() < 2 || reference.front() != '#')
        return std::nullopt;
    return std::string(reference.substr(1));
}

const TiXmlElement* child_with_id(const TiXmlElement* parent, const char* name, std::string_view id) {
    if (parent == nullptr)
        return nullptr;
    for (const TiXmlElement* child = parent->FirstChildElement(name); child != nullptr;
         child = child->NextSiblingElement(name))
        if (attribute(*child, "id") == id)
            return child;
    return nullptr;
}

}  // namespace me
