#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace me {

// One line of a text font descriptor: a tag followed by key, value pairs,
// all separated by spaces or equal signs. A value in double quotes may hold
// either separator.
class FontDescriptorLine {
public:
    explicit FontDescriptorLine(std::string_view text);

    // Calls visit(line_text) for every line; lines end with LF, CR LF or CR.
    template <typename Visitor>
    static void for_each_line(std::string_view text, Visitor&& visit);

    std::string_view tag() const { return m_tokens.empty() ? std::string_view() : m_tokens.front(); }
    size_t token_count() const { return m_tokens.size(); }
    // The last key of a line cut short before its value.
    std::optional<std::string_view> key_without_value() const;
    // The value of the last occurrence of key, quotes removed.
    std::optional<std::string_view> value(std::string_view key) const;

private:
    std::vector<std::string_view> m_tokens;
};

// A value of the descriptor read as a decimal integer: an optional minus sign
// and digits, nothing else; empty when it is not one or does not fit 64 bits.
std::optional<int64_t> parse_descriptor_integer(std::string_view text);

template <typename Visitor>
void FontDescriptorLine::for_each_line(std::string_view text, Visitor&& visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        visit(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

}  // namespace me
