#include "platform/url_encoding.h"

namespace me {

namespace {

bool is_letter_or_digit(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

}  // namespace

std::string url_encoded(std::string_view text) {
    constexpr char kHexDigits[] = "0123456789abcdef";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (is_letter_or_digit(byte)) {
            encoded += character;
            continue;
        }
        encoded += '%';
        encoded += kHexDigits[byte >> 4];
        encoded += kHexDigits[byte & 0x0f];
    }
    return encoded;
}

}  // namespace me
