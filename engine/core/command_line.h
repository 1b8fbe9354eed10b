#pragma once

#include <optional>
#include <ostream>
#include <string_view>

#include "core/launch_options.h"

namespace me {

inline constexpr const char* kEngineVersion = "0.1.0";

// Reads the process arguments before anything starts. "--help" and
// "--version" print and ask to exit 0. The lobby-join form, "connect_lobby"
// led by '+', '-' or '/' and followed by an id, is left for the connection
// manager. "--synctest N" and "--verify-replay FILE" fill options, in any
// position; FILE is made absolute here, before the folder changes. Any other
// argument names the game folder to change into; a folder that cannot be
// entered, a second folder, or an option without a good value asks to exit 1.
// Returns the exit code when the process should stop here.
std::optional<int> apply_command_line(int argc, char** argv, std::ostream& out, std::ostream& err,
                                      LaunchOptions& options);

// "connect_lobby" led by '+', '-' or '/': the argument after it is a lobby id.
bool is_connect_lobby_flag(std::string_view argument);

}  // namespace me
