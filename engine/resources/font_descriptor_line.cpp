#include "resources/font_descriptor_line.h"

#include <charconv>

namespace me {

namespace {

bool is_separator(char c) {
    return c == ' ' || c == '=' || c == '\t';
}

// The token starting at text[start]: a quoted run (to its closing quote or
// the end of the line) or a run of non-separators.
size_t token_end(std::string_view text, size_t start) {
    if (text[start] == '"') {
        const size_t closing = text.find('"', start + 1);
        return closing == std::string_view::npos ? text.size() : closing + 1;
    }
    size_t end = start;
    while (end < text.size() && !is_separator(text[end]))
        ++end;
    return end;
}

std::string_view unquoted(std::string_view token) {
    if (token.empty() || token.front() != '"')
        return token;
    token.remove_prefix(1);
    if (!token.empty() && token.back() == '"')
        token.remove_suffix(1);
    return token;
}

}  // namespace

FontDescriptorLine::FontDescriptorLine(std::string_view text) {
    size_t position = 0;
    while (position < text.size()) {
        if (is_separator(text[position])) {
            ++position;
            continue;
        }
        const size_t end = token_end(text, position);
        m_tokens.push_back(text.substr(position, end - position));
        position = end;
    }
}

std::optional<std::string_view> FontDescriptorLine::key_without_value() const {
    if (m_tokens.size() % 2 == 0)
        return m_tokens.back();
    return std::nullopt;
}

std::optional<std::string_view> FontDescriptorLine::value(std::string_view key) const {
    std::optional<std::string_view> found;
    for (size_t i = 1; i + 1 < m_tokens.size(); i += 2) {
        if (m_tokens[i] == key)
            found = unquoted(m_tokens[i + 1]);
    }
    return found;
}

std::optional<int64_t> parse_descriptor_integer(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace me
