#include "core/log_format.h"

#include <cinttypes>
#include <cstdio>

namespace me {
namespace {

constexpr size_t kNoPlaceholder = std::string::npos;

// A '%' always consumes the character after it, so "%%1" holds no placeholder.
size_t lowest_placeholder(const std::string& message) {
    size_t best = kNoPlaceholder;
    for (size_t i = 0; i + 1 < message.size(); ++i) {
        if (message[i] != '%')
            continue;
        char digit = message[i + 1];
        if (digit >= '0' && digit <= '9' && (best == kNoPlaceholder || digit < message[best + 1]))
            best = i;
        ++i;
    }
    return best;
}

template <typename... Args>
std::string printf_text(const char* format, Args... args) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

void format_arg(std::string& message, std::string_view text) {
    size_t placeholder = lowest_placeholder(message);
    if (placeholder != kNoPlaceholder)
        message.replace(placeholder, 2, text);
}

void format_arg(std::string& message, const char* text) { format_arg(message, std::string_view(text ? text : "")); }

void format_arg(std::string& message, const std::string& text) { format_arg(message, std::string_view(text)); }

void format_arg(std::string& message, Hex value) { format_arg(message, printf_text("%" PRIx64, value.value)); }

void format_arg(std::string& message, double value) { format_arg(message, printf_text("%g", value)); }

void format_signed_arg(std::string& message, int64_t value) { format_arg(message, printf_text("%" PRId64, value)); }

void format_unsigned_arg(std::string& message, uint64_t value) {
    format_arg(message, printf_text("%" PRIu64, value));
}

}  // namespace me
