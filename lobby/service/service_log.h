#pragma once

#include <string_view>

namespace me::lobby {

// The service's log: one line per event on standard error, with the UTC time.
void log_info(std::string_view text);
void log_warning(std::string_view text);
void log_error(std::string_view text);

}  // namespace me::lobby
