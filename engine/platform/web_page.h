#pragma once

#include <string_view>

namespace me::platform {

// Starts xdg-open on the URL without a shell; false when it cannot be started.
bool open_web_page(std::string_view url);

}  // namespace me::platform
