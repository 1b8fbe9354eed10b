#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace me {

// A value to be written in lower-case hexadecimal by format_arg.
struct Hex {
    uint64_t value;
};

// Replaces the lowest-numbered placeholder (%0 to %9, leftmost among equals)
// of message by text. Without a placeholder the message stays as it is.
void format_arg(std::string& message, std::string_view text);
void format_arg(std::string& message, const char* text);
void format_arg(std::string& message, const std::string& text);
void format_arg(std::string& message, Hex value);
void format_arg(std::string& message, double value);  // "%g"
void format_signed_arg(std::string& message, int64_t value);
void format_unsigned_arg(std::string& message, uint64_t value);

template <std::integral T>
void format_arg(std::string& message, T value) {
    if constexpr (std::is_signed_v<T>)
        format_signed_arg(message, static_cast<int64_t>(value));
    else
        format_unsigned_arg(message, static_cast<uint64_t>(value));
}

// Starts from a literal and applies format_arg once per argument, in order.
template <typename... Args>
std::string format_message(std::string_view literal, const Args&... args) {
    std::string message(literal);
    (format_arg(message, args), ...);
    return message;
}

}  // namespace me
