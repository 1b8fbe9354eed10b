#pragma once

#include <string>

namespace me {

// Ends the process for misuse of the state machinery by the game's scripts:
// the message is logged as an error line and shown by the fatal error box.
[[noreturn]] void fail_state(const std::string& message);

}  // namespace me
