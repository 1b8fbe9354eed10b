#pragma once

#include <string>
#include <string_view>

namespace me {

// Letters and digits stay; every other byte, UTF-8 bytes included, becomes
// "%" and two lower-case hexadecimal digits.
std::string url_encoded(std::string_view text);

}  // namespace me
