#include "core/command_line.h"

#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace me {

namespace {

constexpr std::string_view kUsage =
    "Usage: quillmoor [GAME_DIR] [+connect_lobby LOBBY_ID] [--synctest N] [--verify-replay FILE]\n"
    "Runs the game in GAME_DIR, or in the current folder when none is given.\n"
    "  --help                show this text and exit\n"
    "  --version             show the engine version and exit\n"
    "  --synctest N          every tick, roll back N ticks (N >= 1) and check the re-simulation\n"
    "  --verify-replay FILE  re-simulate the replay FILE and check every recorded state\n";

std::optional<int> enter_game_folder(std::string_view folder, std::ostream& err) {
    std::error_code error;
    std::filesystem::current_path(std::filesystem::path(folder), error);
    if (!error)
        return std::nullopt;
    err << "quillmoor: cannot enter the game folder '" << folder << "': " << error.message() << "\n";
    return 1;
}

std::optional<int> refuse(std::ostream& err, std::string_view complaint) {
    err << "quillmoor: " << complaint << "\n" << kUsage;
    return 1;
}

std::optional<int32_t> positive_integer(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1)
        return std::nullopt;
    return value;
}

// Stores the value given after option (null when none follows); returns the
// exit code when it is missing or bad.
std::optional<int> read_option(std::string_view option, const char* value, std::ostream& err,
                               LaunchOptions& options) {
    if (value == nullptr)
        return refuse(err, std::string(option) + " needs a value");
    const std::string_view text = value;
    if (option == "--synctest") {
        const std::optional<int32_t> ticks = positive_integer(text);
        if (!ticks)
            return refuse(err, "--synctest needs a whole number of ticks of at least 1, not '" + std::string(text) +
                                   "'");
        options.synctest_ticks = *ticks;
        return std::nullopt;
    }
    if (text.empty())
        return refuse(err, "--verify-replay needs a file name");
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(text), error);
    if (error)
        return refuse(err, "cannot make '" + std::string(text) + "' absolute: " + error.message());
    options.verify_replay = absolute.lexically_normal().string();
    return std::nullopt;
}

bool takes_value(std::string_view argument) { return argument == "--synctest" || argument == "--verify-replay"; }

}  // namespace

bool is_connect_lobby_flag(std::string_view argument) {
    return argument.size() == 14 && argument.find_first_of("+-/") == 0 && argument.substr(1) == "connect_lobby";
}

std::optional<int> apply_command_line(int argc, char** argv, std::ostream& out, std::ostream& err,
                                      LaunchOptions& options) {
    options = LaunchOptions();
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
        if (takes_value(argument)) {
            ++index;
            if (const std::optional<int> exit_code =
                    read_option(argument, index < argc ? argv[index] : nullptr, err, options))
                return exit_code;
            continue;
        }
        if (folder != nullptr)
            return refuse(err, "unexpected argument '" + std::string(argument) + "'");
        folder = argv[index];
    }
    return folder != nullptr ? enter_game_folder(folder, err) : std::nullopt;
}

}  // namespace me
