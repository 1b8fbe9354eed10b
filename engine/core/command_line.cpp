#include "core/command_line.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace me {

namespace {

constexpr std::string_view kUsage =
    "Usage: quillmoor [GAME_DIR] [+connect_lobby LOBBY_ID]\n"
    "Runs the game in GAME_DIR, or in the current folder when none is given.\n"
    "  --help     show this text and exit\n"
    "  --version  show the engine version and exit\n";

std::optional<int> enter_game_folder(std::string_view folder, std::ostream& err) {
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(folder), error);
    if (!error)
        return std::nullopt;
    err << "quillmoor: cannot enter the game folder '" << folder << "': " << error.message() << "\n";
    return 1;
}

}  // namespace

bool is_connect_lobby_flag(std::string_view argument) {
    return argument.size() == 14 && argument.find_first_of("+-/") == 0 && argument.substr(1) == "connect_lobby";
}

std::optional<int> apply_command_line(int argc, char** argv, std::ostream& out, std::ostream& err) {
    const char* folder = nullptr;
    for (int index = 1; index < argc && argv[index] != nullptr; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "--help") {
            out << kUsage;
            return 0;
        }
        if (argument == "--version") {
            out << "quillmoor " << kEngineVersion << "\n";
            return 0;
        }
        if (is_connect_lobby_flag(argument)) {
            ++index;
            continue;
        }
        if (folder != nullptr) {
            err << "quillmoor: unexpected argument '" << argument << "'\n" << kUsage;
            return 1;
        }
        folder = argv[index];
    }
    return folder != nullptr ? enter_game_folder(folder, err) : std::nullopt;
}

}  // namespace me
